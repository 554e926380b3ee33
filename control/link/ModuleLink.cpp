#include "ModuleLink.h"

#include "CMSComm.h"
#include "ModuleOwner.h"
#include "resources/MessageTable.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

namespace {

bool IsLineEnd(unsigned char byte)
{
    return byte == '\r' || byte == '\n';
}

// Letters, digits and punctuation; blanks, control bytes and bytes with the
// high bit set never belong to an answer.
bool IsPrintable(unsigned char byte)
{
    return byte > 0x20 && byte < 0x7F;
}

} // namespace

CModuleLink::CModuleLink()
{
    m_clock.start();
}

CModuleLink::~CModuleLink() = default;

void CModuleLink::ResetLink()
{
    ClearPending();
    DiscardLine();
    m_bLineEnd = false;
    m_intake.clear();
    m_intakePos = 0;
    RearmCommandTimer();
}

int CModuleLink::Send(const QString& text)
{
    return SendCommand(text, QString(), false);
}

int CModuleLink::SendCommand(const QString& text, const QString& context, bool raw, int resends)
{
    m_bLastSent = false;
    if (!m_pComm || !m_pControl)
        return 1;
    const int texts = 1 + int(raw) + int(!context.isEmpty());
    if (m_pendingQueue.TextCount() + texts > kMaxPending) {
        ReportCode(kCommError);
        return 1;
    }
    m_pendingQueue.Append({text, context, raw, m_clock.elapsed() + kCommandTimeoutMs, resends});
    m_bWaitDone = false;
    m_bWaitFailed = false;
    m_bLastSent = true;
    // Written before the timer is armed: a message box about the timer runs
    // an event loop, and a command sent from inside it must not overtake
    // this one on the wire.
    m_pComm->SetOutput(text.toLatin1());
    if (!RearmCommandTimer())
        m_pControl->ShowMessage(QStringLiteral("Error to create Timer "), QString());
    return 0;
}

void CModuleLink::ClearPending()
{
    m_pendingQueue.Clear();
}

void CModuleLink::DiscardLine()
{
    m_rxBuffer.clear();
    m_bLineOverflow = false;
}

int CModuleLink::ReceiveByte(unsigned char byte)
{
    if (m_bLineEnd) {
        m_bLineEnd = false;
        if (IsLineEnd(byte))
            return CompleteLine();
        // A reset answer spans several lines: a lone line end and the byte
        // after it are dropped, and the lines are gathered into one.
        const bool resetPending = !m_pendingQueue.IsEmpty() && !m_pendingQueue.Front().raw &&
                                  m_pendingQueue.Front().text == LoadMessage(Msg::CmdReset);
        return resetPending ? kAccepted : kCommError;
    }
    if (IsLineEnd(byte)) {
        m_bLineEnd = true;
        return kAccepted;
    }
    if (m_pendingQueue.IsEmpty() || !IsPrintable(byte))
        return kDropped;
    return AcceptByte(byte);
}

int CModuleLink::AcceptByte(unsigned char byte)
{
    if (m_rxBuffer.size() < kMaxLineBytes) {
        m_rxBuffer.append(char(byte));
        return kAccepted;
    }
    if (m_bLineOverflow)
        return kDropped;
    m_bLineOverflow = true;
    return kCommError;
}

int CModuleLink::CompleteLine()
{
    m_bLineOverflow = false;
    const int code = ParseReply();
    const bool completed = code == kCompleted || code == kXReading || code == kYReading;
    if (completed && m_strReply.isEmpty())
        EndWait(false); // answered, with an empty answer: nothing more will come for it
    RearmCommandTimer();
    return code;
}

bool CModuleLink::RearmCommandTimer()
{
    if (!m_pControl)
        return true;
    const qint64 deadline = m_pendingQueue.NextDeadline();
    if (deadline >= 0)
        return m_pControl->StartCommandTimer(int(qMax<qint64>(0, deadline - m_clock.elapsed())));
    m_pControl->StopCommandTimer();
    return true;
}

void CModuleLink::OnCommandTimeout()
{
    m_pendingQueue.ExpireDeadlines();
}

void CModuleLink::ReportCode(int code)
{
    if (m_pControl)
        m_pControl->HandleReplyCode(code, m_strReply);
}

void CModuleLink::OnBytesReceived(const QByteArray& bytes)
{
    m_intake.append(bytes);
    if (!m_draining)
        Drain();
}

// Hands the queued bytes to the intake in order. Reporting a code can run
// host code that dispatches events (a modal box); bytes that arrive
// meanwhile are only queued, and this loop takes them in turn. A wait inside
// the host code drains the same queue, from where this loop stopped.
// The port announces new bytes only once its own announcement has been
// handled, so bytes that arrived while host code ran are fetched here.
void CModuleLink::Drain()
{
    const bool wasDraining = m_draining;
    m_draining = true;
    while (m_intakePos < m_intake.size() || PullFromPort()) {
        const auto byte = static_cast<unsigned char>(m_intake.at(m_intakePos++));
        ReportCode(ReceiveByte(byte));
    }
    m_intake.clear();
    m_intakePos = 0;
    m_draining = wasDraining;
}

bool CModuleLink::PullFromPort()
{
    if (!m_pComm)
        return false;
    const QByteArray bytes = m_pComm->Input();
    m_intake.append(bytes);
    return !bytes.isEmpty();
}

bool CModuleLink::AwaitingAnswer() const
{
    return m_pendingQueue.NextDeadline() >= 0;
}

bool CModuleLink::WaitOver() const
{
    return !m_strReply.isEmpty() || m_bWaitDone || !m_pControl || m_pControl->TimedOut() ||
           !AwaitingAnswer();
}

void CModuleLink::WaitForReply()
{
    for (;;) {
        Drain();
        if (WaitOver() || !QAbstractEventDispatcher::instance())
            return;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
