#pragma once
// A trace of every byte on the serial line, for hosts that ask for it with
// TK28950_TRACE=1: one line per chunk on standard error,
// "<seconds> > <bytes>" for bytes sent, "<seconds> < <bytes>" for bytes
// received; printable ASCII as is, "\\", "\r", "\n", "\t", others "\xHH".
#include <QByteArray>

namespace ByteTrace {
bool enabled();
void sent(const QByteArray& bytes);
void received(const QByteArray& bytes);
// The bytes in the trace's escaped form.
QByteArray escaped(const QByteArray& bytes);
} // namespace ByteTrace
