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

// The tool's bound for one answer. At 38400 baud a cell read or write takes
// about 2.5 ms on the wire and the longest regular exchange (the version)
// 5 ms; a USB adapter may add some 16 ms each way, and the module its own
// working time. 250 ms is fifty times the longest wire time and still six
// times wire and adapter together; it is what a lost answer costs before
// the request is tried again (the control's own time-out is 3 s).
inline constexpr int kDefaultAnswerBoundMs = 250;
// How often a request whose answer was lost or wrong is tried again.
inline constexpr int kDefaultRetries = 3;
// The largest values the options and the configuration files accept.
inline constexpr int kMaxTimeoutMs = 3600000;
inline constexpr int kMaxRetries = 100;

struct GlobalOptions {
    std::optional<int> port;
    QString device;
    // Every --port and --device given, in order, for commands that work on
    // many modules at once (port and device above hold the last one).
    QVector<int> ports;
    QStringList devices;
    bool json = false;
    bool trace = false;
    bool verbose = false; // -v; a second -v also sets trace
    bool quiet = false;   // -q: no progress
    int timeoutMs = kDefaultAnswerBoundMs;
    int retries = kDefaultRetries;
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
