#include "TypeLibJson.h"

#include <cmath>
#include <limits>

namespace component {

void JsonProblem::report(const QString& path, const QString& what)
{
    if (!found())
        text = path.isEmpty() ? what : path + QStringLiteral(": ") + what;
}

JsonObjectReader::JsonObjectReader(const QJsonValue& value, QString path, JsonProblem* problem)
    : m_object(value.toObject()), m_path(std::move(path)), m_problem(problem)
{
    if (!value.isObject())
        m_problem->report(m_path, QStringLiteral("expected an object"));
}

QString JsonObjectReader::pathOf(const char* key) const
{
    const QString name = QLatin1String(key);
    return m_path.isEmpty() ? name : m_path + QLatin1Char('.') + name;
}

QJsonValue JsonObjectReader::field(const char* key, Need need)
{
    const QJsonValue value = m_object.value(QLatin1String(key));
    if (value.isUndefined() && need == Need::Required)
        report(key, QStringLiteral("missing"));
    return value;
}

QString JsonObjectReader::text(const char* key, Need need, const QString& defaultValue)
{
    const QJsonValue value = field(key, need);
    if (value.isUndefined())
        return defaultValue;
    if (!value.isString())
        report(key, QStringLiteral("expected a text"));
    else if (need == Need::Required && value.toString().isEmpty())
        report(key, QStringLiteral("must not be empty"));
    return value.toString();
}

bool JsonObjectReader::flag(const char* key)
{
    const QJsonValue value = field(key, Need::Optional);
    if (!value.isUndefined() && !value.isBool())
        report(key, QStringLiteral("expected true or false"));
    return value.toBool();
}

int JsonObjectReader::integer(const char* key, Need need)
{
    const QJsonValue value = field(key, need);
    if (value.isUndefined())
        return 0;
    const double number = value.toDouble();
    if (!value.isDouble() || std::trunc(number) != number ||
        number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        report(key, QStringLiteral("expected an integer"));
        return 0;
    }
    return static_cast<int>(number);
}

QStringList JsonObjectReader::texts(const char* key)
{
    QStringList result;
    const QJsonArray items = array(key);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (!items[i].isString())
            m_problem->report(QStringLiteral("%1[%2]").arg(pathOf(key)).arg(i),
                              QStringLiteral("expected a text"));
        result.append(items[i].toString());
    }
    return result;
}

QJsonArray JsonObjectReader::array(const char* key)
{
    const QJsonValue value = field(key, Need::Optional);
    if (!value.isUndefined() && !value.isArray())
        report(key, QStringLiteral("expected an array"));
    return value.toArray();
}

} // namespace component
