#pragma once
// The far end of a pseudo-terminal, driven by the test itself: what the
// host writes arrives here, and answers are written back when the test
// wants them. A responder, if set, answers each chunk as it arrives
// (through the Qt event loop, so while the host waits).
#include "PseudoTerminalEnd.h"

#include <QByteArray>
#include <QString>
#include <functional>

class PtyPeer {
public:
    PtyPeer() = default;
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool isOpen() const { return m_end.isOpen(); }
    QString devicePath() const { return m_end.devicePath(); }
    // A descriptor of the terminal side, opened before any host opens it.
    int slaveFd() const { return m_end.terminalFd(); }

    void write(const QByteArray& bytes);
    // Everything the host wrote so far (what the responder saw included).
    QByteArray received();
    // Runs the event loop until received() holds at least n bytes.
    bool waitForReceived(int n, int timeoutMs = 5000);
    void setResponder(std::function<QByteArray(const QByteArray& chunk)> responder);

private:
    void onReadable();

    QByteArray m_received;
    std::function<QByteArray(const QByteArray&)> m_responder;
    PseudoTerminalEnd m_end{[this] { onReadable(); }};
};
