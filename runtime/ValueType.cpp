#include "ValueType.h"

#include <QLatin1StringView>

#include <algorithm>
#include <iterator>

namespace component {

namespace {

// In the order of the enumeration.
constexpr const char* kTypeNames[] = {"none", "boolean", "byte", "short", "long", "double", "text"};
static_assert(std::size(kTypeNames) == std::size_t(ValueType::Text) + 1,
              "every value type has its name");

template <typename Value>
HResult convertWith(HResult (Variant::*convert)(Value*) const, const Variant& in, Variant* out)
{
    Value value{};
    const HResult hr = (in.*convert)(&value);
    if (succeeded(hr))
        *out = Variant(value);
    return hr;
}

} // namespace

const char* typeName(ValueType type)
{
    return kTypeNames[std::size_t(type)];
}

std::optional<ValueType> valueTypeNamed(QStringView name)
{
    const auto found =
        std::find_if(std::begin(kTypeNames), std::end(kTypeNames),
                     [name](const char* known) { return name == QLatin1StringView(known); });
    if (found == std::end(kTypeNames))
        return std::nullopt;
    return ValueType(std::distance(std::begin(kTypeNames), found));
}

HResult convertTo(const Variant& in, ValueType type, Variant* out)
{
    switch (type) {
    case ValueType::Boolean:
        return convertWith(&Variant::toBool, in, out);
    case ValueType::Byte:
        return convertWith(&Variant::toByte, in, out);
    case ValueType::Short:
        return convertWith(&Variant::toShort, in, out);
    case ValueType::Long:
        return convertWith(&Variant::toLong, in, out);
    case ValueType::Double:
        return convertWith(&Variant::toDouble, in, out);
    case ValueType::Text:
        return convertWith(&Variant::toText, in, out);
    case ValueType::None:
        break;
    }
    return kTypeMismatch;
}

} // namespace component
