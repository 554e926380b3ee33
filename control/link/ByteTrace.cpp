#include "ByteTrace.h"

#include <QElapsedTimer>
#include <cstdio>

namespace ByteTrace {
namespace {

const QElapsedTimer& clock()
{
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started;
}

void write(char direction, const QByteArray& bytes)
{
    if (bytes.isEmpty() || !enabled())
        return;
    const double seconds = clock().nsecsElapsed() / 1e9;
    std::fprintf(stderr, "%.6f %c %s\n", seconds, direction, escaped(bytes).constData());
    std::fflush(stderr);
}

} // namespace

bool enabled()
{
    static const bool on = qgetenv("TK28950_TRACE") == "1";
    return on;
}

void sent(const QByteArray& bytes)
{
    write('>', bytes);
}

void received(const QByteArray& bytes)
{
    write('<', bytes);
}

QByteArray escaped(const QByteArray& bytes)
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
            out += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
    }
    return out;
}

} // namespace ByteTrace
