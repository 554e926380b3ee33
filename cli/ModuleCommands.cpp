// version, reset, temperature, read, get, set, call and raw: the control's
// interface one member at a time.
#include "AnswerShape.h"
#include "ArgumentConversion.h"
#include "ChannelReading.h"
#include "CommandContext.h"
#include "Commands.h"
#include "ControlTexts.h"
#include "ModuleAnswers.h"
#include "PropertyValues.h"
#include "QuotedInput.h"
#include "TK28950Dispids.h"
#include "TK28950Members.h"
#include "ValueText.h"

#include <QJsonArray>

using component::DispId;
using component::InvokeKind;
using component::TypeLibMember;
using component::Variant;
using Kind = MemberCatalog::Kind;

namespace Commands {
namespace {

bool resultIs(DispId method, tk28950::Result result)
{
    const tk28950::MemberFacts* facts = tk28950::methodFacts(method);
    return facts && facts->result == result;
}

// Methods whose every argument is an EEPROM address or value.
bool takesCellNumbers(DispId dispid)
{
    return dispid == tk28950::dispid::ReadEEPROM || dispid == tk28950::dispid::WriteEEPROM;
}

QVector<Variant> convertArguments(const TypeLibMember& method, const QStringList& texts)
{
    const auto parameters = MemberCatalog::parameters(method);
    if (texts.size() != parameters.size()) {
        QStringList names;
        for (const auto& parameter : parameters)
            names << parameter.name;
        throw usageError(QStringLiteral("%1 takes %2 argument(s)%3, %4 given")
                             .arg(method.name)
                             .arg(parameters.size())
                             .arg(names.isEmpty() ? QString() : ": " + names.join(' '))
                             .arg(texts.size()));
    }
    QVector<Variant> arguments;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString what = method.name + ' ' + parameters.at(i).name;
        if (takesCellNumbers(method.dispid))
            ArgumentConversion::toCellNumber(texts.at(i), what);
        arguments << ArgumentConversion::toType(texts.at(i), parameters.at(i).type, what);
    }
    return arguments;
}

// A DataReady answer that shape accepts.
Expectation dataOfShape(bool (*shape)(const QString&), const QString& expected)
{
    return {AnswerEvent::DataReady, shape, expected};
}

// Anything but the module's error answer.
bool isNotError(const QString& text)
{
    return !AnswerShape::isRefusal(text);
}

// A request whose answer is the command's whole result.
ExitCode reportAnswer(CommandContext& context, DispId method, const Expectation& expected,
                      const QString& key, bool confirmed)
{
    const Answer answer =
        confirmed ? context.module().requestConfirmed(method, {}, context.name(), expected)
                  : context.module().request(method, {}, context.name(), expected);
    context.output().result({{"command", context.name()}, {key, answer.text}},
                            ValueText::printable(answer.text));
    return ExitCode::Success;
}

} // namespace

ExitCode version(CommandContext& context)
{
    return reportAnswer(context, tk28950::dispid::Version,
                        dataOfShape(AnswerShape::isVersion, QStringLiteral("a version text")),
                        QStringLiteral("version"), true);
}

ExitCode reset(CommandContext& context)
{
    return reportAnswer(context, tk28950::dispid::ResetModule,
                        dataOfShape(isNotError, QStringLiteral("a reset answer")),
                        QStringLiteral("answer"), false);
}

// The degrees are worked out as the control does.
ExitCode temperature(CommandContext& context)
{
    const bool fahrenheit = context.hasOption(QStringLiteral("fahrenheit"));
    const QString tenths = context.module().temperatureTenths(context.name());
    const QString degrees = ModuleAnswers::degreesText(tenths.toDouble(), fahrenheit);
    context.output().result({{"command", context.name()},
                             {"unit", fahrenheit ? "F" : "C"},
                             {"value", ValueText::numberOrText(degrees)}},
                            degrees);
    return ExitCode::Success;
}

ExitCode readChannel(CommandContext& context)
{
    const Axis axis = ChannelReading::parseAxis(context.argument(0));
    const QString what = context.name() + ' ' + ChannelReading::name(axis);
    const QString reading = context.module().reading(axis, what);
    context.output().result({{"command", context.name()},
                             {"axis", ChannelReading::name(axis)},
                             {"value", ValueText::numberOrText(reading)}},
                            reading);
    return ExitCode::Success;
}

ExitCode getProperty(CommandContext& context)
{
    ModuleSession& session = context.session();
    const TypeLibMember& property = session.member(context.argument(0), Kind::Property);
    const Variant value =
        session.invoke(InvokeKind::PropertyGet, property.dispid, {}, property.name);
    context.output().result({{"command", context.name()},
                             {"name", property.name},
                             {"value", ValueText::json(value, property.type)}},
                            ValueText::text(value));
    return ExitCode::Success;
}

ExitCode setProperty(CommandContext& context)
{
    ModuleSession& session = context.session();
    const TypeLibMember& property = session.member(context.argument(0), Kind::Property);
    if (property.readOnly)
        throw usageError(QStringLiteral("%1 is read-only").arg(property.name));
    const Variant value =
        ArgumentConversion::toType(context.argument(1), property.type, property.name);
    if (const std::optional<QString> refusal = PropertyValues::refusal(property.dispid, value))
        throw usageError(QStringLiteral("%1: %2").arg(property.name, *refusal));
    session.invoke(InvokeKind::PropertyPut, property.dispid, {value}, property.name);
    context.output().result({{"command", context.name()},
                             {"name", property.name},
                             {"value", ValueText::json(value, property.type)}},
                            {});
    return ExitCode::Success;
}

ExitCode callMethod(CommandContext& context)
{
    ModuleSession& session = context.session();
    const TypeLibMember& method = session.member(context.argument(0), Kind::Method);
    const QStringList texts = context.arguments().mid(1);
    const QVector<Variant> arguments = convertArguments(method, texts);
    QJsonObject json{{"command", context.name()},
                     {"name", method.name},
                     {"arguments", QJsonArray::fromStringList(texts)}};
    if (resultIs(method.dispid, tk28950::Result::ByEvent)) {
        const Answer answer = session.exchange(method.dispid, arguments, method.name);
        json.insert("event", AnswerWaiter::eventName(answer.event));
        json.insert("answer", answer.text);
        context.output().result(json, ValueText::printable(answer.text));
        return ExitCode::Success;
    }
    const Variant result =
        session.invoke(InvokeKind::Method, method.dispid, arguments, method.name);
    if (resultIs(method.dispid, tk28950::Result::WaitsForOk) &&
        ValueText::text(result) != ControlTexts::kOk)
        throw moduleError(QStringLiteral("%1: %2").arg(method.name, ValueText::text(result)));
    json.insert("result", ValueText::json(result, method.type));
    context.output().result(json, ValueText::text(result));
    return ExitCode::Success;
}

ExitCode raw(CommandContext& context)
{
    const QString command = context.argument(0);
    if (command.isEmpty())
        throw usageError(QStringLiteral("raw needs a command text that is not empty"));
    const Answer answer =
        context.module().exchange(tk28950::dispid::SendCMD, {command}, context.name());
    context.output().result(
        {{"command", context.name()}, {"sent", command}, {"answer", answer.text}},
        ValueText::printable(answer.text));
    return ExitCode::Success;
}

} // namespace Commands
