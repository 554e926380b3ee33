#include "ArgumentConversion.h"

#include "AnswerShape.h"
#include "QuotedInput.h"
#include "ToolError.h"

using component::HResult;
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

} // namespace

Variant toType(const QString& text, const QString& type, const QString& what)
{
    const QString kind = type.toLower();
    const Variant input(text);
    if (kind == QLatin1String("short")) {
        std::int16_t value = 0;
        check(input.toShort(&value), what, text, QStringLiteral("a number from -32768 to 32767"));
        return Variant(value);
    }
    if (kind == QLatin1String("byte")) {
        std::uint8_t value = 0;
        check(input.toByte(&value), what, text, QStringLiteral("a number from 0 to 255"));
        return Variant(value);
    }
    if (kind == QLatin1String("long")) {
        std::int32_t value = 0;
        check(input.toLong(&value), what, text, QStringLiteral("a 32-bit number"));
        return Variant(value);
    }
    if (kind == QLatin1String("double")) {
        double value = 0;
        check(input.toDouble(&value), what, text, QStringLiteral("a number"));
        return Variant(value);
    }
    if (kind == QLatin1String("boolean") || kind == QLatin1String("bool"))
        return toBoolean(text, what);
    return input;
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
