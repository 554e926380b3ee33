#pragma once
// The pace of the memory transfers: how often the reply handshake is checked,
// the pause after each request, and how long an answer is waited for at most.
#include "ModuleLimits.h"

#include <QString>
#include <functional>

struct TransferTiming {
    int connectIntervalMs = 200; // check interval while connecting
    int readIntervalMs = 500;    // check interval while reading a cell
    int pauseMs = 100;           // pause after each request
    // The control reports a missing answer once its command time is up; when
    // not even that report has come within the command time again, the answer
    // counts as lost all the same.
    int replyBoundMs = 2 * tk28950::kCommandTimeoutMs;
    // Bringing the link back in step after a lost exchange: the module's
    // version answer must come back within this time, or the module is
    // taken as no longer answering.
    int resyncBoundMs = 10000;
    // The answers to version requests asked again come right behind the one
    // that brought the link back in step; they are let go by within this time.
    int drainMs = 500;
};

// Shows a message box; an empty title means the program's own title.
using ShowMessage = std::function<void(const QString& text, const QString& title)>;
