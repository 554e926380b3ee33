#pragma once
// A trace of every byte on the serial line, for hosts that ask for it with
// TK28950_TRACE=1: one line per chunk on standard error,
// "<seconds> > <bytes>" for bytes sent, "<seconds> < <bytes>" for bytes
// received; printable ASCII as is, "\\", "\r", "\n", "\t", others "\xHH".
#include <QByteArray>

namespace ByteTrace {
bool Enabled();
void Sent(const QByteArray& bytes);
void Received(const QByteArray& bytes);
// The bytes in the trace's escaped form.
QByteArray Escaped(const QByteArray& bytes);
// One whole trace line: "<seconds> <direction> <escaped bytes>", with six
// decimals and a line end. The simulator writes its trace with it too.
QByteArray Line(double seconds, char direction, const QByteArray& bytes);
} // namespace ByteTrace
