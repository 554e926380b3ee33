#include "ControlSession.h"

#include "AnswerShape.h"
#include "ControlError.h"
#include "ControlTexts.h"
#include "DevicePort.h"
#include "LineResync.h"
#include "ModuleAnswers.h"
#include "PropertyValues.h"
#include "QuotedInput.h"
#include "ReadBack.h"
#include "TK28950Dispids.h"
#include "TK28950Members.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

using component::DispId;
using component::InvokeKind;
using component::Variant;

namespace {

const QString kLineInStep = QStringLiteral("bringing the line in step");
// A resynchronisation keeps asking for the version at least this much
// longer than the control's own command time: a module may take that long
// over an answer and then answers all it owes, in order.
constexpr int kPatienceMarginMs = 1000;
// A long bound leaves room for this many version requests, each followed
// by a wait for the line to fall quiet.
constexpr int kLeastVersionAsks = 4;
// The longest a version request of a resynchronisation waits.
constexpr int kLongestVersionBoundMs = 1000;
// Reads of one value before they are taken as disagreeing.
constexpr int kMostReads = 6;
// How many reads must agree on a value: two on a line that has shown no
// damage, three for this many requests after one that brought a damaged,
// misshapen or disagreeing answer (two reads flipped the same way are rare,
// but not on a line that flips many).
constexpr int kAgreeingReads = 2;
constexpr int kAgreeingReadsOnSuspectLine = 3;
constexpr int kSuspectRequests = 1000;

// The value that count reads agree on, once they do.
template <typename Value>
std::optional<Value> agreed(const QVector<Value>& reads, int count,
                            const std::function<bool(const Value&, const Value&)>& same)
{
    for (const Value& candidate : reads)
        if (std::count_if(reads.begin(), reads.end(),
                          [&](const Value& read) { return same(candidate, read); }) >= count)
            return candidate;
    return std::nullopt;
}

QString cellName(int address)
{
    return QStringLiteral("cell %1").arg(address);
}

QString prefixed(const QString& what, const QString& text)
{
    return what.isEmpty() ? text : QStringLiteral("%1: %2").arg(what, text);
}

const Expectation& cellExpectation()
{
    static const Expectation cell{
        AnswerEvent::DataReady,
        [](const QString& text) { return bool(AnswerShape::cellValue(text)); },
        QStringLiteral("a value from 0 to 255")};
    return cell;
}

const Expectation& writeExpectation()
{
    static const Expectation acknowledgement{
        AnswerEvent::DataReady,
        [](const QString& text) { return ModuleAnswers::isWriteAcknowledged(text); },
        QStringLiteral("the acknowledgement of the write")};
    return acknowledgement;
}

// How many request-and-answer exchanges one call into the control makes at
// most; no call is given less time than a property access.
int exchangesOf(InvokeKind kind, DispId dispid)
{
    const tk28950::MemberFacts* facts =
        kind == InvokeKind::Method ? tk28950::methodFacts(dispid) : nullptr;
    return std::max(facts ? facts->exchanges : 0, tk28950::kPropertyExchanges);
}

// Whether the control pairs the module's answers to the call itself, out of
// the session's sight: every property access, and the methods that wait for
// the module.
bool controlPairsAnswers(InvokeKind kind, DispId dispid)
{
    if (kind != InvokeKind::Method)
        return true;
    const tk28950::MemberFacts* facts = tk28950::methodFacts(dispid);
    return facts && (facts->result == tk28950::Result::WaitsForOk ||
                     facts->result == tk28950::Result::WaitsForValue);
}

// How many exchanges a read of the property makes with the module, each a
// cell; 0 when that is not known.
int cellReadsOf(DispId dispid)
{
    const tk28950::MemberFacts* facts = tk28950::memberFacts(dispid);
    return facts && facts->kind == tk28950::MemberKind::Property
               ? tk28950::cellsRead(facts->cells.shape)
               : 0;
}

// A put that fails for its value (out of range, not convertible) fails the
// same way every time; anything else a waiting call meets may pass.
bool isValueRefusal(component::HResult code)
{
    return code == component::kOverflow || code == component::kTypeMismatch ||
           code == component::kInvalidArgument || code == component::kBadParamCount;
}

} // namespace

// How one try ended; the value or answer is filled in when it was answered.
struct ControlSession::Attempt {
    RequestOutcome outcome = RequestOutcome::Answered;
    OutcomeDetail detail;
};

ControlSession::ControlSession(const QString& fallbackLibrary)
    : m_client(std::make_unique<ControlClient>())
{
    if (!m_client->create(QString::fromLatin1(tk28950::kProgId),
                          QString::fromLatin1(tk28950::kControlClsid), fallbackLibrary))
        throw ControlError(
            QStringLiteral("cannot create the control %1: %2")
                .arg(QString::fromLatin1(tk28950::kProgId), m_client->createError()));
    m_waiter = std::make_unique<AnswerWaiter>(*m_client);
}

ControlSession::~ControlSession() = default;

void ControlSession::open(int port)
{
    if (const QString failure = openPort(port); !failure.isEmpty())
        throw ControlError(QStringLiteral("cannot open port %1: %2").arg(port).arg(failure));
}

void ControlSession::open(const QString& device)
{
    if (const QString failure = openPort(DevicePort::map(device)); !failure.isEmpty())
        throw ControlError(QStringLiteral("cannot open %1: %2").arg(device, failure));
}

QString ControlSession::openPort(int port)
{
    const QString failure = m_client->openPort(port);
    if (failure.isEmpty()) {
        m_port = port;
        m_outOfStep = false;
    }
    return failure;
}

void ControlSession::note(const QString& text) const
{
    if (m_notes)
        m_notes(text);
}

void ControlSession::fail(const QString& what, RequestOutcome outcome, const OutcomeDetail& detail)
{
    throw ControlError(prefixed(what, describeOutcome(outcome, detail)), outcome);
}

void ControlSession::throwIfDisconnected(const QString& what)
{
    if (!m_waiter->disconnected())
        return;
    const CallResult portError = m_client->get(tk28950::dispid::PortError);
    fail(what, RequestOutcome::DeviceLost,
         OutcomeDetail::because(portError.ok() ? portError.text() : QString()));
}

// Brings the control's side in step: a repeated initialisation forgets the
// commands still pending (their answers, should they come, then pair with
// nothing) and the control's own time-out. No traffic.
void ControlSession::restartLink()
{
    if (m_waiter->disconnected())
        return; // an initialisation would try to open the device again
    m_client->call(tk28950::dispid::InitModule, {QString::number(m_port)});
}

// Every version request that brought no version answer (none within its
// bound, or a line owed to an earlier request in its place) still has its
// answer to come: once a version answer comes, those are let go by before
// the line counts as in step, and the line must then stay quiet. A module
// that answers later than the bound, or after a stall, answers all it owes
// in order, so none of those answers is taken for the next request's.
void ControlSession::synchronise()
{
    if (!isOpen())
        fail(kLineInStep, RequestOutcome::NotInitialised);
    m_outOfStep = true;
    throwIfDisconnected(kLineInStep);
    LineResync::Steps steps;
    // A late answer to the request that failed pairs with the first version
    // request and shows; there is no need to wait for it first.
    steps.emptyQueue = [this] {
        restartLink();
        return true;
    };
    steps.beforeAskingAgain = [this](const std::optional<Answer>& answer) {
        note(answer ? QStringLiteral("%1: the version request was answered %2; asking again")
                          .arg(kLineInStep, component::quotedInput(answer->text))
                    : QStringLiteral("%1: no answer to the version request; asking again")
                          .arg(kLineInStep));
        restartLink();
        return false;
    };
    steps.stopped = [this] { return m_waiter->disconnected(); };
    LineResync::Pace pace;
    pace.answerBoundMs = m_bound.ms();
    pace.asks = 0;
    pace.totalBoundMs = std::max(tk28950::kCommandTimeoutMs + kPatienceMarginMs,
                                 kLeastVersionAsks * 2 * m_bound.ms());
    pace.quietMs = m_bound.ms();
    pace.longestAnswerBoundMs = std::max(kLongestVersionBoundMs, m_bound.ms());
    // An owed answer lost on the way costs a wait of two asks' bounds, at
    // most this, never a value.
    pace.owedBoundMs = pace.longestAnswerBoundMs;
    const LineResync::Outcome outcome = LineResync::run(*m_client, *m_waiter, pace, steps);
    throwIfDisconnected(kLineInStep);
    if (!outcome.callError.isEmpty())
        fail(kLineInStep, RequestOutcome::CallFailed, OutcomeDetail::because(outcome.callError));
    if (!outcome.version)
        fail(kLineInStep, RequestOutcome::OutOfStep,
             OutcomeDetail::because(
                 QStringLiteral("the module did not answer the version request \"v\" with its "
                                "version in %1 s of asking (the first request waited %2 ms)")
                     .arg(pace.totalBoundMs / 1000.0, 0, 'f', 1)
                     .arg(pace.answerBoundMs)));
    m_versionText = *outcome.version;
    if (!outcome.foundInStep)
        ++m_timesFoundOutOfStep;
    if (outcome.roundTripUs > 0)
        m_bound.measured(outcome.roundTripUs);
    m_eventsHeard = m_waiter->eventsSeen();
    m_outOfStep = false;
}

// Brings the line in step before a try; when it cannot, after a try that
// failed, the failure says both.
void ControlSession::synchroniseAfter(const QString& what, const Attempt& failed)
{
    try {
        synchronise();
    } catch (const ControlError& error) {
        if (failed.outcome == RequestOutcome::Answered)
            throw;
        throw ControlError(prefixed(what, QStringLiteral("%1; then %2")
                                              .arg(describeOutcome(failed.outcome, failed.detail),
                                                   error.message())),
                           error.outcome());
    }
}

void ControlSession::suspectTheLine()
{
    m_suspectUntil = m_requests + kSuspectRequests;
}

int ControlSession::agreeingReads() const
{
    return m_requests < m_suspectUntil ? kAgreeingReadsOnSuspectLine : kAgreeingReads;
}

template <typename Result>
Result ControlSession::withRetries(const QString& what, int tries,
                                   const std::function<Attempt(Result*)>& attempt)
{
    if (m_busy)
        fail(what, RequestOutcome::Busy);
    m_busy = true;
    const auto idle = qScopeGuard([this] { m_busy = false; });
    m_unansweredTries = 0;
    Attempt last;
    for (int tried = 1; tried <= tries; ++tried) {
        if (m_outOfStep && isOpen())
            synchroniseAfter(what, last);
        Result result{};
        last = attempt(&result);
        m_eventsHeard = m_waiter->eventsSeen();
        ++m_requests;
        if (last.outcome == RequestOutcome::Damaged || last.outcome == RequestOutcome::WrongShape) {
            suspectTheLine();
            ++m_timesFoundOutOfStep;
        }
        throwIfDisconnected(what);
        if (last.outcome == RequestOutcome::Answered)
            return result;
        if (last.outcome == RequestOutcome::TimedOut)
            ++m_unansweredTries;
        m_outOfStep = true;
        if (!isWorthRetrying(last.outcome))
            break;
        if (tried < tries)
            note(prefixed(what, describeOutcome(last.outcome, last.detail) +
                                    QStringLiteral("; trying again")));
        else if (tries > 1)
            throw ControlError(prefixed(what, QStringLiteral("%1 (tried %2 times)")
                                                  .arg(describeOutcome(last.outcome, last.detail))
                                                  .arg(tries)),
                               last.outcome);
    }
    fail(what, last.outcome, last.detail);
}

int ControlSession::answerBoundOf(DispId method) const
{
    const bool slow =
        method == tk28950::dispid::ResetModule || method == tk28950::dispid::ResetEEPROM;
    // The module takes long over these: they get at least the control's own
    // command time.
    const int boundMs = m_bound.afterUnanswered(m_unansweredTries);
    return slow ? std::max(boundMs, tk28950::kCommandTimeoutMs) : boundMs;
}

// One try: sends, waits for the first event and judges it. The round trip of
// a well answered request teaches the bound; a lost one widens it.
ControlSession::Attempt ControlSession::exchangeOnce(DispId method, const QVector<Variant>& args,
                                                     const Expectation* expected, Answer* answer)
{
    m_waiter->arm();
    const int linesBefore = m_waiter->eventsSeen();
    QElapsedTimer roundTrip;
    roundTrip.start();
    const CallResult sent = m_client->call(method, args);
    if (!sent.ok())
        return {RequestOutcome::CallFailed, OutcomeDetail::because(sent.error)};
    if (sent.text() == ControlTexts::kNotInitialised)
        return {RequestOutcome::NotInitialised, {}};
    const int boundMs = answerBoundOf(method);
    const qint64 heldOffUs = holdOff(method, roundTrip.nsecsElapsed() / 1000, boundMs);
    const std::optional<Answer> event =
        m_waiter->wait(boundMs - static_cast<int>(heldOffUs / 1000));
    if (m_waiter->disconnected())
        return {RequestOutcome::DeviceLost, {}};
    if (!event) {
        m_bound.expired();
        return {RequestOutcome::TimedOut, OutcomeDetail::waited(boundMs)};
    }
    const OutcomeDetail detail =
        OutcomeDetail::of(event->text, expected ? expected->description : QString());
    if (event->event == AnswerEvent::DataReady && AnswerShape::isTimeOut(event->text))
        return {RequestOutcome::TimedOut, detail};
    // The module answers a request with one line: a second one that came
    // with it shows that one of the two answered an earlier request (an
    // answer repeated late comes before the right one), and which is
    // unknown.
    if (m_waiter->eventsSeen() - linesBefore > 1)
        return {RequestOutcome::Damaged,
                OutcomeDetail::because(QStringLiteral("another line came with it"))};
    if (event->event == AnswerEvent::ErrorComm)
        return {AnswerShape::isRefusal(event->text) ? RequestOutcome::Refused
                                                    : RequestOutcome::Damaged,
                OutcomeDetail::because(component::quotedInput(event->text))};
    if (expected) {
        if (AnswerShape::isRefusal(event->text))
            return {RequestOutcome::Refused, detail};
        const bool fits =
            event->event == expected->event && (!expected->fits || expected->fits(event->text));
        // Nothing but the version request brings the version back: this
        // answer belongs to another request.
        const bool stale = method != tk28950::dispid::Version && !m_versionText.isEmpty() &&
                           event->text == m_versionText;
        if (!fits || stale)
            return {RequestOutcome::WrongShape, detail};
    }
    const qint64 roundTripUs = roundTrip.nsecsElapsed() / 1000;
    if (boundMs == m_bound.ms())
        m_bound.measured(roundTripUs);
    m_earliest.answered(method, roundTripUs);
    *answer = *event;
    return {};
}

// Leaves the line alone while no answer to the method can have come yet,
// within the request's bound; how long, in microseconds.
qint64 ControlSession::holdOff(DispId method, qint64 sinceRequestUs, int boundMs)
{
    const qint64 leftUs =
        std::min(m_earliest.holdOffUs(method) - sinceRequestUs, qint64{boundMs} * 1000);
    if (leftUs <= 0 || m_waiter->answered())
        return 0;
    QThread::usleep(static_cast<unsigned long>(leftUs));
    return leftUs;
}

// A line that came while no request waited for it answers nothing that
// was asked (the answer of a method called on its own is the host's
// business, but it may also be a late or repeated answer): the line is
// brought in step before the next request, whose answer must pair with it.
void ControlSession::checkForUnaskedLines()
{
    if (m_waiter->eventsSeen() != m_eventsHeard) {
        m_outOfStep = true;
        ++m_timesFoundOutOfStep;
    }
}

// Every write is acknowledged alike: an acknowledgement still on its way
// when the next write was sent is taken for that write's without a sign.
// Inside a call the control completes itself it pairs every line with its
// oldest command, out of the session's sight: a line that came early (a
// repeated one) is taken for the answer and the next command is sent at
// once. Either way an answer is still owed when the writes or the call have
// ended, and a read that followed at once would take it for a value; the
// control's reads would then stay one answer behind, so that two of them
// could even agree on a value no cell holds. Before such a read the line
// must fall quiet for one answer bound; a line that comes meanwhile (with no
// command pending, the control reports it as an event) shows it out of
// step, and the read brings it in step first. Any line that came unasked
// before the read does the same.
void ControlSession::settleOwedAnswers()
{
    if (std::exchange(m_answerMayBeOwed, false))
        m_waiter->staysQuiet(m_bound.ms(), [this] { return m_waiter->disconnected(); });
    checkForUnaskedLines();
}

Answer ControlSession::request(DispId method, const QVector<Variant>& args, const QString& what,
                               const std::optional<Expectation>& expected)
{
    // Before InitModule the control sends nothing and some methods still
    // say "Ok": no answer would ever come.
    if (!isOpen())
        fail(what, RequestOutcome::NotInitialised);
    checkForUnaskedLines();
    return withRetries<Answer>(what, m_retries + 1, [&](Answer* answer) {
        return exchangeOnce(method, args, expected ? &*expected : nullptr, answer);
    });
}

Answer ControlSession::requestConfirmed(DispId method, const QVector<Variant>& args,
                                        const QString& what, const Expectation& expected)
{
    if (!m_readTwice)
        return request(method, args, what, expected);
    QVector<Answer> reads;
    const std::function<bool(const Answer&, const Answer&)> same = [](const Answer& first,
                                                                      const Answer& second) {
        return first.event == second.event && first.text == second.text;
    };
    while (reads.size() < kMostReads) {
        reads.append(request(method, args, what, expected));
        if (reads.size() > 1 && !same(reads.first(), reads.last()))
            suspectTheLine();
        if (const std::optional<Answer> answer = agreed(reads, agreeingReads(), same))
            return *answer;
    }
    QStringList texts;
    for (const Answer& answer : reads)
        texts << answer.text;
    fail(what, RequestOutcome::Disagreeing, OutcomeDetail::of(texts.join(QStringLiteral(", "))));
}

Answer ControlSession::exchange(DispId method, const QVector<Variant>& args, const QString& what)
{
    if (!isOpen())
        fail(what, RequestOutcome::NotInitialised);
    checkForUnaskedLines();
    return withRetries<Answer>(
        what, 1, [&](Answer* answer) { return exchangeOnce(method, args, nullptr, answer); });
}

// A call that waits inside the control ends when the control's command
// timer expires, after its command time. The session's own bound is shorter: each time it
// passes, the control's link is restarted from inside the wait, which
// forgets the pending commands and so ends the wait the call is in. A call
// makes a bounded number of exchanges, so it comes back; it is then taken as
// failed. A read of cells answered at its first try teaches the bound the
// round trip of one of its exchanges, as a request's does: a session that
// only reads and writes properties learns the line too.
ControlSession::Attempt ControlSession::invokeOnce(InvokeKind kind, DispId dispid,
                                                   const QVector<Variant>& args, Variant* value)
{
    m_waiter->arm();
    if (controlPairsAnswers(kind, dispid))
        m_answerMayBeOwed = true;
    const int boundMs = m_bound.afterUnanswered(m_unansweredTries) * exchangesOf(kind, dispid);
    int cutsShort = 0;
    QTimer guard;
    guard.setTimerType(Qt::PreciseTimer);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        ++cutsShort;
        restartLink();
    });
    guard.start(boundMs);
    QElapsedTimer elapsed;
    elapsed.start();
    const CallResult result = kind == InvokeKind::PropertyPut ? m_client->put(dispid, args.value(0))
                              : kind == InvokeKind::PropertyGet ? m_client->get(dispid)
                                                                : m_client->call(dispid, args);
    guard.stop();
    if (m_waiter->disconnected())
        return {RequestOutcome::DeviceLost, {}};
    if (cutsShort > 0) {
        m_bound.expired();
        return {RequestOutcome::TimedOut, OutcomeDetail::waited(boundMs)};
    }
    if (m_waiter->controlTimedOut() || result.text() == ControlTexts::kTimeOut)
        return {RequestOutcome::TimedOut, {}};
    if (!result.ok()) {
        // A read has no value of its own to be refused: its failure is the
        // line's. A put may be refused for its value.
        const bool line = kind == InvokeKind::PropertyGet ||
                          (kind == InvokeKind::PropertyPut && !isValueRefusal(result.code));
        return {line ? RequestOutcome::Damaged : RequestOutcome::CallFailed,
                OutcomeDetail::because(result.error)};
    }
    const int cellReads = kind == InvokeKind::PropertyGet ? cellReadsOf(dispid) : 0;
    if (cellReads > 0 && m_unansweredTries == 0)
        m_bound.measured(elapsed.nsecsElapsed() / 1000 / cellReads);
    *value = result.value;
    return {};
}

Variant ControlSession::invoke(InvokeKind kind, DispId dispid, const QVector<Variant>& args,
                               const QString& what)
{
    if (kind == InvokeKind::PropertyGet)
        return readProperty(dispid, what);
    if (kind == InvokeKind::PropertyPut) {
        writeProperty(dispid, args.value(0), what);
        return {};
    }
    return withRetries<Variant>(
        what, 1, [&](Variant* value) { return invokeOnce(kind, dispid, args, value); });
}

// Read until two reads agree: a flipped digit in one of them does not
// become the value. Each read waits for an answer still owed to the call
// before it, so no two reads can take their values from a line out of step.
Variant ControlSession::readProperty(DispId dispid, const QString& what)
{
    const auto readOnce = [&] {
        settleOwedAnswers();
        return withRetries<Variant>(what, m_retries + 1, [&](Variant* value) {
            return invokeOnce(InvokeKind::PropertyGet, dispid, {}, value);
        });
    };
    if (!m_readTwice)
        return readOnce();
    QVector<Variant> reads;
    const std::function<bool(const Variant&, const Variant&)> same = ReadBack::same;
    while (reads.size() < kMostReads) {
        reads.append(readOnce());
        if (reads.size() > 1 && !same(reads.first(), reads.last()))
            suspectTheLine();
        if (const std::optional<Variant> value = agreed(reads, agreeingReads(), same))
            return *value;
    }
    fail(what, RequestOutcome::Disagreeing, OutcomeDetail::of(ReadBack::list(reads)));
}

// Written, then read back: a value the control ignored, cut or changed is
// not reported as written.
void ControlSession::writeProperty(DispId dispid, const Variant& value, const QString& what)
{
    if (const std::optional<QString> refusal = PropertyValues::refusal(dispid, value))
        fail(what, RequestOutcome::CallFailed, OutcomeDetail::because(*refusal));
    withRetries<Variant>(what, m_retries + 1, [&](Variant* result) {
        return invokeOnce(InvokeKind::PropertyPut, dispid, {value}, result);
    });
    const Variant readBack = readProperty(dispid, what);
    if (!ReadBack::holds(readBack, value))
        fail(what, RequestOutcome::NotKept,
             OutcomeDetail::of(ReadBack::text(readBack), ReadBack::text(value)));
}

QString ControlSession::reading(Axis axis, const QString& what, Readings readings)
{
    const bool x = axis == Axis::X;
    const Expectation expected{x ? AnswerEvent::XReady : AnswerEvent::YReady,
                               AnswerShape::isSignedDecimal,
                               x ? QStringLiteral("an X reading") : QStringLiteral("a Y reading")};
    const DispId method = x ? tk28950::dispid::ReadXChan : tk28950::dispid::ReadYChan;
    return ask(method, {Variant(std::uint8_t{0})}, what, expected, readings).text;
}

// Asked as the module's own command, so that its very answer is judged: the
// control's temperature method turns any answer, "E" included, into a
// number.
QString ControlSession::temperatureTenths(const QString& what, Readings readings)
{
    const Expectation tenths{AnswerEvent::DataReady, AnswerShape::isSignedDecimal,
                             QStringLiteral("a temperature")};
    return ask(tk28950::dispid::SendCMD, {QStringLiteral("e")}, what, tenths, readings).text;
}

Answer ControlSession::ask(DispId method, const QVector<Variant>& args, const QString& what,
                           const Expectation& expected, Readings readings)
{
    return readings == Readings::Single ? request(method, args, what, expected)
                                        : requestConfirmed(method, args, what, expected);
}

int ControlSession::readCell(int address)
{
    settleOwedAnswers();
    const Answer answer = request(tk28950::dispid::ReadEEPROM, {QString::number(address)},
                                  cellName(address), cellExpectation());
    return *AnswerShape::cellValue(answer.text);
}

int ControlSession::readCellConfirmed(int address)
{
    if (!m_readTwice)
        return readCell(address);
    QVector<int> reads;
    const std::function<bool(const int&, const int&)> same = std::equal_to<int>();
    while (reads.size() < kMostReads) {
        reads.append(readCell(address));
        if (reads.size() > 1 && reads.first() != reads.last())
            suspectTheLine();
        if (const std::optional<int> value = agreed(reads, agreeingReads(), same))
            return *value;
    }
    QStringList texts;
    for (int value : reads)
        texts << QString::number(value);
    fail(cellName(address), RequestOutcome::Disagreeing,
         OutcomeDetail::of(texts.join(QStringLiteral(", "))));
}

int ControlSession::readCellExpecting(int address, int expected)
{
    const int value = readCell(address);
    return value == expected ? value : readCellConfirmed(address);
}

void ControlSession::writeCell(int address, int value)
{
    m_answerMayBeOwed = true;
    request(tk28950::dispid::WriteEEPROM, {QString::number(address), QString::number(value)},
            QStringLiteral("%1: write of %2").arg(cellName(address)).arg(value),
            writeExpectation());
}

QVector<int> ControlSession::dump(const Progress& progress)
{
    QVector<int> cells;
    cells.reserve(kCells);
    for (int address = 0; address < kCells; ++address) {
        cells.append(readCellConfirmed(address));
        if (progress)
            progress(address + 1);
    }
    return cells;
}

void ControlSession::restore(const QVector<int>& cells, bool verify, const Progress& progress)
{
    if (cells.size() != kCells)
        throw std::invalid_argument("a restore takes exactly " + std::to_string(kCells) +
                                    " cell values, got " + std::to_string(cells.size()));
    for (int address = 0; address < kCells; ++address)
        if (cells[address] < 0 || cells[address] > 255)
            throw std::invalid_argument("cell " + std::to_string(address) + ": " +
                                        std::to_string(cells[address]) +
                                        " is not a value from 0 to 255");
    for (int address = 0; address < kCells; ++address) {
        writeCell(address, cells[address]);
        if (progress)
            progress(address + 1);
    }
    if (!verify)
        return;
    QStringList differences;
    for (int address = 0; address < kCells; ++address) {
        const int value = readCellExpecting(address, cells[address]);
        if (value != cells[address])
            differences << QStringLiteral("cell %1 wrote %2, reads %3")
                               .arg(address)
                               .arg(cells[address])
                               .arg(value);
        if (progress)
            progress(kCells + address + 1);
    }
    if (!differences.isEmpty())
        throw ControlError(QStringLiteral("verify failed: ") +
                               differences.join(QStringLiteral("; ")),
                           RequestOutcome::NotKept);
}
