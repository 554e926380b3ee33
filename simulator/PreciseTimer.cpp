#include "PreciseTimer.h"

#include <QSocketNotifier>

#include <algorithm>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {
constexpr qint64 NsPerSecond = 1000000000;
}

PreciseTimer::PreciseTimer(QObject* parent) : QObject(parent)
{
    m_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        qFatal("cannot create a timer: timerfd_create failed");
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PreciseTimer::expire);
}

PreciseTimer::~PreciseTimer()
{
    delete m_notifier;
    ::close(m_fd);
}

void PreciseTimer::start(qint64 waitNs)
{
    const qint64 ns = std::max<qint64>(1, waitNs); // 0 would disarm the timer
    itimerspec when{};
    when.it_value.tv_sec = static_cast<time_t>(ns / NsPerSecond);
    when.it_value.tv_nsec = static_cast<long>(ns % NsPerSecond);
    timerfd_settime(m_fd, 0, &when, nullptr);
}

void PreciseTimer::stop()
{
    const itimerspec disarmed{};
    timerfd_settime(m_fd, 0, &disarmed, nullptr);
}

void PreciseTimer::expire()
{
    quint64 expirations = 0;
    if (::read(m_fd, &expirations, sizeof expirations) != sizeof expirations)
        return; // disarmed or re-armed since the notification: nothing is due
    emit timeout();
}
