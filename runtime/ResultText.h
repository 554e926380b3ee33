#pragma once
// Result codes in messages to people.
#include "HResult.h"

#include <QString>

namespace component {

// "0x80040154 (class not registered)"
inline QString resultText(HResult hr)
{
    const QString digits = QString::number(static_cast<quint32>(hr), 16).toUpper();
    return QStringLiteral("0x%1 (%2)")
        .arg(digits.rightJustified(8, QLatin1Char('0')), QLatin1String(describe(hr)));
}

} // namespace component
