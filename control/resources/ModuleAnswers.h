#pragma once
// How the module's answers are read where the control and its hosts must
// agree: what shape an answer must have to be taken as the answer to its
// command, whether a write was acknowledged, and a temperature in degrees.
#include "ControlTexts.h"

#include <QString>
#include <algorithm>
#include <optional>

namespace ModuleAnswers {

namespace detail {

inline bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The number of digits at the front of text.
inline qsizetype digitRun(QStringView text)
{
    qsizetype n = 0;
    while (n < text.size() && isDigit(text[n]))
        ++n;
    return n;
}

} // namespace detail

// An EEPROM cell's value: one to three decimal digits, 0 to 255, blanks
// around allowed. Anything else ("E", "256", "-1", "") is not a value.
inline std::optional<int> cellValue(QStringView answer)
{
    const QStringView text = answer.trimmed();
    if (text.isEmpty() || text.size() > 3 || detail::digitRun(text) != text.size())
        return std::nullopt;
    const int value = text.toInt();
    return value <= 255 ? std::optional<int>(value) : std::nullopt;
}

// A signed decimal number, as the module sends a temperature in tenths
// ("235", "-52") or a reading ("+01.250"): an optional sign, digits, and
// optionally a point followed by digits.
inline bool isSignedDecimal(QStringView answer)
{
    QStringView rest = answer;
    if (!rest.isEmpty() && (rest[0] == u'+' || rest[0] == u'-'))
        rest = rest.mid(1);
    const qsizetype whole = detail::digitRun(rest);
    if (whole == 0)
        return false;
    rest = rest.mid(whole);
    if (rest.isEmpty())
        return true;
    return rest[0] == u'.' && rest.size() > 1 && detail::digitRun(rest.mid(1)) == rest.size() - 1;
}

// The module's refusal of a command: "E", blanks around allowed.
inline bool isRefusal(QStringView answer)
{
    return answer.trimmed() == u"E";
}

// The answer to the version request: a text that no other request can
// bring back (not empty, not "E", not a number, not the control's time-out
// text in any letter case).
inline bool isVersion(QStringView answer)
{
    const QStringView text = answer.trimmed();
    QStringView unsignedText = text;
    if (!unsignedText.isEmpty() && (unsignedText[0] == u'+' || unsignedText[0] == u'-'))
        unsignedText = unsignedText.mid(1);
    const bool number = !unsignedText.isEmpty() &&
                        std::all_of(unsignedText.begin(), unsignedText.end(),
                                    [](QChar c) { return detail::isDigit(c) || c == u'.'; });
    return !text.isEmpty() && !isRefusal(text) && !number &&
           text.compare(ControlTexts::kTimeOut, Qt::CaseInsensitive) != 0;
}

// The module acknowledges a write with "0", or with any answer that does
// not start with a non-zero number (blanks and a sign may come before it);
// a leading non-zero number is its refusal. The control's time-out text, in
// any letter case, is no answer at all.
inline bool isWriteAcknowledged(QStringView answer)
{
    if (answer.trimmed().compare(ControlTexts::kTimeOut, Qt::CaseInsensitive) == 0)
        return false;
    qsizetype pos = 0;
    while (pos < answer.size() && answer[pos].isSpace())
        ++pos;
    if (pos < answer.size() && (answer[pos] == u'+' || answer[pos] == u'-'))
        ++pos;
    for (; pos < answer.size() && answer[pos] >= u'0' && answer[pos] <= u'9'; ++pos)
        if (answer[pos] != u'0')
            return false;
    return true;
}

// The module sends the temperature in tenths of a degree Centigrade; this is
// the text shown for it, in the unit asked for.
inline QString degreesText(double tenths, bool fahrenheit)
{
    double degrees = tenths * 0.1;
    if (fahrenheit)
        degrees = degrees * 1.8 + 32;
    return QString::asprintf("%3.2f", degrees);
}

} // namespace ModuleAnswers
