#include "HostWatch.h"

#include <QSocketNotifier>

#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

HostWatch::HostWatch(QObject* parent) : QObject(parent) {}

HostWatch::~HostWatch()
{
    if (m_inotify >= 0)
        ::close(m_inotify);
}

void HostWatch::watch(const QString& devicePath)
{
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0)
        return;
    const QByteArray path = devicePath.toLocal8Bit();
    if (::inotify_add_watch(m_inotify, path.constData(), IN_OPEN | IN_CLOSE) < 0) {
        ::close(m_inotify);
        m_inotify = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &HostWatch::update);
}

bool HostWatch::hostPresent() const
{
    return m_inotify < 0 || m_openCount > 0;
}

void HostWatch::update()
{
    if (m_inotify < 0)
        return;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t length = ::read(m_inotify, buffer, sizeof buffer);
        if (length <= 0)
            return;
        for (ssize_t offset = 0; offset < length;) {
            inotify_event event;
            std::memcpy(&event, buffer + offset, sizeof event);
            offset += static_cast<ssize_t>(sizeof event + event.len);
            if (event.mask & IN_OPEN) {
                ++m_openCount;
            } else if ((event.mask & IN_CLOSE) && m_openCount > 0 && --m_openCount == 0) {
                emit allClosed();
            }
        }
    }
}
