#pragma once
// Simulated modules, each on a pseudo-terminal of its own, the tool pointed
// at them with a registry and a data folder of its own, and a recipe with
// its image and coefficient files in a temporary folder.
#include "Simulator.h"
#include "ToolProcess.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

class StationFixture : public ::testing::Test {
public:
    // The recipe's cells and a module's own ones.
    static QByteArray imageCells();
    static QByteArray moduleCells(int serialNumber);
    static QByteArray coefficients(int serialNumber, char axis);
    // The cells a module with this serial number must hold after a passing
    // run, but for the cells of the recipe's settings.
    static QByteArray intendedCells(int serialNumber);
    static bool isSettingCell(int address);

protected:
    StationFixture();

    // Writes recipe.toml (body as given), golden.txt and the coefficient
    // files of the serial numbers.
    QString writeRecipe(const QByteArray& body, const QList<int>& serialNumbers = {});
    static QByteArray standardRecipe();

    // Starts a module with this serial number; extra arguments for the
    // simulator. The test fails at once when it does not start.
    Simulator& startModule(int serialNumber, const QStringList& arguments = {});

    // The tool's device arguments for every module started.
    QStringList deviceArguments() const;
    ToolResult run(const QStringList& arguments) const { return m_tool.run(arguments, 240000); }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    ToolProcess m_tool;
    std::vector<std::unique_ptr<Simulator>> m_modules;
};
