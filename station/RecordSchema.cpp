#include "RecordSchema.h"

#include "StoreAddress.h"
#include "StoreTransaction.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVector>

namespace RecordSchema {
namespace {

// Each entry takes the tables from the version before it to the next one.
const QVector<QStringList>& migrations()
{
    static const QVector<QStringList> steps{
        {
            "CREATE TABLE records ("
            " id VARCHAR(36) PRIMARY KEY,"
            " command TEXT NOT NULL,"
            " started TEXT NOT NULL,"
            " ended TEXT NOT NULL,"
            " station TEXT NOT NULL,"
            " operator TEXT NOT NULL,"
            " batch TEXT,"
            " recipe TEXT,"
            " recipe_sha256 TEXT,"
            " tool_version TEXT NOT NULL,"
            " device TEXT,"
            " sn INTEGER,"
            " version TEXT,"
            " outcome TEXT NOT NULL,"
            " failed_step TEXT,"
            " reason TEXT,"
            " checks TEXT NOT NULL,"
            " eeprom_before TEXT NOT NULL,"
            " eeprom_after TEXT NOT NULL)",
            "CREATE INDEX records_sn ON records (sn)",
            "CREATE INDEX records_batch ON records (batch)",
            "CREATE INDEX records_started ON records (started)",
        },
    };
    return steps;
}

const QString kVersionTable = QStringLiteral("schema_version");

void run(QSqlQuery& query, const QString& statement, const QString& where)
{
    if (!query.exec(statement))
        throw StoreError(QStringLiteral("%1: %2").arg(where, query.lastError().text()));
}

bool isPostgresql(const QSqlDatabase& database)
{
    return database.driver()->dbmsType() == QSqlDriver::PostgreSQL;
}

int storedVersion(QSqlDatabase& database, QSqlQuery& query, const QString& where)
{
    if (!database.tables().contains(kVersionTable))
        return 0;
    run(query, QStringLiteral("SELECT MAX(version) FROM ") + kVersionTable, where);
    return query.next() ? query.value(0).toInt() : 0;
}

void migrate(QSqlDatabase& database, const QString& where)
{
    QSqlQuery query(database);
    // Two stations starting on a new database at once: the second waits
    // for the first's tables instead of making them again.
    if (isPostgresql(database))
        run(query, QStringLiteral("SELECT pg_advisory_xact_lock(28950)"), where);
    const int stored = storedVersion(database, query, where);
    if (stored > version())
        throw StoreError(QStringLiteral("%1 has record schema version %2, newer than this "
                                        "tool's %3: use a newer tk28950 with this store")
                             .arg(where)
                             .arg(stored)
                             .arg(version()));
    if (stored == version())
        return;
    if (stored == 0)
        run(query, QStringLiteral("CREATE TABLE %1 (version INTEGER NOT NULL)").arg(kVersionTable),
            where);
    for (int step = stored; step < version(); ++step)
        for (const QString& statement : migrations().at(step))
            run(query, statement, where);
    run(query, QStringLiteral("DELETE FROM ") + kVersionTable, where);
    run(query,
        QStringLiteral("INSERT INTO %1 (version) VALUES (%2)").arg(kVersionTable).arg(version()),
        where);
}

} // namespace

int version()
{
    return int(migrations().size());
}

void bringUpToDate(QSqlDatabase& database, const QString& where)
{
    StoreTransaction transaction(database, where);
    migrate(database, where);
    transaction.commit();
}

} // namespace RecordSchema
