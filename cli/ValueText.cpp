#include "ValueText.h"

#include <QStringList>

using component::Variant;

namespace ValueText {

QString text(const Variant& value)
{
    QString out;
    return component::succeeded(value.toText(&out)) ? out : QString();
}

QJsonValue json(const Variant& value, const QString& type)
{
    static const QStringList integers{"short", "byte", "long"};
    const QString kind = type.toLower();
    if (integers.contains(kind)) {
        std::int32_t number = 0;
        if (component::succeeded(value.toLong(&number)))
            return number;
    } else if (kind == QLatin1String("double")) {
        double number = 0;
        if (component::succeeded(value.toDouble(&number)))
            return number;
    } else if (kind == QLatin1String("boolean") || kind == QLatin1String("bool")) {
        bool flag = false;
        if (component::succeeded(value.toBool(&flag)))
            return flag;
    }
    if (value.isEmpty())
        return QJsonValue::Null;
    return text(value);
}

QJsonValue numberOrText(const QString& answer)
{
    bool ok = false;
    const double number = answer.trimmed().toDouble(&ok);
    return ok ? QJsonValue(number) : QJsonValue(answer);
}

QString printable(const QString& answer)
{
    QString result = answer;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

} // namespace ValueText
