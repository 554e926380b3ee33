#pragma once
// The link of the EEPROM file transfers to the module: the second control
// instance, connected on the memory port, read and written one cell at a
// time. Replies come through the control's DataReady event. A read collects
// its reply by a handshake with the timer TmrDataReceived: it clears the
// handshake, starts the timer and waits while it runs; the timer stops at
// its first tick after a reply. A write waits for its reply directly.
//
// Every exchange takes the first event the control reports after its
// request as that request's answer (host/AnswerWaiter): a DataReady is the
// reply, an ErrorComm is the control telling that the answer was damaged,
// refused or could not be sent, and ends the exchange at once as failed.
//
// The module answers in order and an answer carries nothing that ties it to
// its command, so after an exchange that was given up (no answer, the
// control's time-out, an ErrorComm, an answer that cannot be a cell's, a
// line too many) the link is out of step: an answer still on its way would
// be taken for the next cell's. Before its next command the link then
// brings itself back in step (host/LineResync): it empties the control's
// pending commands and asks for the module's version until a version
// answer comes back; everything before that answer is stale.
#include "AnswerWaiter.h"
#include "TransferTiming.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
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

    // The port the control was opened on, once a connection opened it;
    // nothing once its device went away, since the control then gave the
    // port up and the next connection opens whichever port it is given.
    std::optional<int> connectedPort() const;

    // Opens the control on port (or finds it open), resets the module and
    // waits for the reset's answer. False when any step fails, the answer is
    // the control's time-out text or an ErrorComm, or no answer comes within
    // the bound.
    bool GetConnectionToInclinometer(int port);
    // Why the last connection failed after the port was opened (the reset
    // refused or not answered); empty when it did not get that far.
    QString connectionProblem() const { return m_connectionProblem; }
    // The value of one cell, a decimal from 0 to 255 as reported (upper
    // case, trimmed); the control's time-out text when the read timed out;
    // "" when the read could not be sent, was not answered within the bound,
    // was answered by an ErrorComm, or its answer cannot be the cell's.
    QString ReadEEPROMValue(const QString& address);
    // True when the module acknowledged the write, at the first or the second
    // attempt. An attempt ends at once when the control reports an ErrorComm
    // for it (a refusal among them).
    bool WriteEEPROMValue(const QString& address, const QString& value);

    // True once the link could not be brought back in step: nothing more is
    // sent until the next connection, and every read or write fails at once.
    bool lost() const { return m_lost; }
    // True once the control reported that the device went away: the wait
    // under way ends, and nothing more is sent until the next connection.
    bool deviceLost() const { return m_answers->disconnected(); }

    // Ends every wait at once and keeps later ones from starting (the window
    // is closing).
    void cancel();
    bool cancelled() const { return m_cancelled; }

    bool dataReceived() const { return m_dataReceived; }
    QString receivedData() const { return m_receivedData; }

private:
    void onDataReady(const QString& text);
    void TmrDataReceived_Timer();

    void listenAfresh();
    void clearReply();
    void startWait(int intervalMs);
    void armAnswers();
    bool stopped() const;
    bool waitForData();
    std::optional<Answer> awaitReply();
    bool moreThanTheReply() const;
    bool resetAnswered();
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
    // The control's events since the last connection: the answer of each
    // exchange, and whether the device went away.
    std::unique_ptr<AnswerWaiter> m_answers;
    int m_eventsBefore = 0; // events seen before the current exchange's request
    std::optional<int> m_connectedPort;
    int m_port = 0; // the port of the last connection
    QString m_connectionProblem;
    bool m_dataReceived = false;
    QString m_receivedData;
    bool m_outOfStep = false;
    bool m_lost = false;
    bool m_cancelled = false;
};
