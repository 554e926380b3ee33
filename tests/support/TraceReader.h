#pragma once

#include <QByteArray>
#include <QString>

// The bytes of a simulator trace file, one stream per direction.
struct TraceBytes {
    QByteArray fromHost;
    QByteArray toHost;
};

// Reads a trace written by tk28950-sim: lines "<seconds> <direction> <escaped bytes>",
// '<' from the host, '>' to the host. A last line still being written is left out.
TraceBytes readTrace(const QString& path);

// Reverses the trace's escaping (\\, \r, \n, \t, \xHH).
QByteArray unescapeTraceBytes(const QByteArray& escaped);
