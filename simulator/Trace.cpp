#include "Trace.h"

#include "ByteTrace.h"
#include "Clock.h"

#include <cstdio>

bool Trace::open(const QString& target, QString& error)
{
    bool opened = false;
    if (target == QLatin1String("-")) {
        opened = m_file.open(stderr, QIODevice::WriteOnly);
    } else {
        m_file.setFileName(target);
        opened = m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    if (!opened)
        error = QStringLiteral("cannot open trace file %1: %2").arg(target, m_file.errorString());
    return opened;
}

void Trace::record(char direction, const QByteArray& bytes)
{
    if (!m_file.isOpen())
        return;
    m_file.write(ByteTrace::Line(Clock::secondsSinceStart(), direction, bytes));
    m_file.flush();
}
