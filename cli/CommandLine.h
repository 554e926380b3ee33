#pragma once
// Reads the command line against the table of subcommands and writes the
// help texts. Options may stand before or after the subcommand; a token that
// is not an option ("-5", "abc") is an argument, and "--" ends the options.
#include "CommandSpec.h"

namespace CommandLine {

// Throws a usage ToolError for anything it cannot take. The time-out and
// retries not given take their values from defaults.
Invocation parse(const QStringList& arguments, const QVector<CommandSpec>& commands,
                 const GlobalOptions& defaults = {});

QString generalHelp(const QVector<CommandSpec>& commands);
QString commandHelp(const CommandSpec& command);
QString groupHelp(const QString& group, const QVector<CommandSpec>& commands);

} // namespace CommandLine
