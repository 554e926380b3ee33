#include "PseudoTerminalEnd.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminalEnd::PseudoTerminalEnd(std::function<void()> onReadable)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return;
    m_devicePath = QString::fromLocal8Bit(ptsname(m_master));
    m_terminal = ::open(ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios raw{};
    if (m_terminal < 0 || tcgetattr(m_terminal, &raw) != 0)
        return;
    cfmakeraw(&raw);
    tcsetattr(m_terminal, TCSANOW, &raw);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, std::move(onReadable));
}

PseudoTerminalEnd::~PseudoTerminalEnd()
{
    m_notifier.reset();
    if (m_terminal >= 0)
        ::close(m_terminal);
    if (m_master >= 0)
        ::close(m_master);
}

QByteArray PseudoTerminalEnd::readAvailable()
{
    QByteArray bytes;
    char buffer[4096];
    ssize_t n = 0;
    while (m_master >= 0 && (n = ::read(m_master, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    return bytes;
}

void PseudoTerminalEnd::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}
