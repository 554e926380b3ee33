#pragma once
// What the module object needs of the object that owns it: the command
// timer, the event gate, the timed-out flag, message boxes and events.
// The control object implements it; tests implement it too.
#include <QString>

class IModuleOwner {
public:
    virtual ~IModuleOwner() = default;

    // Arms the command timer to expire after ms milliseconds (restarting it
    // when it runs). False when the timer cannot be had.
    virtual bool StartCommandTimer(int ms) = 0;
    virtual void StopCommandTimer() = 0;
    virtual bool CommandTimerActive() const = 0;

    virtual bool EventsEnabled() const = 0;
    virtual void SetEventsEnabled(bool enabled) = 0;
    virtual bool TimedOut() const = 0;

    // A modal message box without owner window, OK button only. An empty
    // caption means the default caption.
    virtual void ShowMessage(const QString& text, const QString& caption) = 0;

    // Called for every reply code of the byte intake, in order; the owner
    // raises the matching event when the gate is open.
    virtual void HandleReplyCode(int code, const QString& reply) = 0;

    // Raises DataReady regardless of reply codes (end of a coefficient load).
    virtual void RaiseDataReady(const QString& text) = 0;
};
