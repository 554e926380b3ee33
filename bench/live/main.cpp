// Runs tk28950-live as a rig would (offscreen, reading as fast as the line
// allows, the ten-minute window, recording) against a simulated module
// paced at 38400 baud and turning on the sine profile, for SECONDS (300 by
// default): prints the readings per second reached beside the wire limit
// and beside the tool's monitor on the same module, the view's processor
// time as a share of one core, and its resident memory over the run. It is
// not a test.
#include "ControlRegistration.h"
#include "Simulator.h"
#include "TraceReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kBaud = 38400;
constexpr int kBitsPerByte = 10;
// A reading: the one-byte request and the answer "+dd.ddd" with CR LF.
constexpr int kBytesPerReading = 1 + 9;
constexpr int kSampleEveryS = 10;
constexpr int kSettleS = 10;
constexpr int kMonitorRows = 1000;

double wireLimit()
{
    return double(kBaud) / kBitsPerByte / (2 * kBytesPerReading);
}

QString program(const char* name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
}

// Rows of a "time_ms,x,y" text and their span in milliseconds.
struct Rows {
    qint64 count = 0;
    qint64 spanMs = 0;
    double cpuSeconds = 0; // of the program that wrote them, when known
    double perSecond() const { return spanMs > 0 ? (count - 1) * 1000.0 / spanMs : 0; }
};

Rows rowsOf(const QByteArray& csv)
{
    QList<QByteArray> lines = csv.trimmed().split('\n');
    Rows rows;
    if (lines.size() < 3)
        return rows;
    rows.count = lines.size() - 1;
    rows.spanMs =
        lines.last().split(',').first().toLongLong() - lines[1].split(',').first().toLongLong();
    return rows;
}

// The processor time (user and system, seconds) and resident memory (KiB)
// of a process, from /proc.
struct Usage {
    double cpuSeconds = 0;
    qint64 residentKiB = 0;
};

Usage usageOf(qint64 pid)
{
    Usage usage;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        // The fields after the command name in parentheses; utime and stime
        // are the 14th and 15th of the line.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 13)
            usage.cpuSeconds =
                double(fields[11].toLongLong() + fields[12].toLongLong()) / sysconf(_SC_CLK_TCK);
    }
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                usage.residentKiB = line.mid(6).trimmed().split(' ').first().toLongLong();
    return usage;
}

// The machine's load average over the last minute: the figures depend on
// what else runs beside the view.
QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').first() : QByteArray("?");
}

double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The tool's monitor on the same module: the host side without a window.
Rows runMonitor(const QString& device)
{
    const double cpuBefore = childrenCpuSeconds();
    QProcess monitor;
    monitor.start(program("tk28950"), {"--device", device, "monitor", "--interval", "0", "--count",
                                       QString::number(kMonitorRows)});
    monitor.waitForFinished(120000);
    Rows rows = rowsOf(monitor.readAllStandardOutput());
    rows.cpuSeconds = childrenCpuSeconds() - cpuBefore;
    return rows;
}

// Where the time of one request goes, from the simulator's trace of the
// line (its own clock): from the end of an answer to the next request the
// module hears (the host's turn: waking, judging the answer, the view's own
// work, writing the request), and from the request to the end of its
// answer beyond the bytes' time on the wire (the module's turn). The bytes
// of the axis readings, request and answer, check what the wire limit
// counts.
struct Turns {
    qint64 requests = 0;
    double hostUs[2] = {0, 0}; // before a Y request (after X), before any other
    qint64 hostCount[2] = {0, 0};
    double moduleExcessUs = 0;
    qint64 answers = 0;
    qint64 axisReadings = 0;
    qint64 axisReadingBytes = 0;
    qint64 bytes = 0; // both ways
    double meanHostUs(int kind) const
    {
        return hostCount[kind] ? hostUs[kind] / hostCount[kind] : 0;
    }
};

// From the byte offset from of the trace on.
Turns turnsOf(const QString& tracePath, qint64 from)
{
    constexpr double kByteUs = 1e6 * kBitsPerByte / kBaud;
    Turns turns;
    QFile file(tracePath);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(from))
        return turns;
    double answerEnd = -1;
    double requestAt = -1;
    qint64 bytesOnWire = 0;
    bool axisRequest = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        const qsizetype timeEnd = line.indexOf(' ');
        if (!line.endsWith('\n') || timeEnd < 0 || line.size() < timeEnd + 4)
            continue;
        const double seconds = line.left(timeEnd).toDouble();
        const QByteArray bytes = unescapeTraceBytes(line.mid(timeEnd + 3).chopped(1));
        turns.bytes += bytes.size();
        if (line[timeEnd + 1] == '<') { // from the host
            if (answerEnd >= 0) {
                const int kind = bytes.startsWith('d') ? 0 : 1;
                turns.hostUs[kind] += 1e6 * (seconds - answerEnd);
                ++turns.hostCount[kind];
            }
            answerEnd = -1;
            requestAt = seconds;
            bytesOnWire = bytes.size();
            axisRequest = bytes == "c" || bytes == "d";
            ++turns.requests;
        } else {
            bytesOnWire += bytes.size();
            if (bytes.endsWith('\n') && requestAt >= 0) {
                answerEnd = seconds;
                turns.moduleExcessUs += 1e6 * (seconds - requestAt) - bytesOnWire * kByteUs;
                ++turns.answers;
                if (axisRequest) {
                    ++turns.axisReadings;
                    turns.axisReadingBytes += bytesOnWire;
                }
                requestAt = -1;
            }
        }
    }
    return turns;
}

void printTurns(const Turns& turns)
{
    std::printf("  from an answer's end to the next request, on the module's clock: %.0f us "
                "before a Y request, %.0f us before an X or temperature request; the module's "
                "turn beyond the bytes' wire time: %.0f us an answer (%lld requests)\n",
                turns.meanHostUs(0), turns.meanHostUs(1),
                turns.answers ? turns.moduleExcessUs / turns.answers : 0,
                static_cast<long long>(turns.requests));
    if (turns.axisReadings > 0)
        std::printf("  bytes of a reading of one axis on the line, request and answer: %.2f "
                    "(the wire limit counts %d)\n",
                    double(turns.axisReadingBytes) / turns.axisReadings, kBytesPerReading);
}

void printMonitor(const char* when, const Rows& rows)
{
    std::printf("tk28950 monitor --interval 0 %s, %lld rows: %.1f a second, %.0f %% of the limit, "
                "%.2f ms of processor per row (load %s)\n",
                when, static_cast<long long>(rows.count), rows.perSecond(),
                100 * rows.perSecond() / wireLimit(), 1000 * rows.cpuSeconds / rows.count,
                loadAverage().constData());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 300;
    if (seconds <= 2 * kSettleS) {
        std::fprintf(stderr, "usage: live_bench [SECONDS > %d]\n", 2 * kSettleS);
        return 2;
    }
    const ControlRegistration registration(QStringLiteral(TK28950_LIBRARY));
    if (!registration.ok()) {
        std::fprintf(stderr, "live_bench: %s\n", qUtf8Printable(registration.error()));
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Simulator module;
    if (!module.start({"--pace", QString::number(kBaud), "--tilt", "sine:amplitude=5,period=10",
                       "--tilt-noise", "0.01"})) {
        std::fprintf(stderr, "live_bench: %s\n", qUtf8Printable(module.error()));
        return 2;
    }
    std::printf("wire limit at %d baud: %.1f readings of X and Y a second (%d bytes each)\n", kBaud,
                wireLimit(), 2 * kBytesPerReading);
    printMonitor("before", runMonitor(module.device()));

    QTemporaryDir dir;
    const QString csv = dir.filePath("readings.csv");
    const qint64 traceFrom = QFileInfo(module.tracePath()).size();
    QProcess live;
    live.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    live.start(program("tk28950-live"),
               {"--device", module.device(), "--interval", "0", "--window", "600", "--record", csv,
                "--quit-after", QString::number(seconds)});
    if (!live.waitForStarted()) {
        std::fprintf(stderr, "live_bench: tk28950-live does not start\n");
        return 2;
    }
    std::printf("tk28950-live for %d s: every %d s the share of one core since the last line "
                "and the resident memory\n",
                seconds, kSampleEveryS);
    QElapsedTimer clock;
    clock.start();
    QFile recording(csv);
    qint64 rowsSoFar = 0;
    qint64 settledRows = 0;
    Usage last = usageOf(live.processId());
    Usage settled;
    qint64 settledAtMs = 0;
    qint64 lowestKiB = 0;
    qint64 highestKiB = 0;
    double busiest = 0;
    for (int step = 1; step * kSampleEveryS < seconds; ++step) {
        QThread::sleep(kSampleEveryS);
        const Usage now = usageOf(live.processId());
        const double share = (now.cpuSeconds - last.cpuSeconds) / kSampleEveryS;
        if (!recording.isOpen())
            recording.open(QIODevice::ReadOnly);
        const qint64 newRows = recording.readAll().count('\n');
        rowsSoFar += newRows;
        std::printf("  %4d s  %5.1f rows a second  cpu %5.1f %%  rss %6lld KiB  load %s\n",
                    step * kSampleEveryS, double(newRows) / kSampleEveryS, 100 * share,
                    static_cast<long long>(now.residentKiB), loadAverage().constData());
        std::fflush(stdout);
        if (step * kSampleEveryS == kSettleS) {
            settled = now;
            settledAtMs = clock.elapsed();
            settledRows = rowsSoFar;
            lowestKiB = highestKiB = now.residentKiB;
        } else if (step * kSampleEveryS > kSettleS) {
            busiest = std::max(busiest, share);
            lowestKiB = std::min(lowestKiB, now.residentKiB);
            highestKiB = std::max(highestKiB, now.residentKiB);
        }
        last = now;
    }
    const double settledSeconds = (clock.elapsed() - settledAtMs) / 1000.0;
    const double averageShare = (last.cpuSeconds - settled.cpuSeconds) / settledSeconds;
    const double settledRate = double(rowsSoFar - settledRows) / settledSeconds;
    live.waitForFinished(60000);
    QFile file(csv);
    file.open(QIODevice::ReadOnly);
    const Rows rows = rowsOf(file.readAll());
    const Turns turns = turnsOf(module.tracePath(), traceFrom);
    const double bytesPerRow = double(turns.bytes) / double(std::max<qint64>(1, rows.count));

    std::printf("tk28950-live exit %d: %lld rows in %.1f s: %.1f a second, %.0f %% of the limit\n",
                live.exitCode(), static_cast<long long>(rows.count), rows.spanMs / 1000.0,
                rows.perSecond(), 100 * rows.perSecond() / wireLimit());
    std::printf("  bytes on the line per row: %.2f (the temperature once a second and the "
                "version requests that prove the line in step included)\n",
                bytesPerRow);
    printTurns(turns);
    std::printf("  processor after the first %d s: %.1f %% of one core on average, %.1f %% at "
                "most over %d s\n",
                kSettleS, 100 * averageShare, 100 * busiest, kSampleEveryS);
    std::printf("  processor per reading of X and Y: %.2f ms; at the wire limit that would be "
                "%.1f %% of one core\n",
                1000 * averageShare / settledRate, 100 * averageShare / settledRate * wireLimit());
    std::printf("  resident memory after the first %d s: %lld to %lld KiB (the ten-minute window "
                "fills for 600 s: %.0f KiB of samples at this rate)\n",
                kSettleS, static_cast<long long>(lowestKiB), static_cast<long long>(highestKiB),
                rows.perSecond() * 600 * 24 / 1024);
    printMonitor("after", runMonitor(module.device()));
    return live.exitCode() == 0 ? 0 : 1;
}
