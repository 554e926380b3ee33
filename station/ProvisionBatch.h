#pragma once
// Provisions many modules at once, each in a worker process of its own (the
// tool itself, started in its worker mode on one port): the control is
// single-threaded and driven by its event loop, so a process per module
// keeps a module that hangs, fails, crashes or is unplugged from slowing
// or corrupting the others. Workers report on standard output, one JSON
// object a line: {"step": NAME} as each step starts, {"record": {...}} at
// the end.
#include "ModuleRun.h"

#include <QStringList>
#include <functional>

namespace ProvisionBatch {

// The environment variable that puts the tool into its worker mode.
inline constexpr char kWorkerVariable[] = "TK28950_PROVISION_WORKER";

// The tool's arguments for a worker on target.
using WorkerArguments = std::function<QStringList(const ModuleTarget& target)>;
// A module's run ended; index is its place in targets.
using Finished = std::function<void(int index, const ProvisionRecord& record)>;

// Runs one worker per target, all at once, and returns when all ended. A
// worker that ends without its record gives a failed one, naming the step
// it was in.
void run(const QVector<ModuleTarget>& targets, const WorkerArguments& arguments,
         const Finished& finished);

// The worker's side: its report lines.
QByteArray stepLine(const QString& step);
QByteArray recordLine(const ProvisionRecord& record);

} // namespace ProvisionBatch
