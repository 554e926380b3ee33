#pragma once
// The record a command that changes a module leaves where a record store
// is configured, so that changes made by hand on a line are traceable too:
// the command with its arguments, the device, the outcome and why it failed.
#include "CommandSpec.h"

namespace CommandRecord {

// Runs handler; with a store configured, records its outcome (a failure
// before anything was sent leaves no record).
ExitCode run(CommandContext& context, CommandHandler handler);

// The handler as the command table names it.
template <CommandHandler handler> ExitCode recorded(CommandContext& context)
{
    return run(context, handler);
}

} // namespace CommandRecord
