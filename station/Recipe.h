#pragma once
// A production recipe, checked as a whole: what every module of a line is
// given (an EEPROM image, its own coefficient tables, property settings)
// and the measurements it must pass.
#include "Dispatch.h"
#include "Variant.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVector>
#include <optional>

// An inclusive range of EEPROM cells.
struct CellRange {
    int first = 0;
    int last = 0;
    bool contains(int address) const { return address >= first && address <= last; }
};

struct RecipeSetting {
    QString name; // as the control publishes it
    component::DispId dispid = 0;
    component::Variant value;
};

struct RecipeCheck {
    QString name;
    QString read;                   // "temperature", "x", "y" or a readable property's name
    component::DispId property = 0; // when read is a property
    int samples = 1;
    double min = 0;
    double max = 0;
    std::optional<double> maxSpread;
};

struct RecipeCoefficients {
    QString axis;    // "x" or "y"
    QString pattern; // absolute path with {sn} in place of the serial number

    QString pathFor(int serialNumber) const
    {
        return QString(pattern).replace(QLatin1String("{sn}"), QString::number(serialNumber));
    }
};

struct Recipe {
    QString path;
    QString name;
    QByteArray sha256; // of the file, hex
    QString versionGlob;
    QMap<int, int> image; // cell to value, as the image file holds them
    QVector<CellRange> keep;
    QVector<RecipeCoefficients> coefficients;
    QVector<RecipeSetting> settings;
    QVector<RecipeCheck> checks;

    bool keeps(int address) const
    {
        for (const CellRange& range : keep)
            if (range.contains(address))
                return true;
        return false;
    }
};
