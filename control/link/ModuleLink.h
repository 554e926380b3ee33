#pragma once
// The link layer of the module protocol: writes command texts, keeps the
// pending queue and the command timer, turns received bytes into lines and
// hands each line to the reply parser, and runs the frame and the waits of
// waiting requests.
#include "PendingQueue.h"
#include "ReplyLink.h"

#include "resources/ModuleLimits.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>

class CMSComm;
class IModuleOwner;

class CModuleLink final : public IReplyLink {
public:
    static constexpr int kCommandTimeoutMs = tk28950::kCommandTimeoutMs;
    static constexpr int kMaxPending = 64;     // pending queue bound, in texts
    static constexpr int kMaxLineBytes = 1024; // longest line kept
    static constexpr int kMaxResends = 16;     // resends of one command

    // Reply codes of the byte intake and the parser.
    enum ReplyCode : int {
        kCompleted = 0,
        kUnpaired = 1,
        kResent = 2,
        kXReading = 5,
        kYReading = 6,
        kCommError = 7,
        kAccepted = 8,
        kDropped = 9,
        kSilent = 11,
    };

    CModuleLink();
    ~CModuleLink() override;
    CModuleLink(const CModuleLink&) = delete;
    CModuleLink& operator=(const CModuleLink&) = delete;

    // Linking, done by the owner's initialisation.
    void SetComm(CMSComm* comm) { m_pComm = comm; }
    void SetControl(IModuleOwner* owner) { m_pControl = owner; }
    void SetParser(IReplyParser* parser) { m_parser = parser; }
    void SetInitialised(bool on) { m_bInitialised = on; }
    bool IsInitialised() const { return m_bInitialised; }
    bool IsLinked() const { return m_bInitialised && m_pControl && m_pComm; }
    IModuleOwner* Owner() const { return m_pControl; }
    bool TimedOut() const;
    // Empties the pending queue, the receive buffer and the line-end flag,
    // forgets received bytes not yet handed to the intake and stops the
    // command timer: what initialisation does to bring pairing back in step.
    void ResetLink();

    // Send step: 0 when handed to the port, 1 when there is no port or no
    // owner, or when the pending queue is full (refused without traffic,
    // reported to the owner as a communication error).
    int Send(const QString& text);
    // Send step with what the answer needs: the context is kept with the
    // command, which is queued only if it is really written; a raw command's
    // answer is passed on as it is. A command sent while the parser resends
    // one carries that command's resend count.
    int SendCommand(const QString& text, const QString& context = {}, bool raw = false);
    bool LastSendSucceeded() const { return m_lastSent; }
    // Byte intake, one byte at a time; returns a reply code.
    int ReceiveByte(unsigned char byte);
    // Receive path: queue the bytes, and unless a drain is already running,
    // hand them to the intake in order, reporting each code to the owner.
    // Bytes the port holds without having announced them (it does not
    // announce while its own announcement is being handled) are fetched
    // from it too.
    void OnBytesReceived(const QByteArray& bytes);
    // Waits, dispatching events one pass at a time and blocking while none
    // is due, until a line has taken the command sent last before the wait
    // (or the resend of it), the timed-out flag is set, or no command is
    // left that could still be answered. Answers and failures of other
    // commands never end it. Bytes queued by the
    // receive path are handed to the intake first, so a wait started inside
    // an event handler of the receive path still sees its answer.
    void WaitForReply();
    bool WaitFailed() const { return !m_waitFailure.isEmpty(); }
    // Why the last wait failed (see IReplyLink::FailWait); empty when it
    // did not.
    QString WaitFailure() const { return m_waitFailure; }
    // The command timer expired (the owner has stopped it and set its
    // timed-out flag). The commands pending now have had their time-out:
    // they stay in the queue, so that a late answer still pairs with the
    // oldest of them, but no longer re-arm the timer.
    void OnCommandTimeout();

    QString Reply() const { return m_strReply; }
    void ClearReply() { m_strReply.clear(); }
    // The pending texts, oldest first (see CPendingQueue::Texts).
    QStringList Pending() const { return m_pendingQueue.Texts(); }
    // Forgets the bytes of the line being received.
    void DiscardLine();

    // The frame of a waiting request. BeginRequest refuses (false, nothing
    // changed) while another host request waits, else closes the event
    // gate; EndRequest opens it when the outermost request ends. A resend
    // of the parser may nest inside a running request.
    bool BeginRequest();
    void EndRequest();
    bool RequestInProgress() const { return m_requestDepth > 0; }
    static QString BusyText();
    // The whole frame of a request around body: the event gate closed
    // around it, refused (false) while not initialised, timed out or while
    // another request waits. False too when body noted a failure or the
    // command timer expired on the way; LastFailure() then says what went
    // wrong.
    bool RunRequest(const std::function<void()>& body);
    // RunRequest with the not-initialised fallbacks: the not-initialised
    // text, and 0 for numbers. A failed request gives its failure text,
    // and 0 for numbers.
    QString TextRequest(const std::function<QString()>& body);
    qint16 NumberRequest(const std::function<qint16()>& body);
    // Inside a running request: notes what keeps it from a sound result
    // (the first failure is kept).
    void NoteFailure(const QString& text);
    // What the last finished request met that left it without a sound
    // result; empty when it had none, or when it fell back because the
    // module was not initialised.
    QString LastFailure() const { return m_lastFailure; }

    // What the reply parser does to the link.
    void SetReply(const QString& text) override { m_strReply = text; }
    void ClearPending() override;
    void FailWait(const QString& reason) override;
    int Resend(const PendingCommand& command, const std::function<void()>& send) override;
    void ShowMessage(const QString& text, const QString& caption) override;

private:
    int AcceptByte(unsigned char byte);
    int DropByte(int gatheredCode);
    bool ResetPending() const;
    int CompleteLine();
    int DamagedLine();
    int ParseLine();
    struct AwaitedCommand {
        quint64 serial = 0;
        QString failure;
    };
    bool WaitOver(const AwaitedCommand& awaited) const;
    bool AwaitingAnswer() const;
    bool FinishRequest(const QString& failure);
    void Drain();
    bool PullFromPort();
    // Re-arms the timer for the oldest unanswered command, or stops it when
    // none is left. False when the owner cannot provide the timer.
    bool RearmCommandTimer();
    void ReportCode(int code);

    IModuleOwner* m_pControl = nullptr;
    bool m_bInitialised = false;
    QString m_strReply;
    QByteArray m_rxBuffer;
    CPendingQueue m_pendingQueue;
    CMSComm* m_pComm = nullptr;
    bool m_bLineEnd = false;

    IReplyParser* m_parser = nullptr;
    QElapsedTimer m_clock;
    QByteArray m_intake;       // received, not yet handed to the intake
    qsizetype m_intakePos = 0; // next byte of m_intake to hand over
    bool m_draining = false;
    bool m_lineOverflow = false;         // the line being received lost bytes beyond its longest
    bool m_lineDamaged = false;          // the intake dropped a byte of the line being received
    quint64 m_lastSerial = 0;            // of the command sent last
    quint64 m_parsedSerial = 0;          // of the command whose line is being parsed
    quint64 m_resendSerial = 0;          // of the parser's latest resend
    AwaitedCommand* m_awaited = nullptr; // of the innermost running wait
    QString m_waitFailure;               // of the wait that ended last
    bool m_lastSent = false;
    int m_requestDepth = 0;      // nesting of running waiting requests
    QString m_requestFailure;    // the first failure of the running request
    QString m_lastFailure;       // the failure of the last finished request
    bool m_parserResend = false; // the next request is the parser's own resend
    int m_nextResends = 0;       // resend count of the parser's next send
};
