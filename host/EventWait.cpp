#include "EventWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <limits>

namespace EventWait {

bool until(const std::function<bool()>& done, int boundMs)
{
    const QDeadlineTimer bound(qMax(0, boundMs), Qt::PreciseTimer);
    // Ends the sleep at the bound. A timer may fire a little before the
    // deadline; it is then started again for the time that is left.
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    while (!done()) {
        // A host kept busy past the bound (a long repaint) has not yet seen
        // what came meanwhile: what is already there gets one pass before
        // the wait counts as unanswered.
        if (bound.hasExpired()) {
            QCoreApplication::processEvents();
            return done();
        }
        // One millisecond past the deadline, within what a timer takes: a
        // bound of "as long as it takes" is given as the largest int.
        if (!wakeUp.isActive())
            wakeUp.start(static_cast<int>(
                qMin<qint64>(bound.remainingTime() + 1, std::numeric_limits<int>::max())));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace EventWait
