#include "Clock.h"

#include <QElapsedTimer>

namespace {
const QElapsedTimer& startTime()
{
    static const QElapsedTimer timer = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return timer;
}
} // namespace

qint64 Clock::nowNs()
{
    return startTime().nsecsElapsed();
}

double Clock::secondsSinceStart()
{
    return static_cast<double>(nowNs()) / 1e9;
}
