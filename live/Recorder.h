#pragma once
// Writes the readings to a CSV file as they come, in the columns of the
// tool's monitor. Every row goes to the file at once, so a view that ends
// badly keeps everything it recorded.
#include <QFile>
#include <QString>

class Recorder {
public:
    // Creates or empties path and writes the header; the reason when the
    // file cannot be written.
    QString open(const QString& path, bool withTemperature);
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    qint64 rows() const { return m_rows; }

    // temperature: the latest degrees (only written when recorded).
    // The reason when the row could not be written; the file is then closed.
    QString add(qint64 timeMs, const QString& x, const QString& y, const QString& temperature);
    void close();

private:
    QString write(const QString& line);

    QFile m_file;
    bool m_withTemperature = false;
    qint64 m_rows = 0;
};
