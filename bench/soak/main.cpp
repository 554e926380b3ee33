// Runs the tk28950 program again and again against a simulated module that
// loses, refuses, splits, flips, stalls and repeats answers, one fault
// profile after another, and checks every value a run reports as success
// against what the simulator holds: its EEPROM (kept in a file after every
// change) and its fixed temperature, readings and version. Then the Python
// module does the same with property reads and writes, cells, dumps,
// restores and readings. Prints, per profile, the number of wrong values
// reported as success (which must be 0), the honest failures, and the
// slowest run. It is not a test.
//
// line_soak [RUNS [PYTHON_OPERATIONS [SEED]]]   (2000, 1000, seed 1)
#include "Simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

namespace {

struct Profile {
    const char* name;
    QStringList faults;
};

const Profile kProfiles[] = {
    {"lost, refused, noisy", {"--drop", "0.03", "--error", "0.05", "--noise", "0.05"}},
    {"split and late", {"--split", "0.02", "--slow", "0.01", "--slow-ms", "400"}},
    {"flipped bits", {"--flip", "0.02"}},
    {"stalls of 2.9 s", {"--slow", "0.003", "--slow-ms", "2900"}},
    {"stale and lost", {"--stale", "0.02", "--drop", "0.01"}},
};
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

qint16 sixteenBits(const QByteArray& eeprom, int low)
{
    return static_cast<qint16>(quint8(eeprom.at(low)) | quint8(eeprom.at(low + 1)) << 8);
}

// A property as the module holds it, as the tool prints it in JSON.
QJsonValue property(const QString& name, const QByteArray& eeprom)
{
    if (name == "SN")
        return sixteenBits(eeprom, 189);
    if (name == "Threshold1")
        return sixteenBits(eeprom, 191);
    if (name == "ZoomY")
        return 1 << ((quint8(eeprom.at(201)) >> 4) & 3);
    return QString::number(quint8(eeprom.at(187))); // GainX
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
    if (run.kind == "get" || run.kind == "set") {
        const QString name = run.arguments.at(1);
        const QJsonValue holds = property(name, eeprom);
        const QJsonValue reported =
            run.kind == "get" ? value : QJsonValue(run.arguments.at(2).toInt());
        return reported == holds || (reported.isDouble() && holds.isDouble() &&
                                     reported.toInt() == holds.toInt())
                   ? QString()
                   : QStringLiteral("%1 %2 reported %3, holds %4")
                         .arg(run.kind, name,
                              QString::fromUtf8(QJsonDocument(QJsonArray{reported})
                                                    .toJson(QJsonDocument::Compact)),
                              QString::fromUtf8(
                                  QJsonDocument(QJsonArray{holds}).toJson(QJsonDocument::Compact)));
    }
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
    static const QStringList readable{"SN", "Threshold1", "ZoomY", "GainX"};
    if (pick < 250)
        return execute(device, "read", {"eeprom", "read", address});
    if (pick < 350)
        return execute(device, "get", {"get", readable.at(random.bounded(4))});
    if (pick < 420)
        return execute(device, "set",
                       {"set", "SN", QString::number(int(random.bounded(65536u)) - 32768)});
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

// The Python module's share: operations of every kind on one control, each
// checked by the script against the simulator's EEPROM file; prints a JSON
// tally and one line per wrong value.
const char* kPythonSoak = R"(
import json, random, sys, tk28950
device, eeprom_path, operations, seed = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
ANGLE_X, ANGLE_Y = float(sys.argv[5]), float(sys.argv[6])
rng = random.Random(seed)
def holds():
    return list(open(eeprom_path, "rb").read())
def sixteen(cells, low):
    value = cells[low] | cells[low + 1] << 8
    return value - 65536 if value > 32767 else value
tally = {"runs": 0, "succeeded": 0, "failed": 0, "wrong": 0}
wrongs = []
control = tk28950.Control()
control.init(device)
for index in range(operations):
    pick = rng.randrange(100)
    tally["runs"] += 1
    try:
        if pick < 30:
            address = rng.randrange(256)
            value = control.read_cell(address)
            bad = value != holds()[address] and f"cell {address} read {value}"
        elif pick < 50:
            address, value = rng.randrange(256), rng.randrange(256)
            control.write_cell(address, value)
            bad = holds()[address] != value and f"cell {address} wrote {value}"
        elif pick < 70:
            value = control.SN
            bad = value != sixteen(holds(), 189) and f"SN read {value}"
        elif pick < 85:
            value = rng.randrange(-32768, 32768)
            control.SN = value
            bad = sixteen(holds(), 189) != value and f"SN set {value}"
        elif pick < 90:
            cells = control.dump_eeprom()
            bad = cells != holds() and "a dump differs from the module"
        elif pick < 95:
            axis = rng.choice("xy")
            value = control.reading(axis)
            truth = ANGLE_X if axis == "x" else ANGLE_Y
            bad = abs(value - truth) > 5e-4 and f"reading {axis} {value}"
        else:
            cells = [rng.randrange(256) for _ in range(256)]
            control.restore_eeprom(cells)
            bad = holds() != cells and "a restore left other cells"
    except tk28950.Error:
        tally["failed"] += 1
        continue
    tally["succeeded"] += 1
    if bad:
        tally["wrong"] += 1
        wrongs.append(bad)
print(json.dumps({"tally": tally, "wrongs": wrongs}))
)";

void printTally(const QString& name, const Tally& tally)
{
    std::printf("  %-12s %6d %9d %15d %21d\n", qUtf8Printable(name), tally.runs, tally.succeeded,
                tally.failedHonestly, tally.wrong);
}

// One profile through the tool; the tally per kind of run.
QMap<QString, Tally> soakTool(const Simulator& simulator, int runs, quint32 seed,
                              const QString& dumpFile, Run* slowest)
{
    QRandomGenerator random(seed);
    QMap<QString, Tally> tallies;
    for (int index = 0; index < runs; ++index) {
        const Run run = randomRun(random, simulator.device(), dumpFile);
        Tally& tally = tallies[run.kind];
        ++tally.runs;
        if (run.seconds > slowest->seconds)
            *slowest = run;
        if (run.exitCode != 0) {
            ++tally.failedHonestly;
            continue;
        }
        ++tally.succeeded;
        const QString wrong = wrongness(run, simulator.eeprom(), dumpFile);
        if (!wrong.isEmpty()) {
            ++tally.wrong;
            std::printf("  WRONG, reported as success: tk28950 %s: %s\n",
                        qUtf8Printable(run.arguments.join(' ')), qUtf8Printable(wrong));
        }
    }
    return tallies;
}

Tally soakPython(const Simulator& simulator, int operations, quint32 seed)
{
    QProcess python;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        "PYTHONPATH",
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../python")));
    python.setProcessEnvironment(environment);
    python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    python.start(QStringLiteral("python3"),
                 {"-c", kPythonSoak, simulator.device(), simulator.eepromPath(),
                  QString::number(operations), QString::number(seed), QString::number(kAngleX),
                  QString::number(kAngleY)});
    Tally tally;
    if (!python.waitForFinished(-1) || python.exitCode() != 0) {
        std::printf("  the Python soak did not finish\n");
        return tally;
    }
    const QJsonObject result = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    const QJsonObject counts = result.value("tally").toObject();
    tally = {counts.value("runs").toInt(), counts.value("succeeded").toInt(),
             counts.value("failed").toInt(), counts.value("wrong").toInt()};
    for (const QJsonValue& wrong : result.value("wrongs").toArray())
        std::printf("  WRONG, reported as success: Python: %s\n", qUtf8Printable(wrong.toString()));
    return tally;
}

void add(Tally* total, const Tally& tally)
{
    total->runs += tally.runs;
    total->succeeded += tally.succeeded;
    total->failedHonestly += tally.failedHonestly;
    total->wrong += tally.wrong;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("TMPDIR") && QFileInfo(QStringLiteral("/dev/shm")).isDir())
        qputenv("TMPDIR", "/dev/shm");
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int runs = arguments.size() > 1 ? arguments.at(1).toInt() : 2000;
    const int operations = arguments.size() > 2 ? arguments.at(2).toInt() : 1000;
    const quint32 seed = arguments.size() > 3 ? arguments.at(3).toUInt() : 1;
    QTemporaryDir dir;
    qputenv("TK28950_REGISTRY", dir.filePath("registry.ini").toLocal8Bit());
    const QString bin = QCoreApplication::applicationDirPath();
    QProcess::execute(QDir(bin).filePath("tk28950-regsvr"), {QDir(bin).filePath("libTK28950.so")});
    const QString dumpFile = dir.filePath("dump.txt");
    const int profiles = static_cast<int>(std::size(kProfiles));

    Tally all;
    Tally allPython;
    Run slowest;
    QElapsedTimer clock;
    clock.start();
    for (const Profile& profile : kProfiles) {
        const quint32 profileSeed = seed + static_cast<quint32>(&profile - kProfiles);
        std::printf("%s: tk28950-sim %s --seed %u\n", profile.name,
                    qUtf8Printable(profile.faults.join(' ')), profileSeed);
        std::fflush(stdout);
        Simulator simulator;
        if (!simulator.start(profile.faults +
                             QStringList{"--seed", QString::number(profileSeed)})) {
            std::fprintf(stderr, "line_soak: %s\n", qUtf8Printable(simulator.error()));
            return 1;
        }
        QMap<QString, Tally> tallies =
            soakTool(simulator, runs / profiles, profileSeed, dumpFile, &slowest);
        Tally tool;
        for (const Tally& tally : tallies)
            add(&tool, tally);
        add(&all, tool);
        const Tally python = soakPython(simulator, operations / profiles, profileSeed);
        add(&allPython, python);
        std::printf("  %-12s %6s %9s %15s %21s\n", "operation", "runs", "succeeded",
                    "failed honestly", "wrong values as success");
        for (auto tally = tallies.cbegin(); tally != tallies.cend(); ++tally)
            printTally(tally.key(), *tally);
        printTally(QStringLiteral("tool, all"), tool);
        printTally(QStringLiteral("Python"), python);
        std::fflush(stdout);
    }
    std::printf("all profiles: tool %d runs, %d wrong values as success; Python %d operations, "
                "%d wrong values as success\n",
                all.runs, all.wrong, allPython.runs, allPython.wrong);
    std::printf("slowest tool run: %.3f s, tk28950 %s (exit %d)\n", slowest.seconds,
                qUtf8Printable(slowest.arguments.join(' ')), slowest.exitCode);
    std::printf("all runs: %.1f s\n", clock.nsecsElapsed() / 1e9);
    return all.wrong == 0 && allPython.wrong == 0 ? 0 : 1;
}
