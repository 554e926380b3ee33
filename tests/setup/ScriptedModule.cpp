#include "ScriptedModule.h"

#include <QTimer>

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

} // namespace

ScriptedModule::ScriptedModule(QByteArray cells) : m_cells(std::move(cells))
{
    m_clock.start();
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
        int delayMs = 0;
        QByteArray bytes = answer(command) + "\r\n";
        for (qsizetype i = 0; i < m_faults.size(); ++i) {
            if (m_faults[i].command != command)
                continue;
            delayMs = m_faults[i].delayMs;
            if (m_faults[i].noiseFirst)
                sendLater("\r#", 0);
            m_faults.remove(i);
            break;
        }
        sendLater(bytes, delayMs);
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
    const qint64 at = qMax(m_clock.elapsed() + delayMs, m_lastAnswerAt);
    m_lastAnswerAt = at;
    QTimer::singleShot(int(at - m_clock.elapsed()), m_end.context(),
                       [this, bytes] { m_end.write(bytes); });
}
