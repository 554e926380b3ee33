#pragma once
// Reading the fields of one JSON object of a type library document, with the
// place of the first problem found for the error message.
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace component {

// The first problem found while reading a document.
struct JsonProblem {
    QString text;
    void report(const QString& path, const QString& what);
    bool found() const { return !text.isEmpty(); }
};

class JsonObjectReader {
public:
    enum class Need { Optional, Required };

    // path names the object in messages: "interfaces[0].members[3]".
    JsonObjectReader(const QJsonValue& value, QString path, JsonProblem* problem);

    QString pathOf(const char* key) const;

    QString text(const char* key, Need need = Need::Optional,
                 const QString& defaultValue = QString());
    bool flag(const char* key);
    int integer(const char* key, Need need = Need::Optional);
    QStringList texts(const char* key);
    QJsonArray array(const char* key);

    void report(const char* key, const QString& what) { m_problem->report(pathOf(key), what); }

private:
    QJsonValue field(const char* key, Need need);

    QJsonObject m_object;
    QString m_path;
    JsonProblem* m_problem;
};

} // namespace component
