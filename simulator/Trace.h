#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A record of every byte on the line, one line per chunk, in the control
// library's trace form (ByteTrace::Line), where '<' is from the host and
// '>' to the host.
class Trace {
public:
    static constexpr char FromHost = '<';
    static constexpr char ToHost = '>';

    // "-" traces to standard error.
    bool open(const QString& target, QString& error);
    void record(char direction, const QByteArray& bytes);

private:
    QFile m_file;
};
