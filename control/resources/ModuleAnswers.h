#pragma once
// How the module's answers are read where the control and its hosts must
// agree: whether a write was acknowledged, and a temperature in degrees.
#include "ControlTexts.h"

#include <QString>

namespace ModuleAnswers {

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
