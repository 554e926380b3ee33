#include "ModuleLink.h"

#include "CMSComm.h"
#include "ModuleOwner.h"
#include "resources/MessageTable.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <utility>

namespace {

constexpr qint64 kNsPerMs = 1'000'000;
constexpr qint64 kCommandTimeoutNs = CModuleLink::kCommandTimeoutMs * kNsPerMs;

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
    return SendCommand(text);
}

int CModuleLink::SendCommand(const QString& text, const QString& context, bool raw)
{
    const int resends = std::exchange(m_nextResends, 0);
    m_lastSent = false;
    if (!m_pComm || !m_pControl)
        return 1;
    const int texts = 1 + int(raw) + int(!context.isEmpty());
    if (m_pendingQueue.TextCount() + texts > kMaxPending) {
        ReportCode(kCommError);
        return 1;
    }
    m_pendingQueue.Append(
        {text, context, raw, m_clock.nsecsElapsed() + kCommandTimeoutNs, resends, ++m_lastSerial});
    if (resends > 0)
        m_resendSerial = m_lastSerial;
    m_lastSent = true;
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
    m_lineOverflow = false;
    m_lineDamaged = false;
}

// A line is damaged when the intake had to change it: a lone line end and
// the byte after it dropped, a byte dropped as not printable, or bytes lost
// beyond the longest line. Its text is never taken as an answer.
int CModuleLink::ReceiveByte(unsigned char byte)
{
    if (m_bLineEnd) {
        m_bLineEnd = false;
        if (IsLineEnd(byte))
            return CompleteLine();
        return DropByte(kAccepted);
    }
    if (IsLineEnd(byte)) {
        m_bLineEnd = true;
        return kAccepted;
    }
    if (m_pendingQueue.IsEmpty() || !IsPrintable(byte))
        return DropByte(kDropped);
    return AcceptByte(byte);
}

// A reset answer spans several lines and carries blanks: while the reset is
// the oldest command, its lines are gathered into one, each lone line end
// and the byte after it, and every blank, removed (gatheredCode is then the
// byte's code).
int CModuleLink::DropByte(int gatheredCode)
{
    if (ResetPending())
        return gatheredCode;
    m_lineDamaged = true;
    return kDropped;
}

bool CModuleLink::ResetPending() const
{
    return !m_pendingQueue.IsEmpty() && !m_pendingQueue.Front().raw &&
           m_pendingQueue.Front().text == LoadMessage(Msg::CmdReset);
}

int CModuleLink::AcceptByte(unsigned char byte)
{
    if (m_rxBuffer.size() >= kMaxLineBytes) {
        m_lineOverflow = true;
        return kDropped;
    }
    m_rxBuffer.append(char(byte));
    return kAccepted;
}

int CModuleLink::CompleteLine()
{
    const bool damaged = m_lineDamaged || m_lineOverflow;
    m_lineDamaged = false;
    m_lineOverflow = false;
    const int code = damaged ? DamagedLine() : ParseLine();
    RearmCommandTimer();
    return code;
}

// The module did answer the oldest command, so the line takes it; but what
// is left of the answer is no value, and the command fails.
int CModuleLink::DamagedLine()
{
    if (m_pControl)
        m_pControl->StopCommandTimer();
    m_strReply.clear();
    m_rxBuffer.clear();
    if (m_pendingQueue.IsEmpty())
        return kUnpaired;
    const PendingCommand command = m_pendingQueue.Take();
    m_parsedSerial = command.serial;
    FailWait(QStringLiteral("the answer to %1 was damaged on the line").arg(command.text));
    return kCommError;
}

// The line in the receive buffer, paired with the oldest pending command.
// The timer stops first: whatever the answer, a line came.
int CModuleLink::ParseLine()
{
    if (m_pControl)
        m_pControl->StopCommandTimer();
    m_strReply.clear();
    const QString line = QString::fromLatin1(m_rxBuffer);
    m_rxBuffer.clear();
    if (m_pendingQueue.IsEmpty())
        return kUnpaired;
    const PendingCommand command = m_pendingQueue.Take();
    m_parsedSerial = command.serial;
    return m_parser ? m_parser->ParseReply(command, line) : kUnpaired;
}

bool CModuleLink::RearmCommandTimer()
{
    if (!m_pControl)
        return true;
    const qint64 deadline = m_pendingQueue.NextDeadline();
    if (deadline >= 0) {
        // Rounded up: the time-out never comes before the command time is up.
        const qint64 remainingNs = qMax<qint64>(0, deadline - m_clock.nsecsElapsed());
        return m_pControl->StartCommandTimer(int((remainingNs + kNsPerMs - 1) / kNsPerMs));
    }
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

bool CModuleLink::WaitOver(const AwaitedCommand& awaited) const
{
    return !m_pendingQueue.Contains(awaited.serial) || !m_pControl || m_pControl->TimedOut() ||
           !AwaitingAnswer();
}

void CModuleLink::WaitForReply()
{
    AwaitedCommand awaited{m_lastSerial, {}};
    AwaitedCommand* const outer = std::exchange(m_awaited, &awaited);
    for (;;) {
        Drain();
        if (WaitOver(awaited) || !QAbstractEventDispatcher::instance())
            break;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    m_awaited = outer;
    m_waitFailure = awaited.failure;
}

bool CModuleLink::TimedOut() const
{
    return m_pControl && m_pControl->TimedOut();
}

void CModuleLink::FailWait(const QString& reason)
{
    if (m_awaited && m_awaited->serial == m_parsedSerial && m_awaited->failure.isEmpty())
        m_awaited->failure = reason;
}

int CModuleLink::Resend(const PendingCommand& command, const std::function<void()>& send)
{
    if (command.resends >= kMaxResends) {
        FailWait(QStringLiteral("%1 was refused %2 times and given up")
                     .arg(command.text)
                     .arg(command.resends + 1));
        return kCommError;
    }
    m_nextResends = command.resends + 1;
    m_parserResend = true;
    m_resendSerial = 0;
    send();
    m_parserResend = false;
    m_nextResends = 0;
    // A wait for the command now waits for its resend (none when the resend
    // could not be sent).
    if (m_awaited && m_awaited->serial == command.serial)
        m_awaited->serial = m_resendSerial;
    return kResent;
}

void CModuleLink::ShowMessage(const QString& text, const QString& caption)
{
    if (m_pControl)
        m_pControl->ShowMessage(text, caption);
}

QString CModuleLink::BusyText()
{
    return QStringLiteral("TK28950 busy: another request is still waiting for its answer");
}

bool CModuleLink::BeginRequest()
{
    const bool parserResend = std::exchange(m_parserResend, false);
    if (RequestInProgress() && !parserResend)
        return false;
    ++m_requestDepth;
    if (m_pControl)
        m_pControl->SetEventsEnabled(false);
    return true;
}

// The gate opens when the outermost request ends: a resend that the parser
// runs inside a request must not open it under the request still waiting.
void CModuleLink::EndRequest()
{
    if (m_requestDepth > 0)
        --m_requestDepth;
    if (m_requestDepth == 0 && m_pControl)
        m_pControl->SetEventsEnabled(true);
}

void CModuleLink::NoteFailure(const QString& text)
{
    if (m_requestFailure.isEmpty())
        m_requestFailure = text;
}

bool CModuleLink::FinishRequest(const QString& failure)
{
    m_lastFailure = failure;
    return failure.isEmpty();
}

bool CModuleLink::RunRequest(const std::function<void()>& body)
{
    if (!IsLinked())
        return FinishRequest(LoadMessage(Msg::NotInitialized));
    if (m_pControl->TimedOut())
        return FinishRequest(LoadMessage(Msg::TimeOut));
    const bool outermost = !RequestInProgress();
    if (!BeginRequest())
        return FinishRequest(BusyText());
    if (outermost)
        m_requestFailure.clear();
    body();
    EndRequest();
    if (m_pControl->TimedOut())
        NoteFailure(LoadMessage(Msg::TimeOut));
    return FinishRequest(m_requestFailure);
}

QString CModuleLink::TextRequest(const std::function<QString()>& body)
{
    if (!IsLinked()) {
        FinishRequest({});
        return LoadMessage(Msg::NotInitialized);
    }
    QString result;
    return RunRequest([&] { result = body(); }) ? result : m_lastFailure;
}

qint16 CModuleLink::NumberRequest(const std::function<qint16()>& body)
{
    if (!IsLinked()) {
        FinishRequest({});
        return 0;
    }
    qint16 result = 0;
    return RunRequest([&] { result = body(); }) ? result : 0;
}
