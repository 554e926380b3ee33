#include "RecordStore.h"

#include "RecordSchema.h"
#include "StoreTransaction.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace {

const QStringList kColumns{"id",       "command", "started",       "ended",         "station",
                           "operator", "batch",   "recipe",        "recipe_sha256", "tool_version",
                           "device",   "sn",      "version",       "outcome",       "failed_step",
                           "reason",   "checks",  "eeprom_before", "eeprom_after"};

QString jsonText(const QJsonValue& value)
{
    return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
}

// A record's columns by name, from its JSON form: arrays as JSON text,
// empty values as NULL.
QVariantMap columnsOf(const ProvisionRecord& record)
{
    const QJsonObject json = record.toJson();
    QVariantMap values;
    for (const QString& column : kColumns) {
        const QJsonValue value = json.value(column);
        values.insert(column, value.isArray()    ? QVariant(jsonText(value))
                              : value.isNull()   ? QVariant()
                              : value.isDouble() ? QVariant(value.toInt())
                                                 : QVariant(value.toString()));
    }
    return values;
}

ProvisionRecord recordOf(const QSqlQuery& query)
{
    QJsonObject json;
    for (const QString& column : kColumns) {
        const QVariant value = query.value(column);
        if (value.isNull())
            continue;
        if (column == QLatin1String("sn"))
            json.insert(column, value.toInt());
        else if (column == QLatin1String("checks") || column.startsWith(QLatin1String("eeprom")))
            json.insert(column, QJsonDocument::fromJson(value.toString().toUtf8()).array());
        else
            json.insert(column, value.toString());
    }
    return ProvisionRecord::fromJson(json);
}

} // namespace

RecordStore::RecordStore(const StoreAddress& address)
    : m_address(address),
      m_connection(QStringLiteral("tk28950-records-") + QUuid::createUuid().toString())
{
    const bool sqlite = address.kind == StoreAddress::Kind::Sqlite;
    m_database = QSqlDatabase::addDatabase(
        sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), m_connection);
    if (!m_database.isValid())
        fail(QStringLiteral("no Qt SQL driver for it (install libqt6sql6-%1)")
                 .arg(sqlite ? QStringLiteral("sqlite") : QStringLiteral("psql")));
    open();
    RecordSchema::bringUpToDate(m_database, QStringLiteral("record store ") + m_address.display());
}

RecordStore::~RecordStore()
{
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

void RecordStore::open()
{
    if (m_address.kind == StoreAddress::Kind::Sqlite) {
        if (!QDir().mkpath(QFileInfo(m_address.path).absolutePath()))
            fail(QStringLiteral("cannot make its folder"));
        m_database.setDatabaseName(m_address.path);
        m_database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    } else {
        m_database.setHostName(m_address.host);
        m_database.setPort(m_address.port);
        m_database.setUserName(m_address.user);
        m_database.setPassword(m_address.password);
        m_database.setDatabaseName(m_address.database);
        m_database.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutS));
    }
    if (!m_database.open())
        fail(m_database.lastError().text());
}

QSqlQuery RecordStore::run(const QString& statement, const QVariantMap& values)
{
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        fail(query.lastError().text());
    for (auto value = values.begin(); value != values.end(); ++value)
        query.bindValue(':' + value.key(), value.value());
    if (!query.exec())
        fail(query.lastError().text());
    return query;
}

bool RecordStore::add(const ProvisionRecord& record)
{
    StoreTransaction transaction(m_database, m_address.display());
    QSqlQuery existing =
        run(QStringLiteral("SELECT id FROM records WHERE id = :id"), {{"id", record.id}});
    if (existing.next())
        return false;
    QStringList placeholders;
    for (const QString& column : kColumns)
        placeholders << ':' + column;
    run(QStringLiteral("INSERT INTO records (%1) VALUES (%2)")
            .arg(kColumns.join(','), placeholders.join(',')),
        columnsOf(record));
    transaction.commit();
    return true;
}

QVector<ProvisionRecord> RecordStore::list(const Filter& filter)
{
    QString statement = QStringLiteral("SELECT * FROM records WHERE 1 = 1");
    QVariantMap values;
    if (filter.sn) {
        statement += QStringLiteral(" AND sn = :sn");
        values.insert("sn", *filter.sn);
    }
    const std::pair<const char*, QString> texts[] = {{"batch", filter.batch},
                                                     {"outcome", filter.outcome}};
    for (const auto& [column, value] : texts)
        if (!value.isEmpty()) {
            statement += QStringLiteral(" AND %1 = :%1").arg(QLatin1String(column));
            values.insert(QLatin1String(column), value);
        }
    if (!filter.since.isEmpty()) {
        statement += QStringLiteral(" AND started >= :since");
        values.insert("since", filter.since);
    }
    QSqlQuery query = run(statement + QStringLiteral(" ORDER BY started, id"), values);
    QVector<ProvisionRecord> records;
    while (query.next())
        records.append(recordOf(query));
    return records;
}

std::optional<ProvisionRecord> RecordStore::find(const QString& id)
{
    QString pattern = id;
    pattern.remove(QRegularExpression(QStringLiteral("[%_\\\\]")));
    QSqlQuery query = run(QStringLiteral("SELECT * FROM records WHERE id = :id OR id LIKE :prefix "
                                         "ORDER BY id"),
                          {{"id", id}, {"prefix", pattern + '%'}});
    QVector<ProvisionRecord> found;
    while (query.next())
        found.append(recordOf(query));
    for (const ProvisionRecord& record : std::as_const(found))
        if (record.id == id)
            return record;
    if (found.size() == 1 && !pattern.isEmpty() && pattern == id)
        return found.first();
    return std::nullopt;
}

void RecordStore::remove(const QString& id)
{
    StoreTransaction transaction(m_database, m_address.display());
    run(QStringLiteral("DELETE FROM records WHERE id = :id"), {{"id", id}});
    transaction.commit();
}

void RecordStore::fail(const QString& what) const
{
    throw StoreError(QStringLiteral("record store %1: %2").arg(m_address.display(), what));
}
