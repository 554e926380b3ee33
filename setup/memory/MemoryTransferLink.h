#pragma once
// The link of the EEPROM file transfers to the module: the second control
// instance, connected on the memory port, read and written one cell at a
// time. Replies come through the control's DataReady event. A read collects
// its reply by a handshake with the timer TmrDataReceived: it clears the
// handshake, starts the timer and waits while it runs; the timer stops at
// its first tick after a reply. A write waits for its reply directly.
//
// The module answers in order and an answer carries nothing that ties it to
// its command, so after an exchange that was given up (no answer, the
// control's time-out, an answer that cannot be a cell's, a line too many)
// the link is out of step: an answer still on its way would be taken for
// the next cell's. Before its next command the link then brings itself back
// in step: it empties the control's pending commands and asks for the
// module's version until a version answer comes back; everything before
// that answer is stale.
#include "AnswerWaiter.h"
#include "TransferTiming.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
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
    // The value of one cell, a decimal from 0 to 255 as reported (upper
    // case, trimmed); the control's time-out text when the read timed out;
    // "" when the read could not be sent, was not answered within the bound,
    // or its answer cannot be the cell's.
    QString ReadEEPROMValue(const QString& address);
    // True when the module acknowledged the write, at the first or the second
    // attempt.
    bool WriteEEPROMValue(const QString& address, const QString& value);

    // True once the link could not be brought back in step: nothing more is
    // sent until the next connection, and every read or write fails at once.
    bool lost() const { return m_lost; }
    // True once the control reported that the device went away: the wait
    // under way ends, and nothing more is sent until the next connection.
    bool deviceLost() const { return m_deviceLost; }

    // Ends every wait at once and keeps later ones from starting (the window
    // is closing).
    void cancel();
    bool cancelled() const { return m_cancelled; }

    bool dataReceived() const { return m_dataReceived; }
    QString receivedData() const { return m_receivedData; }

private:
    void onDataReady(const QString& text);
    void onErrorComm(const QString& text);
    void TmrDataReceived_Timer();

    void clearReply();
    void startWait(int intervalMs);
    bool waitUntil(const std::function<bool()>& done, int boundMs);
    bool waitForData();
    bool waitForReply(int boundMs);
    bool writeOnce(const QString& address, const QString& value, bool* callFailed);
    bool inStep();
    bool resynchronise();
    bool emptyPendingCommands();
    bool callSucceeded(const CallResult& result, const QString& failurePrefix);
    void pause() const;

    ControlClient* m_control;
    ShowMessage m_showMessage;
    TransferTiming m_timing;
    QTimer m_tmrDataReceived;
    AnswerWaiter m_answers; // the version answers while the link is brought back in step
    std::optional<int> m_connectedPort;
    int m_port = 0; // the port of the last connection
    bool m_dataReceived = false;
    QString m_receivedData;
    // Lines that came without being a reply of their own (ErrorComm) during
    // the current exchange, and whether one came after its reply.
    int m_strayLines = 0;
    bool m_strayAfterReply = false;
    bool m_outOfStep = false;
    bool m_lost = false;
    bool m_deviceLost = false;
    bool m_cancelled = false;
};
