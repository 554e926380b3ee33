#pragma once
// Provisions one module to a recipe, step by step, on a control of its own:
// identify, before, apply, verify, check. The first step that fails ends the
// run; the record says which and why. Nothing is written to the module
// before everything it will be given (image, coefficient tables) was read.
#include "ProvisionRecord.h"
#include "Recipe.h"

#include <functional>

// The port a module is on: a device path, or a port number when it is empty.
struct ModuleTarget {
    QString device;
    int port = 0;

    QString display() const
    {
        return device.isEmpty() ? QStringLiteral("port %1").arg(port) : device;
    }
};

namespace ModuleRun {

// The steps' names, as output and records give them.
inline const QStringList kSteps{"identify", "before", "apply", "verify", "check", "record"};

using StepStarted = std::function<void(const QString& step)>;

// Runs the steps up to and including check, filling the record's module
// fields: device, sn, version, outcome, failed step, reason, checks, cells.
void run(const Recipe& recipe, const ModuleTarget& target, ProvisionRecord* record,
         const StepStarted& stepStarted = {});

} // namespace ModuleRun
