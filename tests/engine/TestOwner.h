#pragma once
// The owner of a module object in the tests, standing where the control
// object stands: a real command timer, the event gate, the timed-out flag,
// message boxes captured instead of shown, and the events the reply codes
// raise. It also owns the serial port and feeds its bytes to the module.
#include "link/CMSComm.h"
#include "link/ModuleOwner.h"
#include "module/CModule.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <ostream>

// Runs the event loop until done() holds or timeoutMs passes.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
// Runs the event loop for ms milliseconds.
void RunEventsFor(int ms);

struct HostEvent {
    QString name; // DataReady, ErrorComm, XReady, YReady
    QString text;
    bool operator==(const HostEvent&) const = default;
};

class TestOwner : public IModuleOwner {
public:
    TestOwner();
    ~TestOwner() override;

    // Opens the device the way the control's initialisation does and links
    // the module to the port and to this owner.
    bool Open(const QString& device);
    // What a later initialisation does: clears the timed-out flag and
    // brings the pairing back in step.
    void Reinitialise();

    bool StartCommandTimer(int ms) override;
    void StopCommandTimer() override;
    bool CommandTimerActive() const override;
    bool EventsEnabled() const override { return m_eventsEnabled; }
    void SetEventsEnabled(bool enabled) override { m_eventsEnabled = enabled; }
    bool TimedOut() const override { return m_timedOut; }
    void ShowMessage(const QString& text, const QString& caption) override;
    void HandleReplyCode(int code, const QString& reply) override;
    void RaiseDataReady(const QString& text) override;

    int Count(int code) const { return int(codes.count(code)); }
    qint64 MsSinceOpen() const { return m_clock.elapsed(); }

    CModule module;
    CMSComm comm;
    QList<int> codes;
    QList<HostEvent> events;
    QStringList messages;
    qint64 timedOutAtMs = -1; // since Open
    // The host's event handler, run synchronously for every raised event.
    std::function<void(const HostEvent&)> onEvent;

private:
    void Raise(const QString& name, const QString& text);
    void OnTimer();

    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_eventsEnabled = true;
    bool m_timedOut = false;
};

// Readable values in test failure messages.
void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QByteArray& bytes, std::ostream* os);
void PrintTo(const HostEvent& event, std::ostream* os);

// The number of times needle occurs in haystack.
int Occurrences(const QByteArray& haystack, const QByteArray& needle);
