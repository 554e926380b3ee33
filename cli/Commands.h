#pragma once
// The subcommands' handlers and the table that names them.
#include "CommandSpec.h"

namespace Commands {

const QVector<CommandSpec>& table();

ExitCode version(CommandContext& context);
ExitCode reset(CommandContext& context);
ExitCode temperature(CommandContext& context);
ExitCode readChannel(CommandContext& context);
ExitCode getProperty(CommandContext& context);
ExitCode setProperty(CommandContext& context);
ExitCode callMethod(CommandContext& context);
ExitCode raw(CommandContext& context);
ExitCode eepromRead(CommandContext& context);
ExitCode eepromWrite(CommandContext& context);
ExitCode eepromDump(CommandContext& context);
ExitCode eepromRestore(CommandContext& context);
ExitCode eepromDiff(CommandContext& context);
ExitCode listPorts(CommandContext& context);
ExitCode coefLoad(CommandContext& context);
ExitCode monitor(CommandContext& context);
ExitCode provision(CommandContext& context);
ExitCode recordsList(CommandContext& context);
ExitCode recordsShow(CommandContext& context);
ExitCode recordsSync(CommandContext& context);

} // namespace Commands
