#pragma once
// The tool's vocabulary: its global options and subcommands, each with the
// options it takes, how many arguments, its help text and its handler.
#include "ExitCode.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

class CommandContext;
using CommandHandler = ExitCode (*)(CommandContext&);

struct OptionSpec {
    QString name;      // without the leading "--"
    QString valueName; // empty for a flag
    QString description;
};

struct CommandSpec {
    QString name;      // "eeprom dump"
    QString arguments; // "FILE", as shown in the usage line
    QString summary;   // one line
    QString details;   // the rest of the --help text
    QVector<OptionSpec> options;
    int minArguments = 0;
    int maxArguments = 0; // -1: no limit
    CommandHandler handler = nullptr;
};

struct GlobalOptions {
    std::optional<int> port;
    QString device;
    bool json = false;
    bool trace = false;
    bool verbose = false;
    int timeoutMs = 5000;
};

// What the command line asked for.
struct Invocation {
    GlobalOptions global;
    const CommandSpec* command = nullptr; // nullptr: none given
    QStringList arguments;
    QHash<QString, QString> options; // the command's own; flags map to ""
    bool help = false;
    bool version = false;
    QString group; // "eeprom" or "coef" given without its subcommand
};
