#pragma once
// The link of the EEPROM file transfers to the module: the second control
// instance, connected on the memory port, read and written one cell at a
// time. Replies come through the control's DataReady event and are collected
// by a handshake with the timer TmrDataReceived: a requester clears the
// handshake, starts the timer and waits while it runs; the timer stops at its
// first tick after a reply.
#include "TransferTiming.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

class ControlClient;
struct CallResult;

class MemoryTransferLink : public QObject {
    Q_OBJECT
public:
    MemoryTransferLink(ControlClient* control, ShowMessage showMessage, QObject* parent = nullptr);

    void setTiming(const TransferTiming& timing) { m_timing = timing; }
    const TransferTiming& timing() const { return m_timing; }
    QTimer* dataReceivedTimer() { return &m_tmrDataReceived; }

    // The port the control was opened on, once a connection opened it.
    std::optional<int> connectedPort() const { return m_connectedPort; }

    // Opens the control on port (or finds it open), resets the module and
    // waits for the reset's answer. False when any step fails, the answer is
    // the control's time-out text, or no answer comes within the bound.
    bool GetConnectionToInclinometer(int port);
    // The value of one cell as reported (upper case, trimmed), or "" when the
    // read could not be sent, failed or was not answered within the bound.
    QString ReadEEPROMValue(const QString& address);
    // True when the module acknowledged the write, at the first or the second
    // attempt.
    bool WriteEEPROMValue(const QString& address, const QString& value);

    // Ends every wait at once and keeps later ones from starting (the window
    // is closing).
    void cancel();
    bool cancelled() const { return m_cancelled; }

    bool dataReceived() const { return m_dataReceived; }
    QString receivedData() const { return m_receivedData; }

    // An acknowledgement of a write: "0", or text without a leading non-zero
    // number; the control's time-out text is none.
    static bool isAcknowledgement(const QString& reply);

private:
    void onDataReady(const QString& text);
    void onErrorComm(const QString& text);
    void TmrDataReceived_Timer();

    void clearReply();
    void startWait(int intervalMs);
    bool waitForData();
    bool replyArrived() const;
    bool writeOnce(const QString& address, const QString& value, bool* callFailed);
    bool callSucceeded(const CallResult& result, const QString& failurePrefix);
    void pause() const;

    ControlClient* m_control;
    ShowMessage m_showMessage;
    TransferTiming m_timing;
    QTimer m_tmrDataReceived;
    std::optional<int> m_connectedPort;
    bool m_dataReceived = false;
    QString m_receivedData;
    bool m_commError = false;
    bool m_cancelled = false;
};
