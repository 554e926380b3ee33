#pragma once
// Numbers at the start of a text, read the way the module's texts have
// always been read: leading blanks, an optional sign, then as many digits
// (and for decimals a point and an exponent) as there are. A text that does
// not start with a number reads as 0.
#include <QString>

// The leading decimal integer; a run of more than 15 digits saturates.
long long leadingInteger(const QString& text);
// The leading decimal number, in the C locale.
double leadingNumber(const QString& text);
