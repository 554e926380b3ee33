#include "IntegerText.h"

#include "QuotedInput.h"
#include "Variant.h"

std::optional<std::int16_t> integerFromText(const QString& text)
{
    std::int16_t value = 0;
    if (component::failed(component::Variant(text).toShort(&value)))
        return std::nullopt;
    return value;
}

QString integerToText(std::int16_t value)
{
    return QString::number(value);
}

QString notAnIntegerMessage(const QString& boxName, const QString& text)
{
    return QStringLiteral("%1: %2 is not a number from -32768 to 32767")
        .arg(boxName, component::quotedInput(text));
}
