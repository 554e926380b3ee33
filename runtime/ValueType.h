#pragma once
// The value types of a published interface, by the names the type library
// writes them with: the one vocabulary that the control's member table, the
// type library reader and the hosts (the tool, the Python module) share.
#include "HResult.h"
#include "Variant.h"

#include <QStringView>
#include <optional>

namespace component {

enum class ValueType { None, Boolean, Byte, Short, Long, Double, Text };

// "none", "boolean", "byte", "short", "long", "double" or "text".
const char* typeName(ValueType type);

// The type a name stands for, as the type library writes it (exactly, in
// lower case); nothing for any other text.
std::optional<ValueType> valueTypeNamed(QStringView name);

// Converts in to a value of type by the variant's conversions: kOk and *out
// set, or the conversion's failure and *out left alone. Nothing converts to
// None (kTypeMismatch).
HResult convertTo(const Variant& in, ValueType type, Variant* out);

} // namespace component
