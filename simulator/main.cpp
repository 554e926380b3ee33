#include "Clock.h"
#include "CommandLine.h"
#include "EepromStore.h"
#include "ModuleSimulator.h"
#include "ModuleState.h"
#include "PseudoTerminal.h"
#include "TerminationSignals.h"
#include "Trace.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int ExitRuntimeError = 1;
constexpr int ExitUsageError = 2;

int fail(int code, const QString& message)
{
    std::fprintf(stderr, "tk28950-sim: %s\n", qPrintable(message));
    return code;
}

// A stale link from an earlier run is replaced; anything else at the path is left alone.
bool makeLink(const QString& linkPath, const QString& target, QString& error)
{
    if (QFileInfo(linkPath).isSymLink())
        QFile::remove(linkPath);
    if (QFile::link(target, linkPath))
        return true;
    error = QStringLiteral("cannot make the link %1 to %2").arg(linkPath, target);
    return false;
}

EepromStore::Cells initialCells(const SimulatorOptions& options)
{
    return options.eepromFill ? EepromStore::filledWith(quint8(*options.eepromFill))
                              : EepromStore::factoryDefaults();
}

void announce(const QString& devicePath)
{
    std::printf("%s\n", qPrintable(devicePath));
    std::fflush(stdout);
}

int run(QCoreApplication& app, const SimulatorOptions& options)
{
    QString error;
    EepromStore eeprom(initialCells(options));
    if (!options.eepromPath.isEmpty() && !eeprom.attachFile(options.eepromPath, error))
        return fail(ExitUsageError, error);
    Trace trace;
    if (!options.tracePath.isEmpty() && !trace.open(options.tracePath, error))
        return fail(ExitUsageError, error);
    PseudoTerminal terminal;
    if (!terminal.open(error))
        return fail(ExitRuntimeError, error);
    if (!options.linkPath.isEmpty() && !makeLink(options.linkPath, terminal.devicePath(), error))
        return fail(ExitRuntimeError, error);

    // The trace hears the received bytes before the simulator answers them.
    QObject::connect(&terminal, &PseudoTerminal::received,
                     [&trace](const QByteArray& bytes) { trace.record(Trace::FromHost, bytes); });
    QObject::connect(&terminal, &PseudoTerminal::written,
                     [&trace](const QByteArray& bytes) { trace.record(Trace::ToHost, bytes); });
    ModuleState module(eeprom, options.module);
    ModuleSimulator simulator(terminal, module, options.faults, options.timing);

    TerminationSignals termination;
    if (!termination.install())
        return fail(ExitRuntimeError, QStringLiteral("cannot handle termination signals"));
    QObject::connect(&termination, &TerminationSignals::received, &app, &QCoreApplication::quit);
    if (options.exitAfterMs > 0)
        QTimer::singleShot(options.exitAfterMs, &app, &QCoreApplication::quit);

    announce(terminal.devicePath());
    const int code = app.exec();
    if (!options.linkPath.isEmpty())
        QFile::remove(options.linkPath);
    eeprom.save();
    return code;
}
} // namespace

int main(int argc, char* argv[])
{
    Clock::nowNs(); // starts the clock
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tk28950-sim"));
    SimulatorOptions options;
    switch (parseCommandLine(QCoreApplication::arguments(), options)) {
    case CommandLineOutcome::ExitSuccess:
        return 0;
    case CommandLineOutcome::ExitUsageError:
        return ExitUsageError;
    case CommandLineOutcome::Run:
        break;
    }
    return run(app, options);
}
