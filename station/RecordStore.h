#pragma once
// A record store through Qt SQL: opened (and its tables created or brought
// up to date) on construction; each record written in one transaction.
// Failures throw StoreError naming the store.
#include "ProvisionRecord.h"
#include "StoreAddress.h"

#include <QSqlDatabase>
#include <optional>

class RecordStore {
public:
    // How long an SQLite writer waits for another's lock, and a PostgreSQL
    // connection for the server.
    static constexpr int kBusyTimeoutMs = 10000;
    static constexpr int kConnectTimeoutS = 5;

    struct Filter {
        std::optional<int> sn;
        QString batch;
        QString outcome;
        QString since; // ISO 8601 UTC; records started at or after it
    };

    explicit RecordStore(const StoreAddress& address);
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    const StoreAddress& address() const { return m_address; }

    // Writes the record unless one with its id is there already; true when
    // it wrote it.
    bool add(const ProvisionRecord& record);
    QVector<ProvisionRecord> list(const Filter& filter = {});
    // The record whose id is id or, when only one id starts with it, that one.
    std::optional<ProvisionRecord> find(const QString& id);
    void remove(const QString& id);

private:
    void open();
    QSqlQuery run(const QString& statement, const QVariantMap& values);
    [[noreturn]] void fail(const QString& what) const;

    StoreAddress m_address;
    QString m_connection;
    QSqlDatabase m_database;
};
