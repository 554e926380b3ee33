// The EEPROM data file as the tool's restore and the setup program's
// write-back read it: split into lines, then parsed as a whole. A file that
// is accepted holds only cells 0 to 255 with values 0 to 255, each taken
// from the line it names; its cells written out again read back the same.
// A refused file is named in one short printable message.
#include "EepromDataFile.h"
#include "Property.h"

#include <QMap>

#include <cstddef>
#include <cstdint>

namespace {

bool IsPrintableLine(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace EepromDataFile;
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = SplitLines(content);
    for (const QString& line : lines)
        Require(!line.contains(u'\r') && !line.contains(u'\n'), "lines hold no line ends");

    QVector<Cell> cells;
    QString error;
    if (!ParseCells(lines, &cells, &error)) {
        Require(cells.isEmpty(), "a refused file yields no cells");
        Require(!error.isEmpty() && error.size() < 300 && IsPrintableLine(error),
                "a refused file is named in one short printable message");
        return 0;
    }
    QMap<int, int> finalValues;
    int lastLine = 0;
    for (const Cell& cell : cells) {
        Require(cell.address >= 0 && cell.address < kCells, "cells are 0 to 255");
        Require(cell.value >= 0 && cell.value <= 255, "values are 0 to 255");
        Require(cell.line > lastLine && cell.line <= lines.size(), "cells keep the file's order");
        Cell again{-1, -1, 0};
        Require(ParseLine(lines.at(cell.line - 1), &again) == LineKind::Cell &&
                    again.address == cell.address && again.value == cell.value,
                "a cell is what its line says");
        lastLine = cell.line;
        Require(!finalValues.contains(cell.address), "a file yields each cell once");
        finalValues.insert(cell.address, cell.value);
    }
    if (finalValues.size() != kCells)
        return 0;
    QStringList values;
    for (int value : finalValues)
        values << QString::number(value);
    QVector<Cell> reread;
    Require(ParseCells(SplitLines(Format(values)), &reread, &error) && reread.size() == kCells,
            "a complete file written out reads back");
    for (const Cell& cell : reread)
        Require(finalValues.value(cell.address) == cell.value, "written values read back");
    return 0;
}
