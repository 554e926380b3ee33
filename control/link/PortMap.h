#pragma once
// Port numbers ("1" to "15") to device paths, first match wins:
// $TK28950_PORT_<N>; a line "<N> <path>" in $XDG_CONFIG_HOME/tk28950/ports.conf
// (~/.config when unset; '#' starts a comment); /dev/ttyS<N-1>.
#include <QString>

namespace PortMap {
QString configFile();
// Empty for a number that names no device (0 or negative).
QString DevicePath(int port);
// The device given for port by the environment or the map file; empty when
// neither names one.
QString MappedPath(int port);
} // namespace PortMap
