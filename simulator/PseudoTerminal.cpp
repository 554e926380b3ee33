#include "PseudoTerminal.h"

#include "HostWatch.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {
QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}
} // namespace

PseudoTerminal::PseudoTerminal(QObject* parent) : QObject(parent), m_hosts(new HostWatch(this))
{
    connect(m_hosts, &HostWatch::allClosed, this, &PseudoTerminal::discardUnread);
}

PseudoTerminal::~PseudoTerminal()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PseudoTerminal::open(QString& error)
{
    if (!openMaster(error) || !openSlave(error))
        return false;
    m_hosts->watch(m_devicePath);
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::readFromHost);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::writePending);
    return true;
}

bool PseudoTerminal::openMaster(QString& error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = systemError("cannot open a pseudo-terminal");
        return false;
    }
    const char* name = ::ptsname(m_master);
    if (!name) {
        error = systemError("cannot name the pseudo-terminal");
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    return true;
}

bool PseudoTerminal::openSlave(QString& error)
{
    m_slave =
        ::open(m_devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    termios settings{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &settings) != 0) {
        error = systemError("cannot open the pseudo-terminal's device");
        return false;
    }
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B38400);
    ::tcsetattr(m_slave, TCSANOW, &settings);
    return true;
}

void PseudoTerminal::readFromHost()
{
    // Notifications of closes come first: bytes that a new host sends after
    // an old one closed must not be mistaken for the old host's.
    m_hosts->update();
    char buffer[4096];
    ssize_t length = 0;
    while ((length = ::read(m_master, buffer, sizeof buffer)) > 0)
        emit received(QByteArray(buffer, static_cast<qsizetype>(length)));
}

bool PseudoTerminal::hostPresent()
{
    m_hosts->update();
    return m_hosts->hostPresent();
}

void PseudoTerminal::write(const QByteArray& bytes)
{
    if (!m_keepUnread) {
        // The bytes were meant for the hosts present when they were queued;
        // if those have all left meanwhile (seen only now, when a new host
        // may already have opened the device), they are lost with them.
        const quint64 goneBefore = m_hostsGoneCount;
        if (!hostPresent() || m_hostsGoneCount != goneBefore)
            return;
    }
    m_pending += bytes;
    writePending();
}

void PseudoTerminal::writePending()
{
    const ssize_t length = ::write(m_master, m_pending.constData(), m_pending.size());
    if (length > 0) {
        const QByteArray handed = m_pending.left(length);
        m_pending.remove(0, length);
        emit written(handed);
    }
    m_writeNotifier->setEnabled(!m_pending.isEmpty());
}

void PseudoTerminal::discardUnread()
{
    ++m_hostsGoneCount;
    if (m_keepUnread)
        return;
    // Reading them away rather than flushing: a read also waits for bytes
    // that the kernel is still moving to the host's side, which a flush
    // would miss.
    char buffer[4096];
    while (::read(m_slave, buffer, sizeof buffer) > 0) {
    }
    m_pending.clear();
    m_writeNotifier->setEnabled(false);
    emit hostsGone();
}
