#include "ModuleSession.h"

#include "ControlClient.h"
#include "ControlError.h"
#include "ControlTexts.h"
#include "DevicePort.h"
#include "LibraryLocation.h"
#include "LineResync.h"
#include "QuotedInput.h"
#include "SerialPorts.h"
#include "TK28950Dispids.h"
#include "TK28950Members.h"

#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

using component::DispId;
using component::InvokeKind;
using component::Variant;

namespace {

const QString kLineInStep = QStringLiteral("bringing the line in step");
// Version requests of one resynchronisation before the tool gives up.
constexpr int kVersionAsks = 4;
// The longest a resynchronisation waits for the line to fall quiet, in
// bounds: a module that keeps talking is not waited for.
constexpr int kMostBoundsOfDraining = 20;
int answerBoundOf(DispId method, int boundMs)
{
    const bool slow =
        method == tk28950::dispid::ResetModule || method == tk28950::dispid::ResetEEPROM;
    // The module takes long over these: they get at least the control's own
    // command time.
    return slow ? std::max(boundMs, tk28950::kCommandTimeoutMs) : boundMs;
}

QString describe(const Answer& answer)
{
    return answer.event == AnswerEvent::DataReady
               ? component::quotedInput(answer.text)
               : QStringLiteral("%1 %2").arg(AnswerWaiter::eventName(answer.event),
                                             component::quotedInput(answer.text));
}

// How many request-and-answer exchanges one call into the control makes at
// most, for the bound of a call that waits inside the control; no call is
// given less time than a property access.
int exchangesOf(InvokeKind kind, DispId dispid)
{
    const tk28950::MethodFacts* facts =
        kind == InvokeKind::Method ? tk28950::methodFacts(dispid) : nullptr;
    return std::max(facts ? facts->exchanges : 0, tk28950::kPropertyExchanges);
}

QString kindName(MemberCatalog::Kind kind)
{
    return kind == MemberCatalog::Kind::Method ? QStringLiteral("method")
                                               : QStringLiteral("property");
}

// The host side reports its failures as ControlError; for the tool they mean
// that there is no control to talk to.
template <typename Step> auto orNoControl(Step step)
{
    try {
        return step();
    } catch (const ControlError& error) {
        throw ToolError{ExitCode::NoControl, error.message()};
    }
}

} // namespace

ModuleSession::ModuleSession(SessionOptions options) : m_options(std::move(options)) {}

ModuleSession::~ModuleSession() = default;

void ModuleSession::create()
{
    if (m_client)
        return;
    auto client = std::make_unique<ControlClient>();
    const QString fallback = LibraryLocation::fallbackLibrary();
    if (!client->create(QString::fromLatin1(tk28950::kProgId),
                        QString::fromLatin1(tk28950::kControlClsid), fallback))
        throw ToolError{ExitCode::NoControl,
                        QStringLiteral("cannot create the control %1: %2 (register the library "
                                       "with tk28950-regsvr, or install it beside the tool)")
                            .arg(QString::fromLatin1(tk28950::kProgId), client->createError())};
    if (client->usedFallback())
        note(QStringLiteral("%1 is not registered; using the library beside the tool: %2")
                 .arg(QString::fromLatin1(tk28950::kProgId), client->libraryPath()));
    else
        note(QStringLiteral("control created through the registry from %1")
                 .arg(client->libraryPath()));
    client->setSite(&m_site);
    m_catalog = orNoControl([&] { return MemberCatalog::fromLibrary(client->libraryPath()); });
    m_waiter = std::make_unique<AnswerWaiter>(*client);
    m_client = std::move(client);
}

const MemberCatalog& ModuleSession::catalog()
{
    create();
    return *m_catalog;
}

const component::TypeLibMember& ModuleSession::member(const QString& name, MemberCatalog::Kind kind)
{
    const MemberCatalog& members = catalog();
    if (const auto* published = members.byName(name, kind))
        return *published;
    DispId dispid = 0;
    if (m_client->idOfName(name, &dispid))
        if (const auto* alias = members.byDispid(dispid, kind))
            return *alias;
    throw usageError(QStringLiteral("unknown %1 %2; the control has: %3")
                         .arg(kindName(kind), component::quotedInput(name),
                              members.names(kind).join(QStringLiteral(", "))));
}

int ModuleSession::portNumber()
{
    if (!m_options.device.isEmpty()) {
        if (!m_mappedPort)
            m_mappedPort = orNoControl([this] { return DevicePort::map(m_options.device); });
        return *m_mappedPort;
    }
    return m_options.port.value_or(1);
}

QString ModuleSession::portDescription() const
{
    if (!m_options.device.isEmpty())
        return m_options.device;
    return QStringLiteral("port %1").arg(m_options.port.value_or(1));
}

void ModuleSession::open()
{
    if (m_open)
        return;
    create();
    const int port = portNumber();
    if (!m_options.device.isEmpty())
        note(QStringLiteral("%1 mapped to port %2").arg(m_options.device).arg(port));
    const QString failure = m_client->openPort(port);
    if (!failure.isEmpty())
        throw ToolError{ExitCode::NoControl, openFailure(failure)};
    note(QStringLiteral("%1: %2").arg(portDescription(), ControlTexts::kReady));
    m_open = true;
    resynchronise();
}

// Brings the control's side in step: a repeated initialisation forgets the
// commands still pending (their answers, should they come, then pair with
// nothing) and the control's own time-out. No traffic.
void ModuleSession::restartLink()
{
    if (m_waiter->disconnected())
        return; // an initialisation would try to open the device again
    m_client->call(tk28950::dispid::InitModule, {QString::number(portNumber())});
}

// Waits until the module has sent nothing for one bound: whatever was still
// on its way to a request given up arrives meanwhile and pairs with nothing.
void ModuleSession::drainUntilQuiet()
{
    QElapsedTimer clock;
    clock.start();
    const qint64 limitMs = qint64(m_options.timeoutMs) * kMostBoundsOfDraining;
    for (;;) {
        m_waiter->arm();
        const bool heard = m_waiter->wait(m_options.timeoutMs).has_value();
        throwIfDisconnected(kLineInStep);
        if (!heard || clock.elapsed() > limitMs)
            return;
    }
}

// Whatever a request given up may still bring in is let go by before the
// first version request, and again after every one that was not answered
// with the version, so that no answer is owed when the line is in step.
void ModuleSession::resynchronise()
{
    throwIfDisconnected(kLineInStep);
    LineResync::Steps steps;
    steps.emptyQueue = [this, drain = m_disturbed]() mutable {
        restartLink();
        if (std::exchange(drain, false))
            drainUntilQuiet();
        return true;
    };
    steps.beforeAskingAgain = [this](const std::optional<Answer>& answer) {
        note(answer ? QStringLiteral("%1: the version request was answered %2; asking again")
                          .arg(kLineInStep, describe(*answer))
                    : QStringLiteral("%1: no answer to the version request; asking again")
                          .arg(kLineInStep));
        restartLink();
        drainUntilQuiet();
        return true;
    };
    steps.stopped = [this] { return m_waiter->disconnected(); };
    const LineResync::Outcome outcome =
        LineResync::run(*m_client, *m_waiter, {m_options.timeoutMs, kVersionAsks}, steps);
    throwIfDisconnected(kLineInStep);
    if (!outcome.callError.isEmpty())
        throw moduleError(QStringLiteral("%1: %2").arg(kLineInStep, outcome.callError));
    if (outcome.version) {
        m_versionText = *outcome.version;
        m_outOfStep = false;
        m_disturbed = false;
        return;
    }
    throw moduleError(QStringLiteral("%1: the module did not answer the version request \"v\" "
                                     "with its version in %2 tries of %3 ms each")
                          .arg(kLineInStep)
                          .arg(kVersionAsks)
                          .arg(m_options.timeoutMs));
}

void ModuleSession::throwIfDisconnected(const QString& what)
{
    if (!m_waiter->disconnected())
        return;
    const CallResult portError = m_client->get(tk28950::dispid::PortError);
    const QString reason = portError.ok() ? portError.text() : QString();
    throw moduleError(
        QStringLiteral("%1: device disconnected%2")
            .arg(what, reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason)));
}

template <typename Result>
Result ModuleSession::withRetries(const QString& what, int tries,
                                  const std::function<std::optional<Result>(QString*)>& attempt)
{
    open();
    QString failure;
    for (int tried = 1; tried <= tries; ++tried) {
        if (m_outOfStep)
            resynchronise();
        if (std::optional<Result> result = attempt(&failure))
            return *result;
        throwIfDisconnected(what);
        m_outOfStep = true;
        m_disturbed = true;
        if (tried < tries)
            note(QStringLiteral("%1: %2; trying again").arg(what, failure));
    }
    throw moduleError(tries > 1
                          ? QStringLiteral("%1: %2 (tried %3 times)").arg(what, failure).arg(tries)
                          : QStringLiteral("%1: %2").arg(what, failure));
}

std::optional<Answer> ModuleSession::exchangeOnce(DispId method, const QVector<Variant>& args,
                                                  const QString& what, const AnswerCheck& check,
                                                  QString* failure)
{
    throwIfDisconnected(what);
    m_waiter->arm();
    const CallResult result = m_client->call(method, args);
    if (!result.ok())
        throw moduleError(QStringLiteral("%1: %2").arg(what, result.error));
    if (result.text() == ControlTexts::kNotInitialised) {
        throwIfDisconnected(what);
        throw moduleError(QStringLiteral("%1: %2").arg(what, result.text()));
    }
    const int boundMs = answerBoundOf(method, m_options.timeoutMs);
    const std::optional<Answer> answer = m_waiter->wait(boundMs);
    throwIfDisconnected(what);
    if (!answer)
        *failure = QStringLiteral("no answer within %1 ms").arg(boundMs);
    else if (answer->event == AnswerEvent::DataReady && answer->text == ControlTexts::kTimeOut)
        *failure = QStringLiteral("the module did not answer (%1)").arg(ControlTexts::kTimeOut);
    else if (answer->event == AnswerEvent::ErrorComm)
        *failure = answer->text.isEmpty()
                       ? QStringLiteral("the module sent a line nobody asked for")
                       : answer->text;
    else if (check && method != tk28950::dispid::Version && answer->text == m_versionText)
        *failure = QStringLiteral("the answer %1 is the module's version: the line was out of step")
                       .arg(describe(*answer));
    else if (check)
        *failure = check(*answer);
    if (!failure->isEmpty())
        return std::nullopt;
    return answer;
}

Answer ModuleSession::request(DispId method, const QVector<Variant>& args, const QString& what,
                              const AnswerCheck& check)
{
    return withRetries<Answer>(what, m_options.retries + 1, [&](QString* failure) {
        return exchangeOnce(method, args, what, check, failure);
    });
}

Answer ModuleSession::exchange(DispId method, const QVector<Variant>& args, const QString& what)
{
    return withRetries<Answer>(what, 1, [&](QString* failure) {
        return exchangeOnce(method, args, what, nullptr, failure);
    });
}

// A call that waits inside the control ends when the control's command
// timer expires, after 3 s. The tool's own bound is shorter: each time it
// passes, the control's link is restarted from inside the wait, which
// forgets the pending commands and so ends the wait the call is in. A call
// makes a bounded number of exchanges, so it comes back; it is then taken as
// failed.
std::optional<Variant> ModuleSession::invokeOnce(InvokeKind kind, DispId dispid,
                                                 const QVector<Variant>& args, const QString& what,
                                                 QString* failure)
{
    m_waiter->arm();
    const int boundMs = m_options.timeoutMs * exchangesOf(kind, dispid);
    int cutsShort = 0;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        ++cutsShort;
        restartLink();
    });
    guard.start(boundMs);
    CallResult result;
    if (kind == InvokeKind::PropertyPut)
        result = m_client->put(dispid, args.value(0));
    else if (kind == InvokeKind::PropertyGet)
        result = m_client->get(dispid);
    else
        result = m_client->call(dispid, args);
    guard.stop();
    throwIfDisconnected(what);
    if (cutsShort > 0)
        *failure = QStringLiteral("not all answers came within %1 ms").arg(boundMs);
    else if (m_waiter->controlTimedOut() || result.text() == ControlTexts::kTimeOut)
        *failure = QStringLiteral("the module did not answer (%1)").arg(ControlTexts::kTimeOut);
    else if (!result.ok())
        throw moduleError(QStringLiteral("%1: %2").arg(what, result.error));
    if (!failure->isEmpty())
        return std::nullopt;
    return result.value;
}

Variant ModuleSession::invoke(InvokeKind kind, DispId dispid, const QVector<Variant>& args,
                              const QString& what)
{
    const int tries = kind == InvokeKind::Method ? 1 : m_options.retries + 1;
    return withRetries<Variant>(what, tries, [&](QString* failure) {
        return invokeOnce(kind, dispid, args, what, failure);
    });
}

// "cannot open" with the device, the reason (which may name the device
// itself already) and what the operator can do about it.
QString ModuleSession::openFailure(const QString& reason) const
{
    const QString where = portDescription();
    QString text = reason.startsWith(where + QLatin1Char(':'))
                       ? QStringLiteral("cannot open %1").arg(reason)
                       : QStringLiteral("cannot open %1: %2").arg(where, reason);
    const QString hint = SerialPorts::openFailureHint(reason);
    if (!hint.isEmpty())
        text += QStringLiteral("; ") + hint;
    return text;
}

void ModuleSession::note(const QString& text) const
{
    if (m_options.verbose)
        std::fprintf(stderr, "tk28950: %s\n", qUtf8Printable(text));
}
