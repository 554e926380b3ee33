#include "QuotedInput.h"

namespace component {

namespace {

QString escaped(QChar c)
{
    switch (c.unicode()) {
    case '\n':
        return QStringLiteral("\\n");
    case '\r':
        return QStringLiteral("\\r");
    case '\t':
        return QStringLiteral("\\t");
    case '\\':
        return QStringLiteral("\\\\");
    case '"':
        return QStringLiteral("\\\"");
    default:
        break;
    }
    if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
        return QString(c);
    if (c.unicode() <= 0xFF)
        return QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    return QStringLiteral("\\u{%1}").arg(c.unicode(), 4, 16, QLatin1Char('0'));
}

} // namespace

QString quotedInput(const QString& input)
{
    QString quote = QStringLiteral("\"");
    for (qsizetype i = 0; i < input.size() && i < kQuotedInputChars; ++i)
        quote += escaped(input.at(i));
    quote += QLatin1Char('"');
    if (input.size() > kQuotedInputChars)
        quote += QStringLiteral("...");
    return quote;
}

QString quotedInput(const QByteArray& input)
{
    return quotedInput(QString::fromLatin1(input.left(kQuotedInputChars + 1)));
}

} // namespace component
