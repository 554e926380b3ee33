#include "TextNumbers.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace {

constexpr qint64 kIntSaturation = qint64(std::numeric_limits<int>::max()) + 1;

bool IsBlank(QChar c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Reads an optional sign and digits at pos, the magnitude saturated at
// limit; false when there are no digits.
bool ReadInteger(QStringView text, qsizetype& pos, qint64& value, qint64 limit = kIntSaturation)
{
    qsizetype at = pos;
    const bool negative = at < text.size() && text[at] == u'-';
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+'))
        ++at;
    const qsizetype digitsFrom = at;
    qint64 magnitude = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at)
        magnitude = qMin(limit, magnitude * 10 + (text[at].unicode() - u'0'));
    if (at == digitsFrom)
        return false;
    pos = at;
    value = negative ? -magnitude : magnitude;
    return true;
}

qsizetype SkipBlanks(QStringView text, qsizetype pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    return pos;
}

int ToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

} // namespace

namespace TextNumbers {

qint64 LeadingInteger(QStringView text, qint64 limit)
{
    qsizetype pos = SkipBlanks(text, 0);
    qint64 value = 0;
    return ReadInteger(text, pos, value, limit) ? value : 0;
}

int LeadingInt(QStringView text)
{
    return ToInt(LeadingInteger(text, kIntSaturation));
}

double LeadingDouble(QStringView text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const QByteArray bytes = text.toLatin1();
    return strtod_l(bytes.constData(), nullptr, cLocale);
}

double LeadingDecimal(QStringView text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? LeadingDouble(match.capturedView(1)) : 0.0;
}

std::optional<qint64> StrictDecimal(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    qsizetype pos = 0;
    qint64 value = 0;
    if (!ReadInteger(trimmed, pos, value) || pos != trimmed.size())
        return std::nullopt;
    return value;
}

QVector<int> LeadingIntList(QStringView text, int count)
{
    QVector<int> values;
    qsizetype pos = 0;
    while (values.size() < count) {
        pos = SkipBlanks(text, pos);
        qint64 value = 0;
        if (!ReadInteger(text, pos, value))
            break;
        values.append(ToInt(value));
        if (pos >= text.size() || text[pos] != u',')
            break;
        ++pos;
    }
    return values;
}

} // namespace TextNumbers
