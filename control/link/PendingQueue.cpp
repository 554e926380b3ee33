#include "PendingQueue.h"

#include <algorithm>

#include "resources/MessageTable.h"

int CPendingQueue::TextCount() const
{
    int count = 0;
    for (const PendingCommand& command : m_commands)
        count += 1 + int(command.raw) + int(!command.context.isEmpty());
    return count;
}

QStringList CPendingQueue::Texts() const
{
    QStringList texts;
    for (const PendingCommand& command : m_commands) {
        if (command.raw)
            texts << LoadMessage(Msg::CommandMarker);
        texts << command.text;
        if (!command.context.isEmpty())
            texts << command.context;
    }
    return texts;
}

PendingCommand CPendingQueue::Take()
{
    return m_commands.isEmpty() ? PendingCommand{} : m_commands.takeFirst();
}

qint64 CPendingQueue::NextDeadline() const
{
    for (const PendingCommand& command : m_commands) {
        if (command.deadline >= 0)
            return command.deadline;
    }
    return -1;
}

void CPendingQueue::ExpireDeadlines()
{
    for (PendingCommand& command : m_commands)
        command.deadline = -1;
}

bool CPendingQueue::Contains(quint64 serial) const
{
    return std::any_of(
        m_commands.begin(), m_commands.end(),
        [serial](const PendingCommand& command) { return command.serial == serial; });
}
