#pragma once
// One write transaction on a record store, rolled back unless committed.
// SQLite takes its write lock at the start, so two writers queue up
// (within the busy time-out) instead of one failing on a lock upgrade.
#include "StoreAddress.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

class StoreTransaction {
public:
    StoreTransaction(QSqlDatabase& database, const QString& where)
        : m_database(database), m_where(where)
    {
        const bool begun = m_database.driver()->dbmsType() == QSqlDriver::SQLite
                               ? QSqlQuery(m_database).exec(QStringLiteral("BEGIN IMMEDIATE"))
                               : m_database.transaction();
        if (!begun)
            throw StoreError(QStringLiteral("%1: %2").arg(m_where, m_database.lastError().text()));
    }
    ~StoreTransaction()
    {
        if (!m_committed)
            m_database.rollback();
    }
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;

    void commit()
    {
        if (!m_database.commit())
            throw StoreError(QStringLiteral("%1: %2").arg(m_where, m_database.lastError().text()));
        m_committed = true;
    }

private:
    QSqlDatabase& m_database;
    QString m_where;
    bool m_committed = false;
};
