#include "AnswerShape.h"

#include "ControlTexts.h"

#include <QRegularExpression>

namespace AnswerShape {

std::optional<int> cellValue(const QString& answer)
{
    static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,3}$"));
    const QString text = answer.trimmed();
    if (!decimal.match(text).hasMatch() || text.toInt() > 255)
        return std::nullopt;
    return text.toInt();
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
    return !text.isEmpty() && text != QLatin1String("E") && !number.match(text).hasMatch() &&
           text.compare(ControlTexts::kTimeOut, Qt::CaseInsensitive) != 0;
}

} // namespace AnswerShape
