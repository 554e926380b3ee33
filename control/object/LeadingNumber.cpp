#include "LeadingNumber.h"

#include <QRegularExpression>

namespace {

constexpr int kMaxDigits = 15;
constexpr long long kSaturated = 999'999'999'999'999;

} // namespace

long long leadingInteger(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*([+-]?)(\\d+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return 0;
    const QString digits = match.captured(2);
    const long long magnitude = digits.size() > kMaxDigits ? kSaturated : digits.toLongLong();
    return match.captured(1) == QLatin1String("-") ? -magnitude : magnitude;
}

double leadingNumber(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}
