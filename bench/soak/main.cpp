// Runs the tk28950 program again and again against a simulated module that
// loses, refuses and garbles answers, and checks every value a run reports
// as success against what the simulator holds: its EEPROM (kept in a file
// after every change) and its fixed temperature, readings and version.
// Prints the number of wrong values reported as success (which must be 0),
// the honest failures, and the slowest run. It is not a test.
//
// line_soak [RUNS [SEED]]   (2000 runs, seed 1 by default)
#include "Simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

namespace {

const QStringList kFaults{"--drop", "0.03", "--error", "0.05", "--noise", "0.05"};
// What the simulator answers by default, as the tool prints it.
constexpr double kCelsius = 23.5;
constexpr double kAngleX = 1.25;
constexpr double kAngleY = -0.5;
const QString kVersion = QStringLiteral("TK28950-V1.2.0.1");

struct Run {
    QString kind;
    QStringList arguments;
    int exitCode = -1;
    QJsonObject result;
    double seconds = 0;
};

struct Tally {
    int runs = 0;
    int succeeded = 0;
    int failedHonestly = 0;
    int wrong = 0;
};

QString toolPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tk28950"));
}

Run execute(const QString& device, const QString& kind, const QStringList& arguments)
{
    Run run;
    run.kind = kind;
    run.arguments = arguments;
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(toolPath(), QStringList{"--json", "--device", device} + arguments);
    if (!process.waitForFinished(600000)) {
        process.kill();
        process.waitForFinished();
    }
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.result = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    return run;
}

// The 256 cells of an EEPROM data file as the dump wrote it; empty when the
// file does not hold exactly the cells 0 to 255 in order.
QByteArray cellsOfDataFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    QByteArray cells;
    for (int index = 1; index < lines.size(); ++index) {
        const QList<QByteArray> fields = lines[index].trimmed().split('\t');
        if (fields.size() != 2)
            continue;
        if (fields[0].toInt() != cells.size())
            return {};
        cells += static_cast<char>(fields[1].toInt());
    }
    return cells.size() == 256 ? cells : QByteArray();
}

bool near(const QJsonValue& value, double expected)
{
    return value.isDouble() && std::abs(value.toDouble() - expected) < 1e-9;
}

// Why a run that reported success reported something the module does not
// hold; the empty text when all it reported is right.
QString wrongness(const Run& run, const QByteArray& eeprom, const QString& dumpFile)
{
    const QJsonValue value = run.result.value("value");
    if (run.kind == "read") {
        const int address = run.arguments.at(2).toInt();
        return value.toInt(-1) == quint8(eeprom.at(address))
                   ? QString()
                   : QStringLiteral("cell %1 printed %2, holds %3")
                         .arg(address)
                         .arg(value.toInt(-1))
                         .arg(quint8(eeprom.at(address)));
    }
    if (run.kind == "write") {
        const int address = run.arguments.at(2).toInt();
        const int written = run.arguments.at(3).toInt();
        return quint8(eeprom.at(address)) == written
                   ? QString()
                   : QStringLiteral("cell %1 acknowledged %2, holds %3")
                         .arg(address)
                         .arg(written)
                         .arg(quint8(eeprom.at(address)));
    }
    if (run.kind == "temperature")
        return near(value, kCelsius) ? QString()
                                     : QStringLiteral("temperature %1").arg(value.toDouble());
    if (run.kind == "read x" || run.kind == "read y")
        return near(value, run.kind == "read x" ? kAngleX : kAngleY)
                   ? QString()
                   : QStringLiteral("%1 printed %2").arg(run.kind).arg(value.toDouble());
    if (run.kind == "version")
        return run.result.value("version").toString() == kVersion
                   ? QString()
                   : QStringLiteral("version %1").arg(run.result.value("version").toString());
    if (run.kind == "dump")
        return cellsOfDataFile(dumpFile) == eeprom
                   ? QString()
                   : QStringLiteral("the dump differs from the module");
    return QStringLiteral("unknown run");
}

Run randomRun(QRandomGenerator& random, const QString& device, const QString& dumpFile)
{
    const quint32 pick = random.bounded(1000u);
    const QString address = QString::number(random.bounded(256u));
    if (pick < 350)
        return execute(device, "read", {"eeprom", "read", address});
    if (pick < 650)
        return execute(device, "write",
                       {"eeprom", "write", address, QString::number(random.bounded(256u))});
    if (pick < 740)
        return execute(device, "temperature", {"temperature"});
    if (pick < 830)
        return execute(device, "read x", {"read", "x"});
    if (pick < 920)
        return execute(device, "read y", {"read", "y"});
    if (pick < 995)
        return execute(device, "version", {"version"});
    QFile::remove(dumpFile);
    return execute(device, "dump", {"eeprom", "dump", dumpFile});
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("TMPDIR") && QFileInfo(QStringLiteral("/dev/shm")).isDir())
        qputenv("TMPDIR", "/dev/shm");
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int runs = arguments.size() > 1 ? arguments.at(1).toInt() : 2000;
    const quint32 seed = arguments.size() > 2 ? arguments.at(2).toUInt() : 1;
    QTemporaryDir dir;
    qputenv("TK28950_REGISTRY", dir.filePath("registry.ini").toLocal8Bit());
    const QString dumpFile = dir.filePath("dump.txt");

    Simulator simulator;
    if (!simulator.start(kFaults + QStringList{"--seed", QString::number(seed)})) {
        std::fprintf(stderr, "line_soak: %s\n", qUtf8Printable(simulator.error()));
        return 1;
    }
    std::printf("%d tk28950 runs against tk28950-sim %s --seed %u\n", runs,
                qUtf8Printable(kFaults.join(' ')), seed);
    QRandomGenerator random(seed);
    QMap<QString, Tally> tallies;
    Tally all;
    Run slowest;
    QElapsedTimer clock;
    clock.start();
    for (int index = 0; index < runs; ++index) {
        const Run run = randomRun(random, simulator.device(), dumpFile);
        Tally& tally = tallies[run.kind];
        ++tally.runs;
        ++all.runs;
        if (run.seconds > slowest.seconds)
            slowest = run;
        if (run.exitCode != 0) {
            ++tally.failedHonestly;
            ++all.failedHonestly;
            std::printf("  failed (exit %d): tk28950 %s: %s\n", run.exitCode,
                        qUtf8Printable(run.arguments.join(' ')),
                        qUtf8Printable(run.result.value("error").toString()));
            continue;
        }
        ++tally.succeeded;
        ++all.succeeded;
        const QString wrong = wrongness(run, simulator.eeprom(), dumpFile);
        if (!wrong.isEmpty()) {
            ++tally.wrong;
            ++all.wrong;
            std::printf("  WRONG, reported as success: tk28950 %s: %s\n",
                        qUtf8Printable(run.arguments.join(' ')), qUtf8Printable(wrong));
        }
    }
    std::printf("%-12s %6s %9s %15s %21s\n", "operation", "runs", "succeeded", "failed honestly",
                "wrong values as success");
    tallies.insert(QStringLiteral("all"), all);
    for (auto tally = tallies.cbegin(); tally != tallies.cend(); ++tally)
        std::printf("%-12s %6d %9d %15d %21d\n", qUtf8Printable(tally.key()), tally->runs,
                    tally->succeeded, tally->failedHonestly, tally->wrong);
    std::printf("slowest run: %.3f s, tk28950 %s (exit %d)\n", slowest.seconds,
                qUtf8Printable(slowest.arguments.join(' ')), slowest.exitCode);
    std::printf("all runs: %.1f s\n", clock.nsecsElapsed() / 1e9);
    return all.wrong == 0 ? 0 : 1;
}
