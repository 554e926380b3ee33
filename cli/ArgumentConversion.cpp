#include "ArgumentConversion.h"

#include "AnswerShape.h"
#include "QuotedInput.h"
#include "ToolError.h"
#include "ValueType.h"

using component::HResult;
using component::ValueType;
using component::Variant;

namespace ArgumentConversion {
namespace {

ToolError notConvertible(const QString& what, const QString& text, const QString& expected)
{
    return usageError(
        QStringLiteral("%1: %2 is not %3").arg(what, component::quotedInput(text), expected));
}

void check(HResult hr, const QString& what, const QString& text, const QString& expected)
{
    if (component::failed(hr))
        throw notConvertible(what, text, expected);
}

Variant toBoolean(const QString& text, const QString& what)
{
    static const QStringList yes{"1", "on", "true", "yes"};
    static const QStringList no{"0", "off", "false", "no"};
    const QString word = text.trimmed().toLower();
    if (yes.contains(word))
        return Variant(true);
    if (no.contains(word))
        return Variant(false);
    throw notConvertible(what, text, QStringLiteral("on or off (1, 0, true, false, yes, no)"));
}

// What a number of type must look like, for messages; empty for a type that
// is not a number.
QString expectedText(ValueType type)
{
    switch (type) {
    case ValueType::Byte:
        return QStringLiteral("a number from 0 to 255");
    case ValueType::Short:
        return QStringLiteral("a number from -32768 to 32767");
    case ValueType::Long:
        return QStringLiteral("a 32-bit number");
    case ValueType::Double:
        return QStringLiteral("a number");
    case ValueType::None:
    case ValueType::Boolean:
    case ValueType::Text:
        break;
    }
    return QString();
}

} // namespace

Variant toType(const QString& text, const QString& type, const QString& what)
{
    const std::optional<ValueType> valueType = component::valueTypeNamed(type);
    if (valueType == ValueType::Boolean)
        return toBoolean(text, what);
    const Variant input(text);
    const QString expected = expectedText(valueType.value_or(ValueType::Text));
    if (expected.isEmpty())
        return input;
    Variant value;
    check(component::convertTo(input, *valueType, &value), what, text, expected);
    return value;
}

int toCellNumber(const QString& text, const QString& what)
{
    const std::optional<int> number = AnswerShape::cellNumber(text);
    if (!number)
        throw notConvertible(what, text, QStringLiteral("a decimal number from 0 to 255"));
    return *number;
}

int toInteger(const QString& text, int minimum, int maximum, const QString& what)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < minimum || value > maximum)
        throw notConvertible(
            what, text, QStringLiteral("a whole number from %1 to %2").arg(minimum).arg(maximum));
    return static_cast<int>(value);
}

} // namespace ArgumentConversion
