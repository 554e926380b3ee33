#include "Recorder.h"

#include "ReadingRow.h"

QString Recorder::open(const QString& path, bool withTemperature)
{
    close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text |
                     QIODevice::Unbuffered))
        return QStringLiteral("cannot write %1: %2").arg(path, m_file.errorString());
    m_withTemperature = withTemperature;
    m_rows = 0;
    return write(ReadingRow::header(withTemperature));
}

QString Recorder::add(qint64 timeMs, const QString& x, const QString& y, const QString& temperature)
{
    if (!m_file.isOpen())
        return {};
    const QString failure = write(m_withTemperature ? ReadingRow::row(timeMs, x, y, temperature)
                                                    : ReadingRow::row(timeMs, x, y));
    if (failure.isEmpty())
        ++m_rows;
    return failure;
}

QString Recorder::write(const QString& line)
{
    const QByteArray bytes = (line + '\n').toUtf8();
    if (m_file.write(bytes) == bytes.size())
        return {};
    const QString reason =
        QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString());
    m_file.close();
    return reason;
}

void Recorder::close()
{
    m_file.close();
}
