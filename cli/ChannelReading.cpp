#include "ChannelReading.h"

#include "QuotedInput.h"
#include "ToolError.h"

namespace ChannelReading {

Axis parseAxis(const QString& text)
{
    const QString axis = text.trimmed().toLower();
    if (axis == QLatin1String("x"))
        return Axis::X;
    if (axis == QLatin1String("y"))
        return Axis::Y;
    throw usageError(QStringLiteral("axis: %1 is not x or y").arg(component::quotedInput(text)));
}

QString name(Axis axis)
{
    return axis == Axis::X ? QStringLiteral("x") : QStringLiteral("y");
}

} // namespace ChannelReading
