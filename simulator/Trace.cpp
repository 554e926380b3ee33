#include "Trace.h"

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
    QByteArray line =
        QString::asprintf("%.6f %c ", Clock::secondsSinceStart(), direction).toLatin1();
    line += escape(bytes);
    line += '\n';
    m_file.write(line);
    m_file.flush();
}

QByteArray Trace::escape(const QByteArray& bytes)
{
    QByteArray escaped;
    for (char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (byte == '\\')
            escaped += "\\\\";
        else if (byte == '\r')
            escaped += "\\r";
        else if (byte == '\n')
            escaped += "\\n";
        else if (byte == '\t')
            escaped += "\\t";
        else if (code >= 0x20 && code < 0x7F)
            escaped += byte;
        else
            escaped += QString::asprintf("\\x%02X", code).toLatin1();
    }
    return escaped;
}
