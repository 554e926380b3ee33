#include "CTK28950Ctrl.h"

#include "AboutBox.h"
#include "CTK28950View.h"
#include "MessageBoxSeam.h"
#include "OwnedText.h"
#include "ServerLock.h"
#include "module/TextNumbers.h"
#include "resources/ControlTexts.h"
#include "resources/MessageTable.h"
#include "resources/TK28950Dispids.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDataStream>
#include <QIODevice>
#include <limits>

using component::HResult;

namespace {

const QString kLineSettings = QStringLiteral("38400,n,8,1");
constexpr qint16 kNotifyEveryByte = 1;
constexpr qint32 kBinaryInput = 1;

} // namespace

CTK28950Ctrl::CTK28950Ctrl() : m_strModuleName(QStringLiteral("TK28950"))
{
    server::objectCreated();
    m_commandTimer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early: a time-out must never come
    // before the module's time is up.
    m_commandTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_commandTimer, &QTimer::timeout, this, &CTK28950Ctrl::OnTimer);
    connect(&m_comm, &CMSComm::OnComm, this, &CTK28950Ctrl::OnComm);
}

// Releases the port and sends nothing: the module keeps whatever state it
// is in.
CTK28950Ctrl::~CTK28950Ctrl()
{
    delete m_view;
    m_comm.Destroy();
    server::objectDestroyed();
}

dispatch::Outcome CTK28950Ctrl::InitModule(const QString& portNumber)
{
    // Every call brings the link back in step: whatever was pending or half
    // received belongs to the time before (the reset stops the timer too).
    m_bTimedOut = false;
    m_module.ResetLink();
    if (m_module.IsInitialised()) {
        Redraw();
        return LoadMessage(Msg::AlreadyInitialized);
    }
    if (!m_comm.Create()) {
        showModalMessage(m_site, QStringLiteral("Failed to create OLE Communications"),
                         QStringLiteral("TK28950.OCX"), MessageIcon::Stop);
        return LoadMessage(Msg::InitRs232Error);
    }
    m_module.SetInitialised(true);
    m_module.SetComm(&m_comm);
    const QString refused = ConfigurePort(portNumber);
    if (!refused.isEmpty()) {
        UndoPortCreation();
        KeepPortError(refused);
        return dispatch::Outcome::failure(component::kException, refused);
    }
    if (!m_comm.SetPortOpen(true)) {
        const QString reason = m_comm.ErrorText();
        UndoPortCreation();
        KeepPortError(reason);
        const QString result = LoadMessage(Msg::PortAlreadyOpen);
        RaiseEvent(tk28950::event::ErrorComm, result);
        return result;
    }
    m_comm.Input(); // whatever the device held before is not an answer
    m_module.SetControl(this);
    m_strPortError.clear();
    Redraw();
    return LoadMessage(Msg::Ready);
}

// Port number, line settings, a notification per received byte, bytes as
// they are. The empty text, or why the port refused one of them.
QString CTK28950Ctrl::ConfigurePort(const QString& portNumber)
{
    const qint64 number = TextNumbers::LeadingInteger(portNumber, TextNumbers::kFifteenNines);
    if (number < std::numeric_limits<qint16>::min() || number > std::numeric_limits<qint16>::max())
        return QStringLiteral("port number %1 is out of range").arg(number);
    const bool accepted =
        m_comm.SetCommPort(static_cast<qint16>(number)) && m_comm.SetSettings(kLineSettings) &&
        m_comm.SetRThreshold(kNotifyEveryByte) && m_comm.SetSThreshold(kNotifyEveryByte) &&
        m_comm.SetInputMode(kBinaryInput);
    if (accepted)
        return {};
    const QString reason = m_comm.ErrorText();
    return reason.isEmpty() ? QStringLiteral("the serial port refused its settings") : reason;
}

// A port that failed while being set up is given up altogether, so the
// control is plainly not initialised and a later InitModule starts afresh.
void CTK28950Ctrl::UndoPortCreation()
{
    m_comm.Destroy();
    m_module.SetComm(nullptr);
    m_module.SetInitialised(false);
}

void CTK28950Ctrl::KeepPortError(const QString& reason)
{
    m_strPortError = reason;
    qWarning("TK28950: %s", qUtf8Printable(reason));
}

void CTK28950Ctrl::AboutBox()
{
    showAboutBox(m_view);
}

void CTK28950Ctrl::SetModuleName(const QString& name)
{
    m_strModuleName = name;
    Redraw();
    SetModified();
}

QColor CTK28950Ctrl::BackgroundColor(const QColor& fallback) const
{
    const QColor ambient = m_site ? m_site->ambientBackColor() : QColor();
    return ambient.isValid() ? ambient : fallback;
}

void CTK28950Ctrl::Redraw()
{
    if (m_view)
        m_view->repaint();
}

void CTK28950Ctrl::RaiseEvent(component::DispId event, const QString& text)
{
    if (m_sink)
        m_sink->onEvent(event, ownedText(text));
}

// Receive path: every byte goes to the module object, whatever the gate;
// the module reports the reply codes back through HandleReplyCode.
void CTK28950Ctrl::OnComm()
{
    if (m_comm.CommEvent() == CMSComm::kEventDeviceLost)
        return OnDeviceLost();
    if (m_comm.CommEvent() != CMSComm::kEventReceive)
        return;
    const QByteArray bytes = m_comm.Input();
    if (!bytes.isEmpty())
        m_module.OnBytesReceived(bytes);
}

// The device went away (an adapter pulled, the other end of the line
// closed). Nothing pending can be answered any more, so every wait ends now;
// the port is given up as after a failed opening, so calls get the
// not-initialised results and a later InitModule opens the device afresh.
// Reported once, whatever the gate, with the reason kept in PortError.
void CTK28950Ctrl::OnDeviceLost()
{
    const QString reason = m_comm.ErrorText();
    m_module.ResetLink();
    UndoPortCreation();
    KeepPortError(reason);
    Redraw();
    RaiseEvent(tk28950::event::ErrorComm, ControlTexts::kDeviceDisconnected);
}

// No complete answer within the command time: reported whatever the gate,
// and from now on every wait ends at once until the next InitModule.
void CTK28950Ctrl::OnTimer()
{
    m_commandTimer.stop();
    m_bTimedOut = true;
    // The expired commands are settled before the host hears of it: a
    // command the host sends from its handler keeps its own deadline.
    m_module.OnCommandTimeout();
    Redraw();
    RaiseEvent(tk28950::event::DataReady, LoadMessage(Msg::TimeOut));
}

bool CTK28950Ctrl::StartCommandTimer(int ms)
{
    if (!QAbstractEventDispatcher::instance(thread()))
        return false;
    m_commandTimer.start(ms);
    return true;
}

void CTK28950Ctrl::StopCommandTimer()
{
    m_commandTimer.stop();
}

bool CTK28950Ctrl::CommandTimerActive() const
{
    return m_commandTimer.isActive();
}

void CTK28950Ctrl::ShowMessage(const QString& text, const QString& caption)
{
    showModalMessage(m_site, text, caption);
}

void CTK28950Ctrl::HandleReplyCode(int code, const QString& reply)
{
    if (!m_bEventsEnabled)
        return;
    switch (code) {
    case CModuleLink::kCompleted:
        if (!reply.isEmpty())
            RaiseEvent(tk28950::event::DataReady, reply);
        break;
    case CModuleLink::kUnpaired:
        RaiseEvent(tk28950::event::ErrorComm, reply);
        break;
    case CModuleLink::kXReading:
        RaiseEvent(tk28950::event::XReady, reply);
        break;
    case CModuleLink::kYReading:
        RaiseEvent(tk28950::event::YReady, reply);
        break;
    case CModuleLink::kCommError:
        RaiseEvent(tk28950::event::ErrorComm, LoadMessage(Msg::CommError));
        break;
    default:
        break;
    }
}

void CTK28950Ctrl::RaiseDataReady(const QString& text)
{
    RaiseEvent(tk28950::event::DataReady, text);
}

HResult CTK28950Ctrl::idOfName(const QString& name, component::DispId* dispid) const
{
    return dispatch::idOfName(name, dispid);
}

HResult CTK28950Ctrl::invoke(component::DispId dispid, component::InvokeKind kind,
                             const QVector<component::Variant>& args, component::Variant* result,
                             component::ErrorInfo* error)
{
    return dispatch::invoke(*this, dispid, kind, args, result, error);
}

void CTK28950Ctrl::advise(component::EventSink* sink)
{
    m_sink = sink;
}

void CTK28950Ctrl::setSite(component::HostSite* site)
{
    m_site = site;
    Redraw();
}

QWidget* CTK28950Ctrl::widget(QWidget* parent)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    if (!m_view)
        m_view = new CTK28950View(*this, parent);
    return m_view;
}

void CTK28950Ctrl::release()
{
    delete this;
}

// Only the version stamp is kept: every loaded object starts with the
// defaults of a new one.
QByteArray CTK28950Ctrl::saveState()
{
    QByteArray state;
    QDataStream out(&state, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << kStateVersion;
    m_bModified = false;
    return state;
}

HResult CTK28950Ctrl::loadState(const QByteArray& state)
{
    QDataStream in(state);
    in.setByteOrder(QDataStream::LittleEndian);
    quint32 version = 0;
    in >> version;
    if (in.status() != QDataStream::Ok)
        return component::kInvalidArgument;
    m_bModified = false;
    return component::kOk;
}

QStringList CTK28950Ctrl::propertyPages() const
{
    return {QString::fromLatin1(tk28950::kPropPageClsid)};
}
