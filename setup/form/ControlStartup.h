#pragma once
// Creating the window's two control instances through the registry, and
// what the operator is told when that is not possible.
#include <QString>
#include <memory>

class ControlClient;

struct StartupControls {
    std::unique_ptr<ControlClient> tk28950A;
    std::unique_ptr<ControlClient> tk28950B;
    QString error; // when either could not be created: why, and how to register
};

// library: the control's library file, named in the registration command.
StartupControls createStartupControls(const QString& library);
