#pragma once
// The pace of the memory transfers: how often the reply handshake is checked,
// the pause after each request, and how long a reply is waited for at most.
#include <QString>
#include <functional>

struct TransferTiming {
    int connectIntervalMs = 200; // check interval while connecting
    int readIntervalMs = 500;    // check interval while reading or writing a cell
    int pauseMs = 100;           // pause after each request
    // The control reports a missing answer after 3000 ms; a reply not seen
    // within this bound counts as failed all the same.
    int replyBoundMs = 6000;
};

// Shows a message box; an empty title means the program's own title.
using ShowMessage = std::function<void(const QString& text, const QString& title)>;
