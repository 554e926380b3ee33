#include "ByteTrace.h"

#include <QElapsedTimer>
#include <cstdio>

namespace ByteTrace {
namespace {

const QElapsedTimer& Clock()
{
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started;
}

void Write(char direction, const QByteArray& bytes)
{
    if (bytes.isEmpty() || !Enabled())
        return;
    const QByteArray text = Line(Clock().nsecsElapsed() / 1e9, direction, bytes);
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

} // namespace

bool Enabled()
{
    static const bool on = qgetenv("TK28950_TRACE") == "1";
    return on;
}

void Sent(const QByteArray& bytes)
{
    Write('>', bytes);
}

void Received(const QByteArray& bytes)
{
    Write('<', bytes);
}

QByteArray Escaped(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (byte >= 0x20 && byte < 0x7f)
            out += c;
        else
            out += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
    }
    return out;
}

QByteArray Line(double seconds, char direction, const QByteArray& bytes)
{
    return QByteArray::number(seconds, 'f', 6) + ' ' + direction + ' ' + Escaped(bytes) + '\n';
}

} // namespace ByteTrace
