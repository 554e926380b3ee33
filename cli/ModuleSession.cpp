#include "ModuleSession.h"

#include "ControlError.h"
#include "ControlTexts.h"
#include "DevicePort.h"
#include "LibraryLocation.h"
#include "QuotedInput.h"
#include "SerialPorts.h"
#include "TK28950Dispids.h"

#include <cstdio>

using component::DispId;
using component::InvokeKind;
using component::Variant;

namespace {

QString kindName(MemberCatalog::Kind kind)
{
    return kind == MemberCatalog::Kind::Method ? QStringLiteral("method")
                                               : QStringLiteral("property");
}

// The host side reports its failures as ControlError; before the port is
// open they mean that there is no control to talk to.
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

ControlSession& ModuleSession::control()
{
    if (m_session)
        return *m_session;
    const QString fallback = LibraryLocation::fallbackLibrary();
    try {
        m_session = std::make_unique<ControlSession>(fallback);
    } catch (const ControlError& error) {
        throw ToolError{ExitCode::NoControl,
                        error.message() + QStringLiteral(" (register the library with "
                                                         "tk28950-regsvr, or install it beside "
                                                         "the tool)")};
    }
    ControlClient& client = m_session->client();
    if (client.usedFallback())
        note(QStringLiteral("%1 is not registered; using the library beside the tool: %2")
                 .arg(QString::fromLatin1(tk28950::kProgId), client.libraryPath()));
    else
        note(QStringLiteral("control created through the registry from %1")
                 .arg(client.libraryPath()));
    client.setSite(&m_site);
    m_session->setNotes([this](const QString& text) { note(text); });
    m_session->setRetries(m_options.retries);
    m_session->setReadsTwice(!m_options.singleRead);
    if (m_options.timeoutMs)
        m_session->setTimeoutMs(*m_options.timeoutMs);
    m_catalog = orNoControl([&] { return MemberCatalog::fromLibrary(client.libraryPath()); });
    return *m_session;
}

const MemberCatalog& ModuleSession::catalog()
{
    control();
    return *m_catalog;
}

const component::TypeLibMember& ModuleSession::member(const QString& name, MemberCatalog::Kind kind)
{
    const MemberCatalog& members = catalog();
    if (const auto* published = members.byName(name, kind))
        return *published;
    DispId dispid = 0;
    if (control().client().idOfName(name, &dispid))
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

int ModuleSession::timeoutMs() const
{
    return m_session ? m_session->timeoutMs() : m_options.timeoutMs.value_or(AnswerBound::kStartMs);
}

// A step on the open line; the session's failures are the module's.
template <typename Step> auto ModuleSession::onTheLine(Step step)
{
    open();
    try {
        return step();
    } catch (const ControlError& error) {
        throw moduleError(error.message());
    }
}

// The line may still carry answers a previous host gave up on: it is
// brought in step before the first request.
void ModuleSession::open()
{
    if (m_open)
        return;
    ControlSession& session = control();
    const int port = portNumber();
    if (!m_options.device.isEmpty())
        note(QStringLiteral("%1 mapped to port %2").arg(m_options.device).arg(port));
    const QString failure = session.openPort(port);
    if (!failure.isEmpty())
        throw ToolError{ExitCode::NoControl, openFailure(failure)};
    note(QStringLiteral("%1: %2").arg(portDescription(), ControlTexts::kReady));
    m_open = true;
    try {
        session.synchronise();
    } catch (const ControlError& error) {
        throw moduleError(error.message());
    }
}

Answer ModuleSession::request(DispId method, const QVector<Variant>& args, const QString& what,
                              const Expectation& expected)
{
    return onTheLine([&] { return control().request(method, args, what, expected); });
}

Answer ModuleSession::requestConfirmed(DispId method, const QVector<Variant>& args,
                                       const QString& what, const Expectation& expected)
{
    return onTheLine([&] { return control().requestConfirmed(method, args, what, expected); });
}

Answer ModuleSession::exchange(DispId method, const QVector<Variant>& args, const QString& what)
{
    return onTheLine([&] { return control().exchange(method, args, what); });
}

Variant ModuleSession::invoke(InvokeKind kind, DispId dispid, const QVector<Variant>& args,
                              const QString& what)
{
    return onTheLine([&] { return control().invoke(kind, dispid, args, what); });
}

QString ModuleSession::reading(ControlSession::Axis axis, const QString& what,
                               ControlSession::Readings readings)
{
    open();
    try {
        return control().reading(axis, what, readings);
    } catch (const ControlError& error) {
        if (error.outcome() != RequestOutcome::Disagreeing)
            throw moduleError(error.message());
        throw moduleError(error.message() +
                          QStringLiteral("; a module that moves gives a new reading each time: "
                                         "--single-read takes one"));
    }
}

int ModuleSession::readCell(int address)
{
    return onTheLine([&] { return control().readCell(address); });
}

QString ModuleSession::temperatureTenths(const QString& what)
{
    return onTheLine([&] { return control().temperatureTenths(what); });
}

HeldReadings ModuleSession::heldReadings()
{
    open();
    return HeldReadings(control());
}

QList<HeldReadings::Row> ModuleSession::release(HeldReadings& held)
{
    return onTheLine([&] { return held.release(); });
}

int ModuleSession::readCellConfirmed(int address)
{
    return onTheLine([&] { return control().readCellConfirmed(address); });
}

int ModuleSession::readCellExpecting(int address, int expected)
{
    return onTheLine([&] { return control().readCellExpecting(address, expected); });
}

void ModuleSession::writeCell(int address, int value)
{
    onTheLine([&] {
        control().writeCell(address, value);
        return 0;
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
