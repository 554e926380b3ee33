#pragma once
// Decimal numbers as text, independent of the user's locale: '.' is always
// the decimal point, and nothing but plain decimal notation is accepted.
#include "HResult.h"

#include <QString>

namespace component::decimal {

// Reads blanks, an optional sign, digits with an optional decimal point (at
// least one digit in all) and an optional exponent ("e" or "E", optional
// sign, digits), then blanks. Returns kOk and stores the value, kTypeMismatch
// for anything else ("", "----", "12abc", "inf") or kOverflow when the number
// is beyond the range of a double. Numbers too small for a double read as 0.
HResult parse(const QString& text, double* out);

// The shortest text that reads back as the same double ("2.5", "1e+20").
QString format(double value);

} // namespace component::decimal
