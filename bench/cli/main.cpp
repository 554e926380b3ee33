// Times the tool's EEPROM dump and restore-with-verify against a simulated
// module paced at the real line rate, and compares each with the wire time
// of the bytes it exchanged. Three hosts do the same work: the tool's own
// command code in this process, the tk28950 program (process start
// included), and a raw host that writes and reads the device directly, whose
// time is the floor the simulator's pacing allows. Prints its figures; it is
// not a test.
#include "CommandContext.h"
#include "Commands.h"
#include "ModuleLimits.h"
#include "Output.h"
#include "RawHost.h"
#include "Simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int kBaud = 38400;
constexpr int kBitsPerByte = 10;
constexpr int kCells = tk28950::kCells;
// The setup program's pace: a read waits one 500 ms timer period and pauses
// 100 ms; a write pauses 100 ms.
constexpr double kSetupReadSeconds = 0.6;
constexpr double kSetupWriteSeconds = 0.1;
// The tool's dump and restore against the wire time of what they exchange
// (a dump reads every cell twice, a verify reads each cell once).
constexpr double kGoal = 1.10;
constexpr double kLossyGoal = 1.5;

using Run = std::function<bool(const QString& device)>;

const CommandSpec& command(const QString& name)
{
    for (const CommandSpec& spec : Commands::table())
        if (spec.name == name)
            return spec;
    std::fprintf(stderr, "cli_bench: no command %s\n", qUtf8Printable(name));
    std::exit(2);
}

// One command through the tool's own code; false when it failed.
Run inProcess(const QString& name, const QString& file)
{
    return [name, file](const QString& device) {
        Invocation invocation;
        invocation.global.device = device;
        invocation.command = &command(name);
        invocation.arguments = {file};
        const Output output(false);
        try {
            CommandContext context(invocation, output);
            return invocation.command->handler(context) == ExitCode::Success;
        } catch (const ToolError& error) {
            output.failure(name, error);
            return false;
        }
    };
}

Run program(const QString& name, const QString& file)
{
    return [name, file](const QString& device) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QDir(QCoreApplication::applicationDirPath()).filePath("tk28950"),
                      QStringList{"--device", device} + name.split(' ') + QStringList{file});
        return process.waitForFinished(600000) && process.exitCode() == 0;
    };
}

QByteArray readCommand(int address)
{
    return QByteArray("i") + QByteArray::number(address).rightJustified(3, '0');
}

// The dump's work: every cell read twice, as the tool confirms each cell.
Run rawDump()
{
    return [](const QString& device) {
        RawHost host(device);
        for (int address = 0; host.isOpen() && address < kCells; ++address)
            for (int read = 0; read < 2; ++read)
                if (host.exchange(readCommand(address)).isEmpty())
                    return false;
        return host.isOpen();
    };
}

Run rawRestore(const QByteArray& cells)
{
    return [cells](const QString& device) {
        RawHost host(device);
        for (int address = 0; host.isOpen() && address < kCells; ++address) {
            const QByteArray write =
                "h" + QByteArray::number(address).rightJustified(3, '0') +
                QByteArray::number(quint8(cells[address])).rightJustified(3, '0');
            if (host.exchange(write) != "0")
                return false;
        }
        for (int address = 0; host.isOpen() && address < kCells; ++address)
            if (host.exchange(readCommand(address)).toInt() != quint8(cells[address]))
                return false;
        return host.isOpen();
    };
}

struct Figures {
    double seconds = 0;
    qsizetype bytes = 0;
    qsizetype commands = 0; // lines the module received
    qsizetype answers = 0;  // lines it sent back
    double wireSeconds() const { return double(bytes) * kBitsPerByte / kBaud; }
    double ratio() const { return seconds / wireSeconds(); }
};

// Starts simulator paced at the module's baud rate, with the given cells and
// faults; a benchmark without its module ends here.
void startPaced(Simulator& simulator, const QByteArray& eeprom, const QStringList& faults)
{
    if (!simulator.start(QStringList{"--pace", QString::number(kBaud)} + faults, eeprom)) {
        std::fprintf(stderr, "cli_bench: %s\n", qUtf8Printable(simulator.error()));
        std::exit(1);
    }
}

// Runs on a simulator of its own, paced, started with the given cells: a
// simulator that has just saved changed cells to its file is slower to
// answer than one whose cells were already equal, so no run inherits
// another's state.
Figures measure(const QByteArray& eeprom, const Run& run, const QStringList& faults = {})
{
    Simulator simulator;
    startPaced(simulator, eeprom, faults);
    QElapsedTimer clock;
    clock.start();
    if (!run(simulator.device())) {
        std::fprintf(stderr, "cli_bench: a run failed\n");
        std::exit(1);
    }
    Figures figures{clock.nsecsElapsed() / 1e9, 0};
    simulator.waitForSent(1, 100);
    figures.bytes = simulator.received().size() + simulator.sent().size();
    // A command starts with its letter; digits and line ends only follow one.
    const QByteArray received = simulator.received();
    figures.commands = std::count_if(received.cbegin(), received.cend(),
                                     [](char byte) { return std::isalpha(quint8(byte)) != 0; });
    figures.answers = simulator.sent().count('\n');
    return figures;
}

// A clean run is short enough for the machine's other work to show in it:
// the median of a few runs is the figure.
Figures medianOf(const QByteArray& eeprom, const Run& run)
{
    constexpr int kRuns = 3;
    std::vector<Figures> runs;
    for (int n = 0; n < kRuns; ++n)
        runs.push_back(measure(eeprom, run));
    std::sort(runs.begin(), runs.end(),
              [](const Figures& a, const Figures& b) { return a.seconds < b.seconds; });
    return runs[kRuns / 2];
}

void report(const char* title, const Figures& tool, const Figures& process, const Figures& raw,
            double setupSeconds)
{
    const double wire = tool.wireSeconds();
    std::printf("%s: %lld bytes exchanged, wire time %.3f s at %d baud\n", title,
                static_cast<long long>(tool.bytes), wire, kBaud);
    std::printf("  raw host (pacing floor)  %8.3f s  %6.2f x wire time\n", raw.seconds,
                raw.ratio());
    std::printf("  tool code in-process     %8.3f s  %6.2f x wire time  %s; %.2f x the floor\n",
                tool.seconds, tool.ratio(), tool.ratio() <= kGoal ? "goal met" : "over the goal",
                tool.seconds / raw.seconds);
    std::printf("  tk28950 program          %8.3f s  %6.2f x wire time (process start included)\n",
                process.seconds, process.ratio());
    std::printf("  setup program's pace     %8.1f s  %6.1f x wire time\n", setupSeconds + wire,
                (setupSeconds + wire) / wire);
}

// The same work on a line that loses answers: each loss costs the learnt
// bound and a resynchronisation, not the control's command time. A seed
// loses its own share of answers, near the probability but seldom on it, so
// each run says how many were lost, and the goal is judged on the median of
// the runs.
void reportLossy(const char* title, double lost, const Figures& clean, std::vector<Figures> lossy)
{
    std::sort(lossy.begin(), lossy.end(),
              [](const Figures& a, const Figures& b) { return a.seconds < b.seconds; });
    for (const Figures& run : lossy)
        std::printf("%s, %.0f %% of answers lost: %8.3f s  %6.2f x wire time of the clean run "
                    "(%+.3f s over it; %lld of %lld answers lost)\n",
                    title, lost * 100, run.seconds, run.seconds / clean.wireSeconds(),
                    run.seconds - clean.seconds, static_cast<long long>(run.commands - run.answers),
                    static_cast<long long>(run.commands));
    const double median = lossy[lossy.size() / 2].seconds / clean.wireSeconds();
    if (lost <= 0.01)
        std::printf("%s, %.0f %% lost, the median: %.2f x wire time  %s\n", title, lost * 100,
                    median, median <= kLossyGoal ? "goal met" : "over the goal");
}

// A run that may fail: how long it took, and whether it succeeded.
struct Ending {
    double seconds = 0;
    bool succeeded = false;
};

Ending timed(const QByteArray& eeprom, const Run& run, const QStringList& faults)
{
    Simulator simulator;
    startPaced(simulator, eeprom, faults);
    QElapsedTimer clock;
    clock.start();
    const bool succeeded = run(simulator.device());
    return {clock.nsecsElapsed() / 1e9, succeeded};
}

// The cells of a data file the dump saved, in file order.
QByteArray savedCells(const QString& path)
{
    QFile file(path);
    QByteArray cells;
    if (!file.open(QIODevice::ReadOnly))
        return cells;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype index = 1; index < lines.size(); ++index)
        if (const QList<QByteArray> fields = lines[index].trimmed().split('\t'); fields.size() == 2)
            cells += static_cast<char>(fields[1].toInt());
    return cells;
}

QByteArray pattern()
{
    QByteArray cells(kCells, 0);
    for (int address = 0; address < kCells; ++address)
        cells[address] = static_cast<char>((address * 37 + 11) % 256);
    return cells;
}

} // namespace

int main(int argc, char* argv[])
{
    // The simulator saves its EEPROM file after every write; on memory-backed
    // storage that costs nothing, so the figures are those of the line and
    // the hosts, not of a disk.
    if (!qEnvironmentVariableIsSet("TMPDIR") && QFileInfo(QStringLiteral("/dev/shm")).isDir())
        qputenv("TMPDIR", "/dev/shm");
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("TK28950_REGISTRY", dir.filePath("registry.ini").toLocal8Bit());
    const QString file = dir.filePath("eeprom.txt");

    const QByteArray blank(kCells, 0);
    const Figures dumpRaw = medianOf(pattern(), rawDump());
    const Figures dump = medianOf(pattern(), inProcess("eeprom dump", file));
    const Figures dumpProgram = medianOf(pattern(), program("eeprom dump", file));
    report("eeprom dump (256 cells, each read twice)", dump, dumpProgram, dumpRaw,
           kCells * kSetupReadSeconds);

    const Figures restoreRaw = medianOf(blank, rawRestore(pattern()));
    const Figures restore = medianOf(blank, inProcess("eeprom restore", file));
    const Figures restoreProgram = medianOf(blank, program("eeprom restore", file));
    report("eeprom restore with verify (256 writes, 256 reads)", restore, restoreProgram,
           restoreRaw, kCells * (kSetupWriteSeconds + kSetupReadSeconds));

    std::printf("with the bound learnt from the line's round trips:\n");
    for (double lost : {0.01, 0.03}) {
        std::vector<Figures> dumps;
        std::vector<Figures> restores;
        for (int seed : {5, 6, 7}) {
            const QStringList lossy{"--drop", QString::number(lost), "--seed",
                                    QString::number(seed)};
            dumps.push_back(measure(pattern(), inProcess("eeprom dump", file), lossy));
            restores.push_back(measure(blank, inProcess("eeprom restore", file), lossy));
        }
        reportLossy("  eeprom dump", lost, dump, dumps);
        reportLossy("  eeprom restore with verify", lost, restore, restores);
    }

    QFile::remove(file);
    const Ending stalled = timed(pattern(), inProcess("eeprom dump", file),
                                 {"--stall-ms", "2900", "--stall-after", "100"});
    const bool exact = stalled.succeeded && savedCells(file) == pattern();
    std::printf("eeprom dump, the module stalls once for 2.9 s: %.3f s, %s\n", stalled.seconds,
                exact ? "saved, every cell exact" : "NOT EXACT");
    const Ending silent = timed(pattern(), inProcess("eeprom dump", file), {"--silent"});
    std::printf("eeprom dump, a silent module: reported after %.3f s%s\n", silent.seconds,
                silent.succeeded ? " (AS SUCCESS)" : "");
    return 0;
}
