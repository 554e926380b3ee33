#pragma once
// Numbers read from texts the way the module's protocol reads them: the
// leading number of a text (what is left after it is ignored, no number
// reads as 0), and strict decimal numbers for values that must be exact.
// All of them are independent of the process locale.
#include <QString>
#include <QVector>
#include <optional>

namespace TextNumbers {

// Where the control's own readers (port numbers, cell answers) saturate:
// fifteen nines, well beyond any value they accept.
constexpr qint64 kFifteenNines = 999'999'999'999'999;

// The leading decimal integer (blanks skipped, optional sign), 0 when there
// is none; its magnitude saturated at limit.
qint64 LeadingInteger(QStringView text, qint64 limit);
// The same, saturated to the range of int.
int LeadingInt(QStringView text);
// The leading floating-point number as the C library reads it (hexadecimal,
// infinity and not-a-number included), 0 when there is none.
double LeadingDouble(QStringView text);
// The leading decimal number only: digits, a point, an exponent.
double LeadingDecimal(QStringView text);
// The text, blanks around it ignored, is an optional sign and 1 or more
// digits; its value (saturated far outside any 16-bit range), or none.
std::optional<qint64> StrictDecimal(QStringView text);
// Up to count integers separated by commas, as far as they can be read.
QVector<int> LeadingIntList(QStringView text, int count);

} // namespace TextNumbers
