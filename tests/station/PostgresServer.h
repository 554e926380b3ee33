#pragma once
// A PostgreSQL server of a test's own: a fresh cluster in a temporary
// folder, on a free local port, run by an unprivileged user (the server
// refuses to run as root), with Debian's initdb and pg_ctl.
#include <QString>
#include <QTemporaryDir>

class PostgresServer {
public:
    static constexpr const char* kBinaries = "/usr/lib/postgresql/15/bin";
    static constexpr const char* kUser = "tk28950-pg";

    PostgresServer() = default;
    ~PostgresServer(); // stops the server
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Makes the cluster and starts the server; false with error() when not.
    bool create();
    bool start();
    bool stop();
    QString error() const { return m_error; }

    // postgresql://tk28950@127.0.0.1:PORT/postgres
    QString url() const;

private:
    bool run(const QString& program, const QStringList& arguments);

    QTemporaryDir m_dir;
    int m_port = 0;
    bool m_running = false;
    QString m_error;
};
