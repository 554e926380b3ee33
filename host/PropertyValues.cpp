#include "PropertyValues.h"

#include "AnswerShape.h"
#include "QuotedInput.h"
#include "TK28950Members.h"

#include <QRegularExpression>

namespace PropertyValues {
namespace {

bool isCellValue(const QString& text)
{
    return bool(AnswerShape::cellNumber(text.trimmed()));
}

bool isZoomFactor(const QString& text)
{
    static const QRegularExpression factor(QStringLiteral("^\\s*[1248]\\s*$"));
    return factor.match(text).hasMatch();
}

bool isFlagText(const QString& text)
{
    static const QRegularExpression flag(QStringLiteral("^\\s*[01]\\s*$"));
    return flag.match(text).hasMatch();
}

// A temperature offset in degrees: kept as whole tenths in 16 bits.
bool isTenthsOfDegree(const QString& text)
{
    bool ok = false;
    const double degrees = text.trimmed().toDouble(&ok);
    return ok && tk28950::tenthsFitSixteenBits(degrees);
}

template <bool (*Accepts)(const QString&)> bool textRule(const component::Variant& value)
{
    QString text;
    return component::succeeded(value.toText(&text)) && Accepts(text);
}

bool isFlag(const component::Variant& value)
{
    return value.type() == component::Variant::Type::Bool || textRule<isFlagText>(value);
}

struct Rule {
    bool (*accepts)(const component::Variant&);
    const char* expected;
};

// The rule of each kind of values the member table gives a property.
Rule ruleFor(tk28950::Values values)
{
    switch (values) {
    case tk28950::Values::CellByte:
        return {textRule<isCellValue>, "a whole number from 0 to 255"};
    case tk28950::Values::ZoomFactor:
        return {textRule<isZoomFactor>, "a zoom factor: 1, 2, 4 or 8"};
    case tk28950::Values::Flag:
        return {isFlag, "0 or 1"};
    case tk28950::Values::TenthsOfDegree:
        return {textRule<isTenthsOfDegree>, "a number of degrees from -3276.8 to 3276.7"};
    case tk28950::Values::Any:
        break;
    }
    return {nullptr, nullptr};
}

} // namespace

std::optional<QString> refusal(component::DispId dispid, const component::Variant& value)
{
    const tk28950::MemberFacts* facts = tk28950::memberFacts(dispid);
    const Rule rule = facts ? ruleFor(facts->values) : Rule{nullptr, nullptr};
    if (!rule.accepts || rule.accepts(value))
        return std::nullopt;
    QString text;
    value.toText(&text);
    return QStringLiteral("%1 is not %2")
        .arg(component::quotedInput(text), QLatin1String(rule.expected));
}

} // namespace PropertyValues
