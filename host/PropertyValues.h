#pragma once
// Which values a property written through the control can hold, beyond its
// interface type: a gain is one EEPROM cell, a zoom one of four factors, a
// temperature offset a 16-bit count of tenths. The control passes a value
// it cannot store on without a word (or stores something else), so a host
// refuses it before anything is sent.
#include "Dispatch.h"
#include "Variant.h"

#include <QString>
#include <optional>

namespace PropertyValues {

// Why value cannot be written to the property dispid (""300" is not a
// whole number from 0 to 255"), or nothing when it can. Properties with no
// rule of their own take any value their type converts. The member table
// says which values each property can hold.
std::optional<QString> refusal(component::DispId dispid, const component::Variant& value);

} // namespace PropertyValues
