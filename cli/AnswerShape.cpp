#include "AnswerShape.h"

#include <QRegularExpression>

namespace AnswerShape {

bool isCellValue(const QString& text)
{
    static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,3}$"));
    return decimal.match(text).hasMatch() && text.toInt() <= 255;
}

bool isSignedDecimal(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?$"));
    return number.match(text).hasMatch();
}

bool isVersion(const QString& text)
{
    static const QRegularExpression letter(QStringLiteral("[A-Za-z]"));
    return !isError(text) && letter.match(text).hasMatch();
}

bool isError(const QString& text)
{
    return text.trimmed() == QLatin1String("E");
}

} // namespace AnswerShape
