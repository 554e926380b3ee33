#include "ScriptedModule.h"

namespace {

// The length of the command that starts with letter.
int commandLength(char letter)
{
    switch (letter) {
    case 'i':
        return 4;
    case 'h':
        return 7;
    default:
        return 1;
    }
}

// The answer as a damaged line brings it.
QByteArray damaged(const QByteArray& answer, ScriptedModule::Damage damage)
{
    switch (damage) {
    case ScriptedModule::Damage::Split:
        return answer.left(answer.size() - 1) + '\r' + answer.right(1);
    case ScriptedModule::Damage::DroppedByte:
        return answer.left(1) + '\x01' + answer.mid(2);
    case ScriptedModule::Damage::Refused:
        return "1";
    case ScriptedModule::Damage::NoiseFirst:
    case ScriptedModule::Damage::None:
        break;
    }
    return answer;
}

} // namespace

ScriptedModule::ScriptedModule(QByteArray cells) : m_cells(std::move(cells))
{
    m_clock.start();
    m_sender.setSingleShot(true);
    m_sender.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_sender, &QTimer::timeout, [this] { sendDue(); });
}

void ScriptedModule::onReadable()
{
    m_input.append(m_end.readAvailable());
    takeCommands();
}

void ScriptedModule::takeCommands()
{
    while (!m_input.isEmpty() && m_input.size() >= commandLength(m_input.at(0))) {
        const QByteArray command = m_input.left(commandLength(m_input.at(0)));
        m_input.remove(0, command.size());
        m_commands.append(command);
        Fault fault{command, 0};
        for (qsizetype i = 0; i < m_faults.size(); ++i) {
            if (m_faults[i].command == command) {
                fault = m_faults.takeAt(i);
                break;
            }
        }
        if (fault.damage == Damage::NoiseFirst)
            sendLater("\r#", 0);
        // A refused write leaves the cell as it was.
        const QByteArray reply = fault.damage == Damage::Refused ? "1" : answer(command);
        sendLater(damaged(reply, fault.damage) + "\r\n", fault.delayMs);
    }
}

QByteArray ScriptedModule::answer(const QByteArray& command)
{
    switch (command.at(0)) {
    case 'i':
        return QByteArray::number(quint8(m_cells.at(command.mid(1, 3).toInt() % 256)));
    case 'h':
        m_cells[command.mid(1, 3).toInt() % 256] = char(command.mid(4, 3).toInt());
        return "0";
    case 'x':
        return "READY";
    case 'v':
        return "TK28950-V1.2.0.1";
    default:
        return "E";
    }
}

void ScriptedModule::sendLater(const QByteArray& bytes, int delayMs)
{
    const qint64 dueAt = m_clock.elapsed() + delayMs;
    m_outbox.append({m_outbox.isEmpty() ? dueAt : qMax(dueAt, m_outbox.last().dueAt), bytes});
    sendDue();
}

// Sends every answer whose time has come, in order, and wakes up again for
// the next one. The time left is worked out once, so it is never negative.
void ScriptedModule::sendDue()
{
    while (!m_outbox.isEmpty() && m_outbox.first().dueAt <= m_clock.elapsed())
        m_end.write(m_outbox.takeFirst().bytes);
    if (!m_outbox.isEmpty())
        m_sender.start(int(qMax<qint64>(0, m_outbox.first().dueAt - m_clock.elapsed())));
}
