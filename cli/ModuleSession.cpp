#include "ModuleSession.h"

#include "ControlClient.h"
#include "ControlError.h"
#include "ControlTexts.h"
#include "DevicePort.h"
#include "LibraryLocation.h"
#include "TK28950Dispids.h"

#include <QTimer>
#include <cstdio>

using component::DispId;
using component::InvokeKind;
using component::Variant;

namespace {

// How many request-and-answer exchanges one call into the control makes at
// most, for the bound of a call that waits inside the control.
int exchangesOf(DispId dispid)
{
    switch (dispid) {
    case tk28950::dispid::LoadCoef:
        return 57;
    case tk28950::dispid::TemperatureCoef:
        return 8;
    default:
        return 2;
    }
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
    throw usageError(
        QStringLiteral("unknown %1 \"%2\"; the control has: %3")
            .arg(kindName(kind), name, members.names(kind).join(QStringLiteral(", "))));
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
        throw ToolError{ExitCode::NoControl,
                        QStringLiteral("cannot open %1: %2").arg(portDescription(), failure)};
    note(QStringLiteral("%1: %2").arg(portDescription(), ControlTexts::kReady));
    m_open = true;
}

Answer ModuleSession::exchange(DispId method, const QVector<Variant>& args, const QString& what)
{
    open();
    m_waiter->arm();
    const CallResult result = m_client->call(method, args);
    if (!result.ok())
        throw moduleError(QStringLiteral("%1: %2").arg(what, result.error));
    if (result.text() == ControlTexts::kNotInitialised)
        throw moduleError(QStringLiteral("%1: %2").arg(what, result.text()));
    const std::optional<Answer> answer = m_waiter->wait(m_options.timeoutMs);
    if (!answer)
        throw moduleError(
            QStringLiteral("%1: no answer within %2 ms").arg(what).arg(m_options.timeoutMs));
    if (answer->event == AnswerEvent::DataReady && answer->text == ControlTexts::kTimeOut)
        throw moduleError(
            QStringLiteral("%1: the module did not answer (%2)").arg(what, ControlTexts::kTimeOut));
    if (answer->event == AnswerEvent::ErrorComm)
        throw moduleError(QStringLiteral("%1: %2").arg(
            what, answer->text.isEmpty() ? QStringLiteral("the module sent a line nobody asked for")
                                         : answer->text));
    return *answer;
}

Variant ModuleSession::invoke(InvokeKind kind, DispId dispid, const QVector<Variant>& args,
                              const QString& what)
{
    open();
    m_waiter->arm();
    const int boundMs = m_options.timeoutMs * exchangesOf(dispid);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [this, what, boundMs] {
        m_options.abandon(
            moduleError(QStringLiteral("%1: did not finish within %2 ms").arg(what).arg(boundMs)));
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
    if (m_waiter->controlTimedOut() || result.text() == ControlTexts::kTimeOut)
        throw moduleError(
            QStringLiteral("%1: the module did not answer (%2)").arg(what, ControlTexts::kTimeOut));
    if (!result.ok())
        throw moduleError(QStringLiteral("%1: %2").arg(what, result.error));
    return result.value;
}

void ModuleSession::note(const QString& text) const
{
    if (m_options.verbose)
        std::fprintf(stderr, "tk28950: %s\n", qUtf8Printable(text));
}
