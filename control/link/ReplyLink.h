#pragma once
// How the link and the reply parser meet. The link turns bytes into lines
// and pairs each line with the oldest pending command; the parser
// understands the answer and acts on the link through the few operations
// below, never through its state.
#include "PendingQueue.h"

#include <QString>
#include <functional>

class IReplyLink {
public:
    virtual ~IReplyLink() = default;

    virtual void SetReply(const QString& text) = 0;
    // The answer voids every command still pending.
    virtual void ClearPending() = 0;
    // The command being answered fails: its answer was refused, given up or
    // not the shape the command asks for. reason says which, for the host
    // whose request waits for that command.
    virtual void FailWait(const QString& reason) = 0;
    // Sends a command again through send, unless it was resent too often:
    // then it is given up (the wait ends) and the result is a
    // communication error instead of a resend.
    virtual int Resend(const PendingCommand& command, const std::function<void()>& send) = 0;
    // A modal message box without owner window, OK button only.
    virtual void ShowMessage(const QString& text, const QString& caption) = 0;
};

class IReplyParser {
public:
    virtual ~IReplyParser() = default;
    // Acts on the answer line to command; returns the reply code.
    virtual int ParseReply(const PendingCommand& command, const QString& line) = 0;
};
