#include "LineResync.h"

#include "AnswerShape.h"
#include "ControlClient.h"
#include "ControlTexts.h"
#include "EventWait.h"
#include "TK28950Dispids.h"

#include <QDeadlineTimer>

namespace LineResync {
namespace {

bool stopped(const Steps& steps)
{
    return steps.stopped && steps.stopped();
}

// The first answer to the request within the bound; a line nobody asked for
// is not one, but a line the control could not take as an answer (damaged,
// or not a version) took the request's place like any other answer.
std::optional<Answer> awaitAnswer(AnswerWaiter& waiter, int boundMs, const Steps& steps)
{
    const QDeadlineTimer bound(boundMs, Qt::PreciseTimer);
    for (;;) {
        const std::optional<Answer> answer =
            waiter.wait(static_cast<int>(bound.remainingTime()), steps.stopped);
        if (!answer || answer->event != AnswerEvent::ErrorComm ||
            answer->text == ControlTexts::kCommError || stopped(steps))
            return answer;
        waiter.arm();
    }
}

void letOwedAnswersGoBy(AnswerWaiter& waiter, int owed, int boundMs, const Steps& steps)
{
    if (owed <= 0 || boundMs <= 0)
        return;
    const int target = waiter.eventsSeen() + owed;
    EventWait::until([&] { return waiter.eventsSeen() >= target || stopped(steps); }, boundMs);
}

bool isTimeOut(const std::optional<Answer>& answer)
{
    return answer &&
           answer->text.trimmed().compare(ControlTexts::kTimeOut, Qt::CaseInsensitive) == 0;
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
    for (int asked = 0; asked < pace.asks && !stopped(steps) && !total.hasExpired(); ++asked) {
        if (emptyFirst && steps.emptyQueue && !steps.emptyQueue())
            break;
        waiter.arm();
        const CallResult call = client.call(tk28950::dispid::Version);
        if (!call.ok()) {
            outcome.callError = call.error;
            break;
        }
        const int boundMs = total.isForever()
                                ? pace.answerBoundMs
                                : static_cast<int>(qMin<qint64>(
                                      pace.answerBoundMs, qMax<qint64>(1, total.remainingTime())));
        const std::optional<Answer> answer = awaitAnswer(waiter, boundMs, steps);
        if (stopped(steps))
            break;
        if (answer && answer->event == AnswerEvent::DataReady &&
            AnswerShape::isVersion(answer->text)) {
            letOwedAnswersGoBy(waiter, owed, pace.owedBoundMs, steps);
            outcome.version = answer->text;
            return outcome;
        }
        // The answer that came took the place of this request's, or the
        // request's answer is late: either way one answer is still owed.
        ++owed;
        emptyFirst = isTimeOut(answer);
        if (steps.beforeAskingAgain && steps.beforeAskingAgain(answer))
            owed = 0;
    }
    return outcome;
}

} // namespace LineResync
