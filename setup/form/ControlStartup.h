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

// libraryFolder: where the control's library is expected, for the message.
StartupControls createStartupControls(const QString& libraryFolder);
