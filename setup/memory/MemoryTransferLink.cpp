#include "MemoryTransferLink.h"

#include "ControlClient.h"
#include "TK28950Dispids.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

namespace {

const QString kReady = QStringLiteral("TK28950 Ready");
const QString kAlreadyInitialized = QStringLiteral("OCX already initialized");
const QString kTimeOutReply = QStringLiteral("TK28950 TIME OUT");
const QString kConnectionError =
    QStringLiteral("Error in getting connection to inclinometer. Err: ");

void processEvents()
{
    QCoreApplication::processEvents();
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
    if (answer != kAlreadyInitialized && answer != kReady) {
        processEvents();
        return false;
    }
    if (answer == kReady)
        m_connectedPort = port;

    clearReply();
    startWait(m_timing.connectIntervalMs);
    processEvents();
    pause();
    const CallResult reset = m_control->call(tk28950::dispid::ResetModule);
    processEvents();
    if (!callSucceeded(reset, kConnectionError))
        return false;
    if (reset.text().trimmed().toUpper() != QLatin1String("OK")) {
        m_tmrDataReceived.stop();
        processEvents();
        return false;
    }
    const bool answered = waitForData();
    processEvents();
    return answered && m_dataReceived && !m_commError && m_receivedData != kTimeOutReply;
}

QString MemoryTransferLink::ReadEEPROMValue(const QString& address)
{
    clearReply();
    startWait(m_timing.readIntervalMs);
    const CallResult sent = m_control->call(tk28950::dispid::ReadEEPROM, {address});
    if (!callSucceeded(sent, QStringLiteral("Error in reading EEPROM. Err: ")))
        return QString();
    // A request the control refused was never sent: no answer will come.
    if (sent.text().toUpper() != QLatin1String("OK")) {
        m_tmrDataReceived.stop();
        return QString();
    }
    const bool answered = waitForData();
    pause();
    processEvents();
    if (!answered || !m_dataReceived || m_commError)
        return QString();
    return m_receivedData;
}

bool MemoryTransferLink::WriteEEPROMValue(const QString& address, const QString& value)
{
    bool callFailed = false;
    if (writeOnce(address, value, &callFailed))
        return true;
    return !callFailed && writeOnce(address, value, &callFailed);
}

bool MemoryTransferLink::writeOnce(const QString& address, const QString& value, bool* callFailed)
{
    clearReply();
    startWait(m_timing.readIntervalMs);
    const CallResult sent = m_control->call(tk28950::dispid::WriteEEPROM, {address, value});
    if (!callSucceeded(sent, QStringLiteral("Error in writting into EEPROM. Err: "))) {
        *callFailed = true;
        return false;
    }
    if (sent.text().toUpper() != QLatin1String("OK")) {
        m_tmrDataReceived.stop();
        pause();
        processEvents();
        return false;
    }
    const bool answered = waitForData();
    pause();
    processEvents();
    return answered && m_dataReceived && !m_commError && isAcknowledgement(m_receivedData);
}

bool MemoryTransferLink::isAcknowledgement(const QString& reply)
{
    if (reply.trimmed().toUpper() == kTimeOutReply)
        return false;
    // The leading number as the module's firmware reads it: blanks, a sign, digits.
    static const QRegularExpression leadingNumber(QStringLiteral("^\\s*[+-]?(\\d+)"));
    const QRegularExpressionMatch match = leadingNumber.match(reply);
    if (!match.hasMatch())
        return true;
    return match.captured(1).count(QLatin1Char('0')) == match.captured(1).size();
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

void MemoryTransferLink::onErrorComm(const QString&)
{
    // Not shown to the operator: it ends the wait for the reply as failed.
    m_commError = true;
}

void MemoryTransferLink::TmrDataReceived_Timer()
{
    if (replyArrived())
        m_tmrDataReceived.stop();
    processEvents();
}

void MemoryTransferLink::clearReply()
{
    m_dataReceived = false;
    m_receivedData.clear();
    m_commError = false;
}

void MemoryTransferLink::startWait(int intervalMs)
{
    m_tmrDataReceived.setInterval(intervalMs);
    m_tmrDataReceived.start();
}

bool MemoryTransferLink::replyArrived() const
{
    return m_dataReceived || m_commError;
}

// Waits while the timer runs, blocking until the next event rather than
// spinning. False when the bound was reached or the link was cancelled.
bool MemoryTransferLink::waitForData()
{
    const QDeadlineTimer bound(m_timing.replyBoundMs);
    while (m_tmrDataReceived.isActive()) {
        if (m_cancelled || bound.hasExpired()) {
            m_tmrDataReceived.stop();
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return !m_cancelled;
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
