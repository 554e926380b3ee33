#include "TraceReader.h"

#include <QFile>

namespace {
char escapedByte(char letter)
{
    switch (letter) {
    case 'r':
        return '\r';
    case 'n':
        return '\n';
    case 't':
        return '\t';
    }
    return letter; // the backslash itself
}
} // namespace

QByteArray unescapeTraceBytes(const QByteArray& escaped)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '\\' || i + 1 >= escaped.size()) {
            bytes += escaped[i];
        } else if (escaped[i + 1] == 'x') {
            bytes += static_cast<char>(escaped.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
        } else {
            bytes += escapedByte(escaped[++i]);
        }
    }
    return bytes;
}

TraceBytes readTrace(const QString& path)
{
    TraceBytes trace;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return trace;
    const QByteArray content = file.readAll();
    const qsizetype complete = content.lastIndexOf('\n') + 1;
    for (const QByteArray& line : content.left(complete).split('\n')) {
        const qsizetype timeEnd = line.indexOf(' ');
        if (timeEnd < 0 || line.size() < timeEnd + 3)
            continue;
        const char direction = line[timeEnd + 1];
        const QByteArray bytes = unescapeTraceBytes(line.mid(timeEnd + 3));
        if (direction == '<')
            trace.fromHost += bytes;
        else if (direction == '>')
            trace.toHost += bytes;
    }
    return trace;
}
