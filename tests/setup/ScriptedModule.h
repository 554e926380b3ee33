#pragma once
// A module on a pseudo-terminal whose misbehaviour a test writes down: it
// keeps 256 cells, answers reads, writes, the reset and the version
// request in order, and answers chosen commands late, damaged or refused.
// The far end is opened by the test before any host, so nothing the host
// sends is lost.
#include "PseudoTerminalEnd.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QVector>

class ScriptedModule {
public:
    enum class Damage {
        None,
        NoiseFirst,  // a lone line end (and the byte after it) comes before the answer
        Split,       // a lone line end inside the answer: "236" as "23", CR, "6"
        DroppedByte, // a byte of the answer turned into one that is not printable:
                     // "236" as "2", 0x01, "6"
        Refused      // a write answered with "1" instead of its acknowledgement
    };
    struct Fault {
        QByteArray command; // the first command sent with exactly this text
        int delayMs;        // answered this much later than it would be
        Damage damage = Damage::None;
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
    struct Outgoing {
        qint64 dueAt; // on m_clock
        QByteArray bytes;
    };

    void onReadable();
    void takeCommands();
    QByteArray answer(const QByteArray& command);
    void sendLater(const QByteArray& bytes, int delayMs);
    void sendDue();

    QByteArray m_cells;
    QByteArray m_input;
    QVector<QByteArray> m_commands;
    QVector<Fault> m_faults;
    QElapsedTimer m_clock;
    // Answers leave in the order they were made, each at its time or after
    // the one before it.
    QVector<Outgoing> m_outbox;
    PseudoTerminalEnd m_end{[this] { onReadable(); }};
    QTimer m_sender; // last: it writes to m_end
};
