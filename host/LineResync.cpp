#include "LineResync.h"

#include "AnswerShape.h"
#include "ControlClient.h"
#include "ControlTexts.h"
#include "EventWait.h"
#include "TK28950Dispids.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

namespace LineResync {
namespace {

// The shortest quiet after a version answer: a host's own scheduling takes
// about this long to deliver a line that is already there.
constexpr qint64 kShortestQuietMs = 10;

bool stopped(const Steps& steps)
{
    return steps.stopped && steps.stopped();
}

// The first answer to the request within the bound; a line nobody asked for
// is not one, but a line the control could not take as an answer (damaged,
// refused, or not a version) took the request's place like any other answer.
std::optional<Answer> awaitAnswer(AnswerWaiter& waiter, int boundMs, const Steps& steps)
{
    const QDeadlineTimer bound(boundMs, Qt::PreciseTimer);
    for (;;) {
        const std::optional<Answer> answer =
            waiter.wait(static_cast<int>(bound.remainingTime()), steps.stopped);
        if (!answer || answer->event != AnswerEvent::ErrorComm ||
            answer->text == ControlTexts::kCommError || AnswerShape::isRefusal(answer->text) ||
            stopped(steps))
            return answer;
        waiter.arm();
    }
}

// Waits until owed more lines than linesSoFar have come (those that came
// in the same burst as the version answer count).
void letOwedAnswersGoBy(AnswerWaiter& waiter, int linesSoFar, int owed, int boundMs,
                        const Steps& steps)
{
    if (owed <= 0 || boundMs <= 0)
        return;
    const int target = linesSoFar + owed;
    EventWait::until([&] { return waiter.eventsSeen() >= target || stopped(steps); }, boundMs);
}

bool isTimeOut(const std::optional<Answer>& answer)
{
    return answer && AnswerShape::isTimeOut(answer->text);
}

int nextAnswerBound(int boundMs, const Pace& pace)
{
    return pace.longestAnswerBoundMs > boundMs ? qMin(boundMs * 2, pace.longestAnswerBoundMs)
                                               : boundMs;
}

} // namespace

Outcome run(ControlClient& client, AnswerWaiter& waiter, const Pace& pace, const Steps& steps)
{
    const QDeadlineTimer total = pace.totalBoundMs > 0
                                     ? QDeadlineTimer(pace.totalBoundMs, Qt::PreciseTimer)
                                     : QDeadlineTimer(QDeadlineTimer::Forever);
    Outcome outcome;
    bool emptyFirst = true;
    int owed = 0;
    int askBoundMs = pace.answerBoundMs;
    for (int asked = 0;
         (pace.asks <= 0 || asked < pace.asks) && !stopped(steps) && !total.hasExpired(); ++asked) {
        if (emptyFirst && steps.emptyQueue && !steps.emptyQueue())
            break;
        waiter.arm();
        const int linesBefore = waiter.eventsSeen();
        QElapsedTimer roundTrip;
        roundTrip.start();
        const CallResult call = client.call(tk28950::dispid::Version);
        if (!call.ok()) {
            outcome.callError = call.error;
            break;
        }
        const int boundMs = total.isForever()
                                ? askBoundMs
                                : static_cast<int>(qMin<qint64>(
                                      askBoundMs, qMax<qint64>(1, total.remainingTime())));
        const std::optional<Answer> answer = awaitAnswer(waiter, boundMs, steps);
        if (stopped(steps))
            break;
        if (answer && answer->event == AnswerEvent::DataReady &&
            AnswerShape::isVersion(answer->text)) {
            outcome.roundTripUs = roundTrip.nsecsElapsed() / 1000;
            // The owed answers come no further apart than the requests that
            // are owed them were asked, within the last bound or two.
            letOwedAnswersGoBy(waiter, linesBefore + 1, owed,
                               qMin(pace.owedBoundMs, 2 * askBoundMs), steps);
            const int quietMs = static_cast<int>(qMin<qint64>(
                pace.quietMs, qMax<qint64>(kShortestQuietMs, 2 * outcome.roundTripUs / 1000 + 1)));
            if (waiter.staysQuiet(quietMs, [&] { return stopped(steps); })) {
                outcome.version = answer->text;
                outcome.foundInStep = asked == 0;
                return outcome;
            }
        } else {
            askBoundMs = nextAnswerBound(askBoundMs, pace);
        }
        // The answer that came took the place of this request's, or the
        // request's answer is late: either way one answer is still owed.
        ++owed;
        emptyFirst = isTimeOut(answer);
        if (steps.beforeAskingAgain && steps.beforeAskingAgain(answer))
            owed = 0;
        // Lines that came besides the answer taken (the rest of a burst,
        // or what came while the host paused) were answers owed.
        const int cameBesides = waiter.eventsSeen() - linesBefore - (answer ? 1 : 0);
        owed = qMax(0, owed - cameBesides);
    }
    return outcome;
}

} // namespace LineResync
