#pragma once
// The far end of a pseudo-terminal, for tests that play the module
// themselves. The terminal side is opened in raw mode before any host opens
// it and held open, so that nothing a host sends is lost and the terminal
// keeps its settings between hosts. onReadable runs (through the Qt event
// loop) whenever the host has written something.
#include <QByteArray>
#include <QSocketNotifier>
#include <QString>

#include <functional>
#include <memory>

class PseudoTerminalEnd {
public:
    explicit PseudoTerminalEnd(std::function<void()> onReadable);
    ~PseudoTerminalEnd();
    PseudoTerminalEnd(const PseudoTerminalEnd&) = delete;
    PseudoTerminalEnd& operator=(const PseudoTerminalEnd&) = delete;

    bool isOpen() const { return m_notifier != nullptr; }
    QString devicePath() const { return m_devicePath; }
    int terminalFd() const { return m_terminal; }
    // A context object that lives exactly as long as this end (for timers
    // that write to it).
    QObject* context() const { return m_notifier.get(); }

    // Everything the host wrote that has not been read yet; never blocks.
    QByteArray readAvailable();
    // Writes all of bytes to the host (as far as the terminal takes them).
    void write(const QByteArray& bytes);

private:
    int m_master = -1;
    int m_terminal = -1;
    QString m_devicePath;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
