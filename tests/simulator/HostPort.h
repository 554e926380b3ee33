#pragma once

#include <QByteArray>
#include <QString>

// The host's end of the line in these tests: the simulator's device opened
// with plain POSIX calls in raw mode.
class HostPort {
public:
    explicit HostPort(const QString& device);
    ~HostPort();
    HostPort(const HostPort&) = delete;
    HostPort& operator=(const HostPort&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void close();
    void send(const QByteArray& bytes);
    // Bytes up to and including the next CR LF, or what came until the time-out.
    QByteArray readAnswer(int timeoutMs = 3000);
    // Sends a command and reads its answer.
    QByteArray ask(const QByteArray& command, int timeoutMs = 3000);
    // Everything that arrives within the given time.
    QByteArray readFor(int ms);

private:
    bool waitReadable(int timeoutMs);

    int m_fd = -1;
    QByteArray m_unread;
};
