#pragma once
// The commands written to the port and not yet answered, oldest first.
// Answers pair with commands by order alone, so the oldest command takes
// the next complete line.
#include <QList>
#include <QString>
#include <QStringList>

struct PendingCommand {
    QString text;     // exactly as written to the port
    QString context;  // what the answer needs (a unit, a requested state); may be empty
    bool raw = false; // a raw command: its answer is passed on as it is
    qint64 deadline =
        -1;             // when its time-out is due, in the link's clock's ns; -1 once it has had it
    int resends = 0;    // how often the module was sent this command again
    quint64 serial = 0; // tells this sending of the command from every other
};

class CPendingQueue {
public:
    bool IsEmpty() const { return m_commands.isEmpty(); }
    // The front command; only while the queue is not empty.
    const PendingCommand& Front() const { return m_commands.front(); }
    // How many texts the queue holds: each command, its context and the
    // marker of a raw command count one each.
    int TextCount() const;
    // The texts, oldest first: a raw command's marker, the command, its
    // context.
    QStringList Texts() const;

    void Append(PendingCommand command) { m_commands.append(std::move(command)); }
    // The command sent with serial is still waiting for its line.
    bool Contains(quint64 serial) const;
    // Takes the front command (an empty one when there is none).
    PendingCommand Take();
    void Clear() { m_commands.clear(); }

    // The deadline of the oldest command still waiting for its time-out,
    // or -1 when none is.
    qint64 NextDeadline() const;
    // Every command now pending has had its time-out.
    void ExpireDeadlines();

private:
    QList<PendingCommand> m_commands;
};
