#pragma once
// The value type of every dispatch call: empty, boolean, byte, 16-bit,
// 32-bit, double or text, with the standard conversions between them.
#include "HResult.h"

#include <QString>
#include <cstdint>
#include <variant>

namespace component {

class Variant {
public:
    enum class Type { Empty, Bool, Byte, Short, Long, Double, Text };

    Variant() = default;
    Variant(bool value) : m_value(value) {}
    Variant(std::uint8_t value) : m_value(value) {}
    Variant(std::int16_t value) : m_value(value) {}
    Variant(std::int32_t value) : m_value(value) {}
    Variant(double value) : m_value(value) {}
    Variant(const QString& value) : m_value(value) {}
    Variant(const char* value) : m_value(QString::fromUtf8(value)) {}

    Type type() const { return static_cast<Type>(m_value.index()); }
    bool isEmpty() const { return type() == Type::Empty; }

    // Conversions. Each returns kOk and stores the value, or kTypeMismatch
    // (not convertible) or kOverflow (out of the target's range) and leaves
    // *out alone. Text converts as a decimal number (blanks around it are
    // allowed); numbers convert to integers by rounding half to even.
    HResult toBool(bool* out) const;
    HResult toByte(std::uint8_t* out) const;
    HResult toShort(std::int16_t* out) const;
    HResult toLong(std::int32_t* out) const;
    HResult toDouble(double* out) const;
    HResult toText(QString* out) const;

    // Debug and diagnostics form: "Short(5)", "Text(\"abc\")".
    QString debugText() const;

    bool operator==(const Variant& other) const = default;

private:
    // The value as a number: empty is 0, true is -1, text is read as decimal.
    HResult toNumber(double* out) const;
    template <typename Integer> HResult toInteger(Integer* out) const;

    std::variant<std::monostate, bool, std::uint8_t, std::int16_t, std::int32_t, double, QString>
        m_value;
};

} // namespace component
