#pragma once
// What the module's answers must look like before a host takes them as the
// answer to its request: the control's own rules, for a host that prints,
// saves or writes back a value it received as an event.
#include <QString>
#include <optional>

namespace AnswerShape {

// An EEPROM cell's value: one to three decimal digits, 0 to 255, blanks
// around allowed. Anything else ("E", "256", "-1", "") is not a value.
std::optional<int> cellValue(const QString& answer);
// The same without blanks: how a cell's address or value is written.
std::optional<int> cellNumber(const QString& text);

// The module's refusal: "E", blanks around allowed.
bool isRefusal(const QString& answer);

// The control's time-out text, in any letter case: no answer at all.
bool isTimeOut(const QString& answer);

// A signed decimal number, as the module sends a temperature in tenths
// ("235", "-52") or a reading ("+01.250").
bool isSignedDecimal(const QString& answer);

// The answer to the version request: a text that no other request can
// bring back (not empty, not "E", not a number, not the control's time-out
// text in any letter case).
bool isVersion(const QString& answer);

} // namespace AnswerShape
