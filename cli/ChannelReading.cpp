#include "ChannelReading.h"

#include "AnswerShape.h"
#include "ModuleSession.h"
#include "QuotedInput.h"
#include "TK28950Dispids.h"

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

QString read(ModuleSession& module, Axis axis, const QString& what)
{
    const bool x = axis == Axis::X;
    const Expectation reading{x ? AnswerEvent::XReady : AnswerEvent::YReady,
                              AnswerShape::isSignedDecimal,
                              QStringLiteral("a %1 reading").arg(name(axis))};
    return module
        .request(x ? tk28950::dispid::ReadXChan : tk28950::dispid::ReadYChan,
                 {component::Variant(std::uint8_t{0})}, what, reading)
        .text;
}

} // namespace ChannelReading
