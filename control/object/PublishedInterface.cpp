#include "PublishedInterface.h"

#include "DispatchTable.h"

#include <QStringList>
#include <functional>

namespace published {

namespace {

using tk28950::MemberFacts;
using tk28950::MemberKind;

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// One member as the type library's JSON writes it, indented to its place
// in the dispatch interface's list. Stock members (negative dispids) carry
// no help string; properties list no parameters.
QString typelibEntry(const MemberFacts& row)
{
    const bool method = row.kind == MemberKind::Method;
    const QString kind = method ? QStringLiteral("method") : QStringLiteral("property");
    QStringList fields{
        QStringLiteral("\"dispid\": %1").arg(row.dispid),
        QStringLiteral("\"name\": %1").arg(quoted(row.name)),
        QStringLiteral("\"kind\": %1").arg(quoted(kind)),
        QStringLiteral("\"type\": %1").arg(quoted(dispatch::typeName(row.type))),
    };
    if (method) {
        QStringList params;
        for (const tk28950::Param& param : row.params)
            params << QStringLiteral("            ") +
                          quoted(QStringLiteral("%1:%2").arg(QLatin1String(param.name),
                                                             dispatch::typeName(param.type)));
        fields << (params.isEmpty() ? QStringLiteral("\"params\": []")
                                    : QStringLiteral("\"params\": [\n%1\n          ]")
                                          .arg(params.join(QStringLiteral(",\n"))));
    }
    if (row.dispid >= 0) {
        fields << QStringLiteral("\"helpString\": %1").arg(quoted(kind + ' ' + row.name))
               << QStringLiteral("\"helpContext\": 0");
    }
    if (row.readOnly)
        fields << QStringLiteral("\"readOnly\": true");
    return QStringLiteral("        {\n          %1\n        }")
        .arg(fields.join(QStringLiteral(",\n          ")));
}

QStringList publishedRows(std::span<const MemberFacts> rows,
                          const std::function<bool(const MemberFacts&)>& wanted,
                          const std::function<QString(const MemberFacts&)>& text)
{
    QStringList list;
    for (const MemberFacts& row : rows) {
        if (row.published && wanted(row))
            list << text(row);
    }
    return list;
}

QStringList names(std::span<const MemberFacts> rows,
                  const std::function<bool(const MemberFacts&)>& wanted)
{
    return publishedRows(rows, wanted, [](const MemberFacts& row) { return QString(row.name); });
}

bool isProperty(const MemberFacts& row)
{
    return row.kind == MemberKind::Property;
}

bool isMethod(const MemberFacts& row)
{
    return row.kind == MemberKind::Method;
}

bool answersByEvent(const MemberFacts& row)
{
    return row.result == tk28950::Result::ByEvent;
}

} // namespace

QString fill(const QString& templateText, std::span<const MemberFacts> rows)
{
    const auto any = [](const MemberFacts&) { return true; };
    const QString separator = QStringLiteral(", ");
    QString text = templateText;
    text.replace(QStringLiteral("@TK28950_TYPELIB_MEMBERS@"),
                 publishedRows(rows, any, typelibEntry).join(QStringLiteral(",\n")));
    text.replace(QStringLiteral("@TK28950_PROPERTIES@"), names(rows, isProperty).join(' '));
    text.replace(QStringLiteral("@TK28950_METHODS@"), names(rows, isMethod).join(' '));
    text.replace(QStringLiteral("@TK28950_PROPERTY_LIST@"),
                 names(rows, isProperty).join(separator));
    text.replace(QStringLiteral("@TK28950_EVENT_METHOD_LIST@"),
                 names(rows, answersByEvent).join(separator));
    return text;
}

} // namespace published
