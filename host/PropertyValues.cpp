#include "PropertyValues.h"

#include "AnswerShape.h"
#include "QuotedInput.h"
#include "TK28950Dispids.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace PropertyValues {
namespace {

namespace id = tk28950::dispid;

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
    const double tenths = std::trunc(degrees * 10);
    return ok && std::isfinite(degrees) && tenths >= std::numeric_limits<qint16>::min() &&
           tenths <= std::numeric_limits<qint16>::max();
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
    component::DispId dispid;
    bool (*accepts)(const component::Variant&);
    const char* expected;
};

constexpr Rule kRules[] = {
    {id::GainX, textRule<isCellValue>, "a whole number from 0 to 255"},
    {id::GainY, textRule<isCellValue>, "a whole number from 0 to 255"},
    {id::AmpX, textRule<isCellValue>, "a whole number from 0 to 255"},
    {id::AmpY, textRule<isCellValue>, "a whole number from 0 to 255"},
    {id::ZoomX, textRule<isZoomFactor>, "a zoom factor: 1, 2, 4 or 8"},
    {id::ZoomY, textRule<isZoomFactor>, "a zoom factor: 1, 2, 4 or 8"},
    {id::Signal1, isFlag, "0 or 1"},
    {id::Signal2, isFlag, "0 or 1"},
    {id::Signal3, isFlag, "0 or 1"},
    {id::Signal4, isFlag, "0 or 1"},
    {id::TemperatureOffset, textRule<isTenthsOfDegree>,
     "a number of degrees from -3276.8 to 3276.7"},
};

} // namespace

std::optional<QString> refusal(component::DispId dispid, const component::Variant& value)
{
    const auto* rule = std::find_if(std::begin(kRules), std::end(kRules),
                                    [dispid](const Rule& row) { return row.dispid == dispid; });
    if (rule == std::end(kRules))
        return std::nullopt;
    if (rule->accepts(value))
        return std::nullopt;
    QString text;
    value.toText(&text);
    return QStringLiteral("%1 is not %2")
        .arg(component::quotedInput(text), QLatin1String(rule->expected));
}

} // namespace PropertyValues
