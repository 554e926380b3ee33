#pragma once
// --device PATH: the control opens ports by number, so the device gets a
// number of its own through the port map's environment variable.
#include <QString>

namespace DevicePort {
// Maps path to the highest port number from 1 to 15 whose TK28950_PORT_<n>
// is not set, sets that variable for this process and returns n. Throws a
// ToolError when every number is taken.
int map(const QString& path);
} // namespace DevicePort
