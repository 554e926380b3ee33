#pragma once
// Waits for the event that answers a request: the control's methods that
// talk to the module return at once and report the module's answer later as
// DataReady, ErrorComm, XReady or YReady.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class ControlClient;

enum class AnswerEvent { DataReady, ErrorComm, XReady, YReady };

struct Answer {
    AnswerEvent event;
    QString text;
};

class AnswerWaiter : public QObject {
    Q_OBJECT
public:
    explicit AnswerWaiter(ControlClient& client);

    // Forgets every event seen so far; call before the request is made.
    void arm();
    // The first event since arm(), waiting for it up to timeoutMs while the
    // event loop runs, or until stop() holds. Nothing when none came.
    std::optional<Answer> wait(int timeoutMs, const std::function<bool()>& stop = {});
    // Whether an event came since arm().
    bool answered() const { return m_answer.has_value(); }
    // Whether the control reported its own command time-out since arm(),
    // also while its events were held back during a waiting call.
    bool controlTimedOut() const { return m_controlTimedOut; }
    // Whether the control reported that the device went away; stays set.
    bool disconnected() const { return m_disconnected; }
    // Every event seen since the waiter was made, answer or not.
    int eventsSeen() const { return m_eventsSeen; }
    // Whether no event at all comes within quietMs while the event loop
    // runs (true at once for 0), unless stop() holds first.
    bool staysQuiet(int quietMs, const std::function<bool()>& stop = {});

    static QString eventName(AnswerEvent event);

private:
    void take(AnswerEvent event, const QString& text);

    std::optional<Answer> m_answer;
    bool m_controlTimedOut = false;
    bool m_disconnected = false;
    int m_eventsSeen = 0;
};
