#pragma once

#include "FaultInjector.h"
#include "ModuleSimulator.h"
#include "ModuleState.h"

#include <QString>
#include <QStringList>

#include <optional>

struct SimulatorOptions {
    QString linkPath;
    QString eepromPath;
    std::optional<int> eepromFill;
    QString tracePath;
    int exitAfterMs = 0; // 0: run until terminated
    ModuleSettings module;
    FaultSettings faults;
    TimingSettings timing;
};

enum class CommandLineOutcome { Run, ExitSuccess, ExitUsageError };

// Reads the program's arguments into options. Prints the help text, or a
// message for a bad option or value, itself.
CommandLineOutcome parseCommandLine(const QStringList& arguments, SimulatorOptions& options);
