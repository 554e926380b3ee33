#pragma once
// The link layer of the module protocol: writes command texts, keeps the
// pending queue and the command timer, turns received bytes into lines and
// hands each line to the reply parser, and runs the waits of waiting requests.
#include <QByteArray>
#include <QElapsedTimer>
#include <QQueue>
#include <QString>

class CMSComm;
class IModuleOwner;

class CModuleLink {
public:
    static constexpr int kCommandTimeoutMs = 3000;
    static constexpr int kMaxPending = 64;     // pending queue bound
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
    virtual ~CModuleLink();
    CModuleLink(const CModuleLink&) = delete;
    CModuleLink& operator=(const CModuleLink&) = delete;

    // Linking, done by the owner's initialisation.
    void SetComm(CMSComm* comm) { m_pComm = comm; }
    void SetControl(IModuleOwner* owner) { m_pControl = owner; }
    void SetInitialised(bool on) { m_bInitialised = on; }
    bool IsInitialised() const { return m_bInitialised; }
    bool IsLinked() const { return m_bInitialised && m_pControl && m_pComm; }
    // Empties the pending queue, the receive buffer and the line-end flag.
    void ResetLink();

    // Send step: 0 when handed to the port, 1 when there is no port (or the
    // pending queue is full: refused, reported as a communication error).
    int Send(const QString& text);
    // Byte intake, one byte at a time; returns a reply code.
    int ReceiveByte(unsigned char byte);
    // Receive path: queue the bytes, and unless a drain is already running,
    // hand them to the intake in order, reporting each code to the owner.
    void OnBytesReceived(const QByteArray& bytes);
    // Waits, dispatching events, until a reply text is in, the wait was ended
    // early (EndWait), or the timed-out flag is set.
    void WaitForReply();
    // The command timer expired.
    void OnCommandTimeout();

    QString Reply() const { return m_strReply; }
    const QQueue<QString>& Pending() const { return m_pendingQueue; }

protected:
    virtual int ParseReply() = 0;

    // Ends the running wait without a reply text.
    void EndWait() { m_bWaitDone = true; }
    // Re-arms the timer for the oldest unanswered command, or stops it.
    void RearmCommandTimer();

    IModuleOwner* m_pControl = nullptr;
    bool m_bInitialised = false;
    QString m_strReply;
    QByteArray m_rxBuffer;
    QQueue<QString> m_pendingQueue;
    CMSComm* m_pComm = nullptr;
    bool m_bLineEnd = false;
    bool m_bWaitDone = false;

private:
    void Drain();

    QQueue<qint64> m_sendTimes; // send time of each command entry still pending
    QElapsedTimer m_clock;
    QByteArray m_intake; // received, not yet handed to the intake
    bool m_draining = false;
};
