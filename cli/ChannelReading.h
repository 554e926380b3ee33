#pragma once
// The X or Y channel as the command line names it.
#include "ControlSession.h"

#include <QString>

using Axis = ControlSession::Axis;

namespace ChannelReading {
// "x" or "y" in any letter case; throws a usage ToolError otherwise.
Axis parseAxis(const QString& text);
QString name(Axis axis);
} // namespace ChannelReading
