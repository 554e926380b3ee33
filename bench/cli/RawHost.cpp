#include "RawHost.h"

#include "ModuleLimits.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
// As long as the control waits for an answer.
constexpr int kAnswerTimeoutMs = tk28950::kCommandTimeoutMs;
} // namespace

RawHost::RawHost(const QString& device)
{
    m_fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (m_fd < 0)
        return;
    termios settings{};
    tcgetattr(m_fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(m_fd, TCSANOW, &settings);
}

RawHost::~RawHost()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QByteArray RawHost::exchange(const QByteArray& command)
{
    if (::write(m_fd, command.constData(), size_t(command.size())) != command.size())
        return {};
    QByteArray line;
    while (!line.endsWith("\r\n")) {
        pollfd ready{m_fd, POLLIN, 0};
        if (::poll(&ready, 1, kAnswerTimeoutMs) <= 0)
            return {};
        char buffer[64];
        const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
        if (count <= 0)
            return {};
        line.append(buffer, count);
    }
    line.chop(2);
    return line;
}
