#pragma once
// A module on a pseudo-terminal whose misbehaviour a test writes down: it
// keeps 256 cells, answers reads, writes, the reset and the version
// request in order, and answers chosen commands late, or after noise (a
// lone line end). The far end is opened by the test before any host, so
// nothing the host sends is lost.
#include "PseudoTerminalEnd.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QVector>

class ScriptedModule {
public:
    struct Fault {
        QByteArray command; // the first command sent with exactly this text
        int delayMs;        // answered this much later than it would be
        bool noiseFirst;    // a lone line end (and the byte after it) comes first
    };

    explicit ScriptedModule(QByteArray cells);
    ScriptedModule(const ScriptedModule&) = delete;
    ScriptedModule& operator=(const ScriptedModule&) = delete;

    QString device() const { return m_end.devicePath(); }
    void addFault(const Fault& fault) { m_faults.append(fault); }
    const QByteArray& cells() const { return m_cells; }
    // Every command received, in order.
    const QVector<QByteArray>& commands() const { return m_commands; }
    int faultsLeft() const { return static_cast<int>(m_faults.size()); }

private:
    void onReadable();
    void takeCommands();
    QByteArray answer(const QByteArray& command);
    void sendLater(const QByteArray& bytes, int delayMs);

    QByteArray m_cells;
    QByteArray m_input;
    QVector<QByteArray> m_commands;
    QVector<Fault> m_faults;
    QElapsedTimer m_clock;
    qint64 m_lastAnswerAt = 0; // answers leave in order
    PseudoTerminalEnd m_end{[this] { onReadable(); }};
};
