#include "PtyPeer.h"

#include "TestOwner.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return;
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios raw{};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { onReadable(); });
}

PtyPeer::~PtyPeer()
{
    m_notifier.reset();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

void PtyPeer::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}

QByteArray PtyPeer::received()
{
    onReadable();
    return m_received;
}

bool PtyPeer::waitForReceived(int n, int timeoutMs)
{
    return WaitUntil([&] { return received().size() >= n; }, timeoutMs);
}

void PtyPeer::setResponder(std::function<QByteArray(const QByteArray&)> responder)
{
    m_responder = std::move(responder);
}

void PtyPeer::onReadable()
{
    char buffer[4096];
    QByteArray chunk;
    ssize_t n = 0;
    while ((n = ::read(m_master, buffer, sizeof buffer)) > 0)
        chunk.append(buffer, n);
    if (chunk.isEmpty())
        return;
    m_received.append(chunk);
    if (m_responder)
        write(m_responder(chunk));
}
