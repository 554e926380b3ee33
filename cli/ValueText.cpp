#include "ValueText.h"

#include "ValueType.h"

using component::ValueType;
using component::Variant;

namespace ValueText {

QString text(const Variant& value)
{
    QString out;
    return component::succeeded(value.toText(&out)) ? out : QString();
}

QJsonValue json(const Variant& value, const QString& type)
{
    switch (component::valueTypeNamed(type).value_or(ValueType::Text)) {
    case ValueType::Byte:
    case ValueType::Short:
    case ValueType::Long: {
        std::int32_t number = 0;
        if (component::succeeded(value.toLong(&number)))
            return number;
        break;
    }
    case ValueType::Double: {
        double number = 0;
        if (component::succeeded(value.toDouble(&number)))
            return number;
        break;
    }
    case ValueType::Boolean: {
        bool flag = false;
        if (component::succeeded(value.toBool(&flag)))
            return flag;
        break;
    }
    case ValueType::None:
    case ValueType::Text:
        break;
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
