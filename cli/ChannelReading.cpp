#include "ChannelReading.h"

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
    const Answer answer =
        module.exchange(x ? tk28950::dispid::ReadXChan : tk28950::dispid::ReadYChan,
                        {component::Variant(std::uint8_t{0})}, what);
    if (answer.event != (x ? AnswerEvent::XReady : AnswerEvent::YReady))
        throw moduleError(QStringLiteral("%1: the answer %2 is not a %3 reading")
                              .arg(what, component::quotedInput(answer.text), name(axis)));
    return answer.text;
}

} // namespace ChannelReading
