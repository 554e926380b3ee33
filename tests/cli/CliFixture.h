#pragma once
// A simulated module on a pseudo-terminal and the tool pointed at it, with a
// registry of its own (empty, so the tool takes the library beside it) and
// a folder for files.
#include "Simulator.h"
#include "ToolProcess.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

class CliFixture : public ::testing::Test {
protected:
    CliFixture();

    // Starts the simulator; the test fails at once when it does not start.
    void startSimulator(const QStringList& arguments = {}, const QByteArray& eeprom = {});
    // Runs the tool on the simulator's device.
    ToolResult run(const QStringList& arguments) const;
    // Checks that nothing reached the module before now: a read that follows
    // must be the first thing the simulator received.
    void expectNoTrafficSoFar();

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString writeFile(const QString& name, const QByteArray& content) const;

    // The EEPROM data file of cells with the given line end and separator.
    static QByteArray dataFile(const QByteArray& cells, const QByteArray& lineEnd = "\r\n",
                               char separator = '\t');

    QTemporaryDir m_dir;
    Simulator m_sim;
    ToolProcess m_tool;
};
