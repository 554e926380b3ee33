#pragma once
// Waits for the event that answers a request: the control's methods that
// talk to the module return at once and report the module's answer later as
// DataReady, ErrorComm, XReady or YReady.
#include <QObject>
#include <QString>
#include <optional>

class ControlClient;
class QEventLoop;

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
    // event loop runs. Nothing when none came within the bound.
    std::optional<Answer> wait(int timeoutMs);
    // Whether the control reported its own command time-out since arm(),
    // also while its events were held back during a waiting call.
    bool controlTimedOut() const { return m_controlTimedOut; }
    // Whether the control reported that the device went away; stays set.
    bool disconnected() const { return m_disconnected; }

    static QString eventName(AnswerEvent event);

private:
    void take(AnswerEvent event, const QString& text);

    std::optional<Answer> m_answer;
    bool m_controlTimedOut = false;
    bool m_disconnected = false;
    QEventLoop* m_loop = nullptr;
};
