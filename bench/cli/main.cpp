// Times the tool's EEPROM dump and restore-with-verify against a simulated
// module paced at the real line rate, and compares each with the wire time
// of the bytes it exchanged: in-process (the tool's own command code, no
// process start) and as the tk28950 program. Prints its figures; it is not
// a test.
#include "CommandContext.h"
#include "Commands.h"
#include "Output.h"
#include "Simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr int kBaud = 38400;
constexpr int kBitsPerByte = 10;
constexpr int kCells = 256;
// The setup program's pace: a read waits one 500 ms timer period and pauses
// 100 ms; a write pauses 100 ms.
constexpr double kSetupReadSeconds = 0.6;
constexpr double kSetupWriteSeconds = 0.1;
constexpr double kGoal = 1.3;

const CommandSpec& command(const QString& name)
{
    for (const CommandSpec& spec : Commands::table())
        if (spec.name == name)
            return spec;
    std::fprintf(stderr, "cli_bench: no command %s\n", qUtf8Printable(name));
    std::exit(2);
}

// Runs one command through the tool's own code; false when it failed.
bool runInProcess(const QString& name, const QString& device, const QString& file)
{
    Invocation invocation;
    invocation.global.device = device;
    invocation.command = &command(name);
    invocation.arguments = {file};
    const Output output(true);
    try {
        CommandContext context(invocation, output, [](const ToolError&) { std::exit(1); });
        return invocation.command->handler(context) == ExitCode::Success;
    } catch (const ToolError& error) {
        output.failure(name, error);
        return false;
    }
}

bool runProgram(const QString& name, const QString& device, const QString& file)
{
    const QString tool = QDir(QCoreApplication::applicationDirPath()).filePath("tk28950");
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(tool,
                  QStringList{"--json", "--device", device} + name.split(' ') + QStringList{file});
    return process.waitForFinished(600000) && process.exitCode() == 0;
}

struct Figures {
    double seconds = 0;
    qsizetype bytes = 0;
};

template <typename Run> Figures measure(Simulator& simulator, Run run)
{
    simulator.clearTrace();
    QElapsedTimer clock;
    clock.start();
    if (!run()) {
        std::fprintf(stderr, "cli_bench: the command failed\n");
        std::exit(1);
    }
    Figures figures{clock.nsecsElapsed() / 1e9, 0};
    figures.bytes = simulator.received().size() + simulator.sent().size();
    return figures;
}

double wireSeconds(qsizetype bytes)
{
    return double(bytes) * kBitsPerByte / kBaud;
}

void report(const char* title, const Figures& inProcess, const Figures& program,
            double setupSeconds)
{
    const double wire = wireSeconds(inProcess.bytes);
    std::printf("%s: %lld bytes exchanged, wire time %.3f s at %d baud\n", title,
                static_cast<long long>(inProcess.bytes), wire, kBaud);
    std::printf("  tool code in-process  %8.3f s  %6.2f x wire time  %s\n", inProcess.seconds,
                inProcess.seconds / wire,
                inProcess.seconds <= kGoal * wire ? "(goal met)" : "(over the goal)");
    std::printf("  tk28950 program       %8.3f s  %6.2f x wire time (process start included)\n",
                program.seconds, program.seconds / wireSeconds(program.bytes));
    std::printf("  setup program's pace  %8.1f s  %6.1f x wire time\n", setupSeconds + wire,
                (setupSeconds + wire) / wire);
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
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("TK28950_REGISTRY", dir.filePath("registry.ini").toLocal8Bit());
    const QString file = dir.filePath("eeprom.txt");
    const QStringList paced{"--pace", QString::number(kBaud)};

    Simulator source;
    if (!source.start(paced, pattern())) {
        std::fprintf(stderr, "cli_bench: %s\n", qUtf8Printable(source.error()));
        return 1;
    }
    const Figures dump =
        measure(source, [&] { return runInProcess("eeprom dump", source.device(), file); });
    const Figures dumpProgram =
        measure(source, [&] { return runProgram("eeprom dump", source.device(), file); });
    report("eeprom dump (256 reads)", dump, dumpProgram, kCells * kSetupReadSeconds);

    Simulator target;
    if (!target.start(paced + QStringList{"--eeprom-fill", "0"})) {
        std::fprintf(stderr, "cli_bench: %s\n", qUtf8Printable(target.error()));
        return 1;
    }
    const Figures restore =
        measure(target, [&] { return runInProcess("eeprom restore", target.device(), file); });
    const Figures restoreProgram =
        measure(target, [&] { return runProgram("eeprom restore", target.device(), file); });
    report("eeprom restore with verify (256 writes, 256 reads)", restore, restoreProgram,
           kCells * (kSetupWriteSeconds + kSetupReadSeconds));
    if (target.eeprom() != pattern()) {
        std::fprintf(stderr, "cli_bench: the restored EEPROM differs from the source\n");
        return 1;
    }
    return 0;
}
