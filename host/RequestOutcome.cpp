#include "RequestOutcome.h"

#include "ControlTexts.h"
#include "QuotedInput.h"

OutcomeDetail OutcomeDetail::waited(int boundMs)
{
    OutcomeDetail detail;
    detail.boundMs = boundMs;
    return detail;
}

OutcomeDetail OutcomeDetail::of(const QString& answer, const QString& expected)
{
    OutcomeDetail detail;
    detail.answer = answer;
    detail.expected = expected;
    return detail;
}

OutcomeDetail OutcomeDetail::because(const QString& reason)
{
    OutcomeDetail detail;
    detail.reason = reason;
    return detail;
}

QString describeOutcome(RequestOutcome outcome, const OutcomeDetail& detail)
{
    const QString answer = component::quotedInput(detail.answer);
    switch (outcome) {
    case RequestOutcome::Answered:
        return QStringLiteral("answered %1").arg(answer);
    case RequestOutcome::TimedOut:
        return detail.boundMs > 0
                   ? QStringLiteral("no answer within %1 ms").arg(detail.boundMs)
                   : QStringLiteral("the module did not answer (%1)").arg(ControlTexts::kTimeOut);
    case RequestOutcome::Damaged:
        return detail.reason.isEmpty()
                   ? QStringLiteral("the answer was damaged or did not fit the request")
                   : QStringLiteral("the answer was damaged or did not fit the request (%1)")
                         .arg(detail.reason);
    case RequestOutcome::Refused:
        return QStringLiteral("the module refused the command (it answered \"E\")");
    case RequestOutcome::WrongShape:
        return QStringLiteral("the answer %1 is not %2").arg(answer, detail.expected);
    case RequestOutcome::NotKept:
        return QStringLiteral("the module did not keep the value: %1 was written, %2 reads back")
            .arg(component::quotedInput(detail.expected), answer);
    case RequestOutcome::Disagreeing:
        return QStringLiteral("repeated reads disagree (%1)").arg(detail.answer);
    case RequestOutcome::OutOfStep:
        return detail.reason;
    case RequestOutcome::DeviceLost:
        return detail.reason.isEmpty()
                   ? QStringLiteral("device disconnected")
                   : QStringLiteral("device disconnected (%1)").arg(detail.reason);
    case RequestOutcome::Busy:
        return QStringLiteral("the control is busy with another request");
    case RequestOutcome::NotInitialised:
        return QStringLiteral("no port is open (%1)").arg(ControlTexts::kNotInitialised);
    case RequestOutcome::CallFailed:
        return detail.reason;
    }
    return {};
}

bool isWorthRetrying(RequestOutcome outcome)
{
    switch (outcome) {
    case RequestOutcome::TimedOut:
    case RequestOutcome::Damaged:
    case RequestOutcome::Refused:
    case RequestOutcome::WrongShape:
        return true;
    default:
        return false;
    }
}
