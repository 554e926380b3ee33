#pragma once
// What the module's answer to each request must look like. Pairing answers
// with commands by order alone means a stale answer can arrive in place of
// the one asked for; an answer of the wrong shape is never taken as a value.
#include <QString>

namespace AnswerShape {

// A cell's value: a decimal number from 0 to 255.
bool isCellValue(const QString& text);
// A signed decimal number ("235", "-52", "+01.250").
bool isSignedDecimal(const QString& text);
// The version text: neither a number nor the module's error answer "E".
bool isVersion(const QString& text);
// The module's error answer, or an answer carrying one.
bool isError(const QString& text);

} // namespace AnswerShape
