#include "HostPort.h"

#include <QDeadlineTimer>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

HostPort::HostPort(const QString& device)
{
    m_fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (m_fd >= 0 && ::tcgetattr(m_fd, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(m_fd, TCSANOW, &settings);
    }
}

HostPort::~HostPort()
{
    close();
}

void HostPort::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void HostPort::send(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t written = ::write(m_fd, bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return;
        done += written;
    }
}

bool HostPort::waitReadable(int timeoutMs)
{
    pollfd poller{m_fd, POLLIN, 0};
    return m_fd >= 0 && ::poll(&poller, 1, timeoutMs) > 0 && (poller.revents & POLLIN);
}

QByteArray HostPort::readAnswer(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    qsizetype end = -1;
    while ((end = m_unread.indexOf("\r\n")) < 0 &&
           waitReadable(static_cast<int>(deadline.remainingTime()))) {
        char buffer[256];
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        m_unread.append(buffer, length);
    }
    const qsizetype taken = end < 0 ? m_unread.size() : end + 2;
    const QByteArray answer = m_unread.left(taken);
    m_unread.remove(0, taken);
    return answer;
}

QByteArray HostPort::ask(const QByteArray& command, int timeoutMs)
{
    send(command);
    return readAnswer(timeoutMs);
}

QByteArray HostPort::readFor(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (waitReadable(static_cast<int>(deadline.remainingTime()))) {
        char buffer[256];
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        m_unread.append(buffer, length);
    }
    QByteArray all;
    all.swap(m_unread);
    return all;
}
