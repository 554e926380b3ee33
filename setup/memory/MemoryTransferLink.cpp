#include "MemoryTransferLink.h"

#include "AnswerShape.h"
#include "ControlClient.h"
#include "ControlTexts.h"
#include "EventWait.h"
#include "LineResync.h"
#include "ModuleAnswers.h"
#include "TK28950Dispids.h"
#include "TK28950Members.h"

#include <QCoreApplication>
#include <QThread>
#include <limits>

namespace {

// Replies are kept upper-cased, the control's time-out text among them.
const QString kTimeOutReply = QString(ControlTexts::kTimeOut).toUpper();
const QString kConnectionError =
    QStringLiteral("Error in getting connection to inclinometer. Err: ");

void processEvents()
{
    QCoreApplication::processEvents();
}

// The control's "Ok", in any letter case and with blanks around it.
bool isOk(const QString& text)
{
    return text.trimmed().compare(ControlTexts::kOk, Qt::CaseInsensitive) == 0;
}

} // namespace

MemoryTransferLink::MemoryTransferLink(ControlClient* control, ShowMessage showMessage,
                                       QObject* parent)
    : QObject(parent), m_control(control), m_showMessage(std::move(showMessage)),
      m_tmrDataReceived(this)
{
    m_tmrDataReceived.setObjectName(QStringLiteral("TmrDataReceived"));
    m_tmrDataReceived.setInterval(100);
    connect(&m_tmrDataReceived, &QTimer::timeout, this, &MemoryTransferLink::TmrDataReceived_Timer);
    listenAfresh();
}

// A new start: a waiter of its own, which hears of each event before the
// handshake's handler does (that one lets other events run inside it).
void MemoryTransferLink::listenAfresh()
{
    disconnect(m_control, &ControlClient::dataReady, this, &MemoryTransferLink::onDataReady);
    m_answers = std::make_unique<AnswerWaiter>(*m_control);
    connect(m_control, &ControlClient::dataReady, this, &MemoryTransferLink::onDataReady);
}

std::optional<int> MemoryTransferLink::connectedPort() const
{
    return deviceLost() ? std::nullopt : m_connectedPort;
}

bool MemoryTransferLink::GetConnectionToInclinometer(int port)
{
    m_connectionProblem.clear();
    // A control whose device went away gave its port up.
    if (deviceLost())
        m_connectedPort.reset();
    // What the control reported before belongs to the time before.
    listenAfresh();
    clearReply();
    const CallResult init = m_control->call(tk28950::dispid::InitModule, {QString::number(port)});
    if (!callSucceeded(init, kConnectionError))
        return false;
    processEvents();
    pause();
    const QString answer = init.text();
    if (answer != ControlTexts::kAlreadyInitialised && answer != ControlTexts::kReady) {
        processEvents();
        return false;
    }
    if (answer == ControlTexts::kReady)
        m_connectedPort = port;
    m_port = port;
    // The initialisation emptied the control's pending commands, and the
    // reset brings the module to a known state.
    m_lost = false;
    m_outOfStep = false;

    clearReply();
    startWait(m_timing.connectIntervalMs);
    processEvents();
    pause();
    armAnswers();
    const CallResult reset = m_control->call(tk28950::dispid::ResetModule);
    processEvents();
    if (!callSucceeded(reset, kConnectionError))
        return false;
    if (!isOk(reset.text())) {
        m_tmrDataReceived.stop();
        processEvents();
        m_connectionProblem = QStringLiteral("The control refused the reset: %1").arg(reset.text());
        return false;
    }
    const bool connected = resetAnswered();
    processEvents();
    m_outOfStep = !connected || moreThanTheReply();
    return connected;
}

// The handshake on the reset, which the module answers in several lines
// that the control gathers into one reply. False, with the reason, when
// that reply did not come.
bool MemoryTransferLink::resetAnswered()
{
    const std::optional<Answer> reply = awaitReply();
    const auto notAnsweredWithin = [](int ms) {
        return QStringLiteral("The module did not answer the reset within %1 ms.").arg(ms);
    };
    if (deviceLost())
        m_connectionProblem = QString(ControlTexts::kDeviceDisconnected);
    else if (!reply)
        m_connectionProblem = notAnsweredWithin(m_timing.replyBoundMs);
    else if (reply->event != AnswerEvent::DataReady)
        m_connectionProblem =
            QStringLiteral("The module's answer to the reset was damaged: %1").arg(reply->text);
    else if (m_receivedData == kTimeOutReply)
        m_connectionProblem = notAnsweredWithin(tk28950::kCommandTimeoutMs);
    return m_connectionProblem.isEmpty();
}

QString MemoryTransferLink::ReadEEPROMValue(const QString& address)
{
    if (!inStep())
        return QString();
    clearReply();
    startWait(m_timing.readIntervalMs);
    armAnswers();
    const CallResult sent = m_control->call(tk28950::dispid::ReadEEPROM, {address});
    if (!callSucceeded(sent, QStringLiteral("Error in reading EEPROM. Err: ")))
        return QString();
    // A request the control refused was never sent: no answer will come.
    if (!isOk(sent.text())) {
        m_tmrDataReceived.stop();
        return QString();
    }
    const std::optional<Answer> reply = awaitReply();
    pause();
    processEvents();
    m_outOfStep = true; // until the reply proves to be the cell's
    if (!reply || reply->event != AnswerEvent::DataReady)
        return QString();
    if (m_receivedData == kTimeOutReply)
        return m_receivedData;
    // A line after the reply means the reply may have been an earlier
    // command's answer.
    if (moreThanTheReply() || !AnswerShape::cellValue(m_receivedData))
        return QString();
    m_outOfStep = false;
    return m_receivedData;
}

bool MemoryTransferLink::WriteEEPROMValue(const QString& address, const QString& value)
{
    bool callFailed = false;
    if (writeOnce(address, value, &callFailed))
        return true;
    return !callFailed && writeOnce(address, value, &callFailed);
}

// One write: sent, the pause, and then the module's answer, which has
// usually arrived during the pause.
bool MemoryTransferLink::writeOnce(const QString& address, const QString& value, bool* callFailed)
{
    if (!inStep())
        return false;
    clearReply();
    armAnswers();
    const CallResult sent = m_control->call(tk28950::dispid::WriteEEPROM, {address, value});
    if (!callSucceeded(sent, QStringLiteral("Error in writting into EEPROM. Err: "))) {
        *callFailed = true;
        return false;
    }
    pause();
    processEvents();
    if (!isOk(sent.text()))
        return false; // refused by the control: nothing was sent
    const std::optional<Answer> reply =
        m_answers->wait(m_timing.replyBoundMs, [this] { return stopped(); });
    const bool acknowledged = reply && reply->event == AnswerEvent::DataReady &&
                              !moreThanTheReply() &&
                              ModuleAnswers::isWriteAcknowledged(reply->text);
    m_outOfStep = !acknowledged;
    return acknowledged;
}

// True when the next command may be sent: the link is in step, or has just
// been brought back in step.
bool MemoryTransferLink::inStep()
{
    if (m_lost || deviceLost() || m_cancelled)
        return false;
    return !m_outOfStep || resynchronise();
}

// Version requests are asked at the module's pace, within the bound of the
// whole resynchronisation; the answers still owed to the ones that brought
// no version are let go by afterwards.
bool MemoryTransferLink::resynchronise()
{
    const LineResync::Pace pace{m_timing.resyncBoundMs, std::numeric_limits<int>::max(),
                                m_timing.resyncBoundMs, m_timing.drainMs};
    LineResync::Steps steps;
    steps.emptyQueue = [this] { return emptyPendingCommands(); };
    steps.beforeAskingAgain = [this](const std::optional<Answer>& answer) {
        if (answer)
            pause();
        return false;
    };
    steps.stopped = [this] { return stopped(); };
    if (LineResync::run(*m_control, *m_answers, pace, steps).version) {
        m_outOfStep = false;
        return true;
    }
    m_lost = !stopped();
    return false;
}

// A repeated initialisation leaves the port as it is and empties the
// control's queue of pending commands (and clears its time-out).
bool MemoryTransferLink::emptyPendingCommands()
{
    const CallResult init = m_control->call(tk28950::dispid::InitModule, {QString::number(m_port)});
    return init.ok() && init.text() == ControlTexts::kAlreadyInitialised;
}

void MemoryTransferLink::cancel()
{
    m_cancelled = true;
    m_tmrDataReceived.stop();
}

void MemoryTransferLink::onDataReady(const QString& text)
{
    m_receivedData = text.toUpper().trimmed();
    m_dataReceived = true;
    processEvents();
}

void MemoryTransferLink::TmrDataReceived_Timer()
{
    if (m_dataReceived)
        m_tmrDataReceived.stop();
    processEvents();
}

void MemoryTransferLink::clearReply()
{
    m_dataReceived = false;
    m_receivedData.clear();
}

void MemoryTransferLink::startWait(int intervalMs)
{
    m_tmrDataReceived.setInterval(intervalMs);
    m_tmrDataReceived.start();
}

// Called right before a request: the events from here on are its answer.
void MemoryTransferLink::armAnswers()
{
    m_answers->arm();
    m_eventsBefore = m_answers->eventsSeen();
}

// Whether every wait ends at once: the window is closing, or the device went
// away.
bool MemoryTransferLink::stopped() const
{
    return m_cancelled || deviceLost();
}

// The handshake: waits while the timer runs. False when the bound was
// reached or the link was stopped.
bool MemoryTransferLink::waitForData()
{
    const bool ended = EventWait::until(
        [this] { return stopped() || !m_tmrDataReceived.isActive(); }, m_timing.replyBoundMs);
    m_tmrDataReceived.stop();
    return ended && !stopped();
}

// The first event after the request; after a reply, the handshake goes on
// to the timer's next tick. Nothing when no event came within the bound or
// the link was stopped.
std::optional<Answer> MemoryTransferLink::awaitReply()
{
    const std::optional<Answer> first =
        m_answers->wait(m_timing.replyBoundMs, [this] { return stopped(); });
    if (!first || stopped() || first->event != AnswerEvent::DataReady) {
        m_tmrDataReceived.stop();
        return stopped() ? std::nullopt : first;
    }
    return waitForData() ? first : std::nullopt;
}

// Whether the control reported more than the one reply since the request.
bool MemoryTransferLink::moreThanTheReply() const
{
    return m_answers->eventsSeen() - m_eventsBefore > 1;
}

bool MemoryTransferLink::callSucceeded(const CallResult& result, const QString& failurePrefix)
{
    if (result.ok())
        return true;
    m_tmrDataReceived.stop();
    m_showMessage(failurePrefix + result.error, QString());
    return false;
}

void MemoryTransferLink::pause() const
{
    if (m_timing.pauseMs > 0)
        QThread::msleep(static_cast<unsigned long>(m_timing.pauseMs));
}
