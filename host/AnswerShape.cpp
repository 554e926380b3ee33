#include "AnswerShape.h"

#include "ControlTexts.h"

#include <QRegularExpression>

namespace AnswerShape {

std::optional<int> cellNumber(const QString& text)
{
    static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,3}$"));
    if (!decimal.match(text).hasMatch() || text.toInt() > 255)
        return std::nullopt;
    return text.toInt();
}

std::optional<int> cellValue(const QString& answer)
{
    return cellNumber(answer.trimmed());
}

bool isRefusal(const QString& answer)
{
    return answer.trimmed() == QLatin1String("E");
}

bool isTimeOut(const QString& answer)
{
    return answer.trimmed().compare(ControlTexts::kTimeOut, Qt::CaseInsensitive) == 0;
}

bool isSignedDecimal(const QString& answer)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?$"));
    return number.match(answer).hasMatch();
}

bool isVersion(const QString& answer)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9.]+$"));
    const QString text = answer.trimmed();
    return !text.isEmpty() && !isRefusal(text) && !number.match(text).hasMatch() &&
           !isTimeOut(text);
}

} // namespace AnswerShape
