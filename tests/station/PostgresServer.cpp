#include "PostgresServer.h"

#include <QDir>
#include <QProcess>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A port nobody listens on now: the kernel's pick for a socket bound to 0.
int freePort()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (socket >= 0 && ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (socket >= 0)
        ::close(socket);
    return port;
}

bool isRoot()
{
    return ::geteuid() == 0;
}

} // namespace

PostgresServer::~PostgresServer()
{
    if (m_running)
        stop();
}

bool PostgresServer::run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    const QString path = QDir(QLatin1String(kBinaries)).filePath(program);
    if (isRoot())
        process.start(
            QStringLiteral("runuser"),
            QStringList{QStringLiteral("-u"), QLatin1String(kUser), QStringLiteral("--"), path} +
                arguments);
    else
        process.start(path, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        m_error = QStringLiteral("%1 failed: %2%3")
                      .arg(program, QString::fromLocal8Bit(process.readAllStandardError()),
                           process.errorString());
        return false;
    }
    return true;
}

bool PostgresServer::create()
{
    if (!QDir(QLatin1String(kBinaries)).exists(QStringLiteral("initdb"))) {
        m_error = QStringLiteral("no %1/initdb: install postgresql (scripts/install-deps.sh)")
                      .arg(QLatin1String(kBinaries));
        return false;
    }
    if (isRoot()) {
        // The user the server runs as, made once for every test run.
        if (QProcess::execute(QStringLiteral("id"), {QLatin1String(kUser)}) != 0 &&
            QProcess::execute(QStringLiteral("useradd"),
                              {QStringLiteral("--system"), QStringLiteral("--no-create-home"),
                               QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"),
                               QLatin1String(kUser)}) != 0 &&
            QProcess::execute(QStringLiteral("id"), {QLatin1String(kUser)}) != 0) {
            m_error = QStringLiteral("cannot make the user %1").arg(QLatin1String(kUser));
            return false;
        }
        if (QProcess::execute(QStringLiteral("chown"), {QLatin1String(kUser), m_dir.path()}) != 0) {
            m_error =
                QStringLiteral("cannot give %1 to %2").arg(m_dir.path(), QLatin1String(kUser));
            return false;
        }
    }
    m_port = freePort();
    return run(QStringLiteral("initdb"),
               {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-U"),
                QStringLiteral("tk28950"), QStringLiteral("-A"), QStringLiteral("trust"),
                QStringLiteral("--no-sync"), QStringLiteral("-E"), QStringLiteral("UTF8")}) &&
           start();
}

bool PostgresServer::start()
{
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                                .arg(m_port)
                                .arg(m_dir.path());
    m_running = run(QStringLiteral("pg_ctl"),
                    {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                     QStringLiteral("-l"), m_dir.filePath(QStringLiteral("server.log")),
                     QStringLiteral("-o"), options, QStringLiteral("-w"), QStringLiteral("start")});
    return m_running;
}

bool PostgresServer::stop()
{
    m_running =
        !run(QStringLiteral("pg_ctl"),
             {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
              QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    return !m_running;
}

QString PostgresServer::url() const
{
    return QStringLiteral("postgresql://tk28950@127.0.0.1:%1/postgres").arg(m_port);
}
