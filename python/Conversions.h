#pragma once
// Python values to and from the values of dispatch calls. What the control
// then makes of a value (text to number, rounding, range) is the dispatch
// interface's own conversion, so Python sees the same rules as every host.
#include "Variant.h"

#include <pybind11/pybind11.h>

namespace conversions {

// None, bool, int, float and str. An int beyond 32 bits travels as a double,
// so that the control reports the overflow; anything else raises TypeError.
component::Variant toVariant(pybind11::handle value);
pybind11::object toPython(const component::Variant& value);

} // namespace conversions
