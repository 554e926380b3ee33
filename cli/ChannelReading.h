#pragma once
// One X or Y reading: the channel request and the XReady or YReady that
// answers it.
#include <QString>

class ModuleSession;

enum class Axis { X, Y };

namespace ChannelReading {
// "x" or "y" in any letter case; throws a usage ToolError otherwise.
Axis parseAxis(const QString& text);
QString name(Axis axis);
// The reading as the module sent it ("+01.250"); throws on failure.
QString read(ModuleSession& module, Axis axis, const QString& what);
} // namespace ChannelReading
