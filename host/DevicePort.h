#pragma once
// A device given by its path: the control opens ports by number, so the
// device gets a number of its own through the port map's environment variable.
#include <QString>

namespace DevicePort {
// The port number whose TK28950_PORT_<n> already names path; else maps path
// to the highest number from 1 to 15 whose variable is not set, sets that
// variable for this process and returns n. Throws a
// ControlError when every number is taken.
int map(const QString& path);
} // namespace DevicePort
