#include "ChannelReading.h"

#include "AnswerShape.h"
#include "ModuleSession.h"
#include "TK28950Dispids.h"

namespace ChannelReading {

Axis parseAxis(const QString& text)
{
    const QString axis = text.trimmed().toLower();
    if (axis == QLatin1String("x"))
        return Axis::X;
    if (axis == QLatin1String("y"))
        return Axis::Y;
    throw usageError(QStringLiteral("axis: \"%1\" is not x or y").arg(text));
}

QString name(Axis axis)
{
    return axis == Axis::X ? QStringLiteral("x") : QStringLiteral("y");
}

QString read(ModuleSession& module, Axis axis, const QString& what)
{
    const bool x = axis == Axis::X;
    const AnswerEvent expected = x ? AnswerEvent::XReady : AnswerEvent::YReady;
    return module
        .request(x ? tk28950::dispid::ReadXChan : tk28950::dispid::ReadYChan,
                 {component::Variant(std::uint8_t{0})}, what,
                 [&](const Answer& answer) {
                     return answer.event == expected && AnswerShape::isSignedDecimal(answer.text)
                                ? QString()
                                : QStringLiteral("the answer \"%1\" is not a %2 reading")
                                      .arg(answer.text, name(axis));
                 })
        .text;
}

} // namespace ChannelReading
