#include "Variant.h"

#include "DecimalText.h"

#include <array>
#include <cmath>
#include <limits>

namespace component {

namespace {

// Ties go to the even neighbour: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double roundHalfToEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0))
        return lower + 1.0;
    return lower;
}

template <typename Integer> HResult integerFromDouble(double value, Integer* out)
{
    const double rounded = roundHalfToEven(value);
    // Written so that NaN, which compares false with everything, is out of range.
    if (!(rounded >= std::numeric_limits<Integer>::min() &&
          rounded <= std::numeric_limits<Integer>::max()))
        return kOverflow;
    *out = static_cast<Integer>(rounded);
    return kOk;
}

template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

HResult Variant::toNumber(double* out) const
{
    return std::visit(Overloaded{
                          [out](std::monostate) {
                              *out = 0.0;
                              return kOk;
                          },
                          [out](bool value) {
                              *out = value ? -1.0 : 0.0;
                              return kOk;
                          },
                          [out](const QString& text) { return decimal::parse(text, out); },
                          [out](auto number) {
                              *out = static_cast<double>(number);
                              return kOk;
                          },
                      },
                      m_value);
}

template <typename Integer> HResult Variant::toInteger(Integer* out) const
{
    // True is all bits set in the target's width: -1, or 255 for a byte.
    if (const bool* flag = std::get_if<bool>(&m_value)) {
        *out = static_cast<Integer>(*flag ? -1 : 0);
        return kOk;
    }
    double number = 0.0;
    const HResult hr = toNumber(&number);
    return failed(hr) ? hr : integerFromDouble(number, out);
}

HResult Variant::toByte(std::uint8_t* out) const
{
    return toInteger(out);
}
HResult Variant::toShort(std::int16_t* out) const
{
    return toInteger(out);
}
HResult Variant::toLong(std::int32_t* out) const
{
    return toInteger(out);
}
HResult Variant::toDouble(double* out) const
{
    return toNumber(out);
}

HResult Variant::toBool(bool* out) const
{
    if (const bool* flag = std::get_if<bool>(&m_value)) {
        *out = *flag;
        return kOk;
    }
    if (const QString* text = std::get_if<QString>(&m_value)) {
        const QString word = text->trimmed();
        for (const bool value : {true, false}) {
            if (word.compare(value ? u"true" : u"false", Qt::CaseInsensitive) == 0) {
                *out = value;
                return kOk;
            }
        }
    }
    double number = 0.0;
    const HResult hr = toNumber(&number);
    if (succeeded(hr))
        *out = number != 0.0;
    return hr;
}

HResult Variant::toText(QString* out) const
{
    *out = std::visit(Overloaded{
                          [](std::monostate) { return QString(); },
                          [](bool value) { return QString::fromLatin1(value ? "True" : "False"); },
                          [](double value) { return decimal::format(value); },
                          [](const QString& text) { return text; },
                          [](auto integer) { return QString::number(integer); },
                      },
                      m_value);
    return kOk;
}

QString Variant::debugText() const
{
    static constexpr std::array kTypeNames{"Empty", "Bool",   "Byte", "Short",
                                           "Long",  "Double", "Text"};
    const char* typeName = kTypeNames[m_value.index()];
    if (isEmpty())
        return QString::fromLatin1(typeName);
    QString text;
    toText(&text);
    if (type() == Type::Text)
        text = QStringLiteral("\"%1\"").arg(text);
    return QStringLiteral("%1(%2)").arg(QLatin1String(typeName), text);
}

} // namespace component
