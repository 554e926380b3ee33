#include "MemoryTransferLink.h"

#include "AnswerShape.h"
#include "ControlClient.h"
#include "ControlTexts.h"
#include "EventWait.h"
#include "LineResync.h"
#include "ModuleAnswers.h"
#include "TK28950Dispids.h"

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
      m_tmrDataReceived(this), m_answers(*control)
{
    m_tmrDataReceived.setObjectName(QStringLiteral("TmrDataReceived"));
    m_tmrDataReceived.setInterval(100);
    connect(&m_tmrDataReceived, &QTimer::timeout, this, &MemoryTransferLink::TmrDataReceived_Timer);
    connect(m_control, &ControlClient::dataReady, this, &MemoryTransferLink::onDataReady);
    connect(m_control, &ControlClient::errorComm, this, &MemoryTransferLink::onErrorComm);
}

bool MemoryTransferLink::GetConnectionToInclinometer(int port)
{
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
    // reset brings the module to a known state: a new start for the link.
    m_lost = false;
    m_deviceLost = false;
    m_outOfStep = false;

    clearReply();
    startWait(m_timing.connectIntervalMs);
    processEvents();
    pause();
    const CallResult reset = m_control->call(tk28950::dispid::ResetModule);
    processEvents();
    if (!callSucceeded(reset, kConnectionError))
        return false;
    if (!isOk(reset.text())) {
        m_tmrDataReceived.stop();
        processEvents();
        return false;
    }
    const bool answered = waitForData();
    processEvents();
    const bool connected = answered && m_dataReceived && m_receivedData != kTimeOutReply;
    m_outOfStep = !connected || m_strayLines > 0;
    return connected;
}

QString MemoryTransferLink::ReadEEPROMValue(const QString& address)
{
    if (!inStep())
        return QString();
    clearReply();
    startWait(m_timing.readIntervalMs);
    const CallResult sent = m_control->call(tk28950::dispid::ReadEEPROM, {address});
    if (!callSucceeded(sent, QStringLiteral("Error in reading EEPROM. Err: ")))
        return QString();
    // A request the control refused was never sent: no answer will come.
    if (!isOk(sent.text())) {
        m_tmrDataReceived.stop();
        return QString();
    }
    const bool answered = waitForData();
    pause();
    processEvents();
    if (!answered || !m_dataReceived) {
        m_outOfStep = true;
        return QString();
    }
    // A line before the reply is noise the control has dropped; a line after
    // it means the reply may have been an earlier command's answer.
    m_outOfStep = m_strayLines > 0 || m_receivedData == kTimeOutReply;
    if (m_receivedData == kTimeOutReply)
        return m_receivedData;
    if (m_strayAfterReply || !AnswerShape::cellValue(m_receivedData)) {
        m_outOfStep = true;
        return QString();
    }
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
    const CallResult sent = m_control->call(tk28950::dispid::WriteEEPROM, {address, value});
    if (!callSucceeded(sent, QStringLiteral("Error in writting into EEPROM. Err: "))) {
        *callFailed = true;
        return false;
    }
    pause();
    processEvents();
    if (!isOk(sent.text()))
        return false; // refused by the control: nothing was sent
    const bool answered = waitForReply(m_timing.replyBoundMs);
    const bool acknowledged =
        answered && !m_strayAfterReply && ModuleAnswers::isWriteAcknowledged(m_receivedData);
    m_outOfStep = !acknowledged || m_strayLines > 0;
    return acknowledged;
}

// True when the next command may be sent: the link is in step, or has just
// been brought back in step.
bool MemoryTransferLink::inStep()
{
    if (m_lost || m_deviceLost || m_cancelled)
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
    steps.stopped = [this] { return m_cancelled; };
    if (LineResync::run(*m_control, m_answers, pace, steps).version) {
        m_outOfStep = false;
        return true;
    }
    m_lost = !m_cancelled;
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

void MemoryTransferLink::onErrorComm(const QString& text)
{
    // Not shown to the operator here: the transfer's result tells of it.
    if (text == ControlTexts::kDeviceDisconnected) {
        m_deviceLost = true;
        m_tmrDataReceived.stop();
        return;
    }
    // A line that is not the reply of the pending command, or noise on the
    // line: the exchange goes on waiting for its reply, and the link is
    // brought back in step after it.
    ++m_strayLines;
    if (m_dataReceived)
        m_strayAfterReply = true;
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
    m_strayLines = 0;
    m_strayAfterReply = false;
}

void MemoryTransferLink::startWait(int intervalMs)
{
    m_tmrDataReceived.setInterval(intervalMs);
    m_tmrDataReceived.start();
}

// False when the bound was reached or the link was cancelled.
bool MemoryTransferLink::waitUntil(const std::function<bool()>& done, int boundMs)
{
    const bool ended =
        EventWait::until([&] { return m_cancelled || m_deviceLost || done(); }, boundMs);
    return ended && !m_cancelled && done();
}

// The handshake: waits while the timer runs.
bool MemoryTransferLink::waitForData()
{
    const bool stopped =
        waitUntil([this] { return !m_tmrDataReceived.isActive(); }, m_timing.replyBoundMs);
    m_tmrDataReceived.stop();
    return stopped;
}

bool MemoryTransferLink::waitForReply(int boundMs)
{
    return waitUntil([this] { return m_dataReceived; }, boundMs);
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
