// One fault of a poor line or a busy module at a time, run through every
// host against a simulated module of its own: the tool, a program on the
// SDK's session, the Python module. For each fault every host must end the
// same way, and no host may report a value the module does not hold as
// success. A host is one row of kHosts; a fault one row of kFaults.
#include "ControlError.h"
#include "ControlSession.h"
#include "Simulator.h"
#include "TK28950Dispids.h"
#include "ToolProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

enum class Ending { Exact, Failed, Wrong };

const char* nameOf(Ending ending)
{
    switch (ending) {
    case Ending::Exact:
        return "exact";
    case Ending::Failed:
        return "failed";
    case Ending::Wrong:
        return "WRONG VALUE AS SUCCESS";
    }
    return "";
}

enum class Operation { Dump, ReadSerialNumber };

// What a host reported: nothing when it failed (with its words), else the
// 256 cells of a dump or the one value read.
struct Report {
    bool ok = false;
    QVector<int> values;
    QString error;
};

QString binary(const char* name)
{
    return QStringLiteral(TK28950_BUILD_DIR "/bin/") + QLatin1String(name);
}

QByteArray pattern()
{
    QByteArray cells(256, 0);
    for (int address = 0; address < 256; ++address)
        cells[address] = static_cast<char>((address * 37 + 11) % 256);
    return cells;
}

// The truth: what the module holds.
QVector<int> truth(Operation operation, const QByteArray& eeprom)
{
    if (operation == Operation::ReadSerialNumber)
        return {static_cast<qint16>(quint8(eeprom[189]) | quint8(eeprom[190]) << 8)};
    QVector<int> cells;
    for (char cell : eeprom)
        cells << quint8(cell);
    return cells;
}

QVector<int> cellsOfDataFile(const QString& path)
{
    QFile file(path);
    QVector<int> cells;
    if (!file.open(QIODevice::ReadOnly))
        return cells;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype index = 1; index < lines.size(); ++index)
        if (const QList<QByteArray> fields = lines[index].trimmed().split('\t'); fields.size() == 2)
            cells << fields[1].toInt();
    return cells;
}

Report viaTool(const QString& device, Operation operation, const QTemporaryDir& dir)
{
    const QString file = dir.filePath(QStringLiteral("tool-dump.txt"));
    QFile::remove(file);
    const QStringList arguments = operation == Operation::Dump ? QStringList{"eeprom", "dump", file}
                                                               : QStringList{"get", "SN"};
    const ToolResult result =
        ToolProcess().run(QStringList{"--json", "--device", device} + arguments, 120000);
    Report report;
    report.ok = result.exitCode == 0;
    report.error = QString::fromUtf8(result.err);
    if (report.ok)
        report.values = operation == Operation::Dump
                            ? cellsOfDataFile(file)
                            : QVector<int>{result.json().value("value").toInt()};
    return report;
}

Report viaSession(const QString& device, Operation operation, const QTemporaryDir&)
{
    Report report;
    try {
        ControlSession session;
        session.open(device);
        if (operation == Operation::Dump) {
            report.values = session.dump();
        } else {
            std::int16_t serial = 0;
            session.invoke(component::InvokeKind::PropertyGet, tk28950::dispid::SN, {}, "SN")
                .toShort(&serial);
            report.values = {serial};
        }
        report.ok = true;
    } catch (const ControlError& error) {
        report.error = error.message();
    }
    return report;
}

#ifndef TK28950_NO_PYTHON_HOST
Report viaPython(const QString& device, Operation operation, const QTemporaryDir&)
{
    static const char* script = R"(
import json, sys, tk28950
try:
    with tk28950.Control() as control:
        control.init(sys.argv[2])
        values = control.dump_eeprom() if sys.argv[1] == "dump" else [control.SN]
    print(json.dumps({"ok": True, "values": values}))
except tk28950.Error as error:
    print(json.dumps({"ok": False, "error": str(error)}))
)";
    QProcess python;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PYTHONPATH", QStringLiteral(TK28950_BUILD_DIR "/python"));
    python.setProcessEnvironment(environment);
    python.start(QStringLiteral(TK28950_PYTHON),
                 {"-c", script, operation == Operation::Dump ? "dump" : "sn", device});
    Report report;
    if (!python.waitForFinished(120000)) {
        python.kill();
        report.error = QStringLiteral("python did not finish");
        return report;
    }
    const QJsonObject result = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    report.ok = result.value("ok").toBool();
    report.error =
        result.value("error").toString() + QString::fromUtf8(python.readAllStandardError());
    for (const QJsonValue& value : result.value("values").toArray())
        report.values << value.toInt();
    return report;
}
#endif

struct Host {
    const char* name;
    std::function<Report(const QString&, Operation, const QTemporaryDir&)> run;
};

// The setup program's transfer joins here as a row of its own.
const Host kHosts[] = {
    {"tool", viaTool},
    {"SDK session", viaSession},
#ifndef TK28950_NO_PYTHON_HOST
    {"Python", viaPython},
#endif
};

struct Fault {
    const char* name;
    QStringList simulatorArguments;
    Ending expected;
};

const Fault kFaults[] = {
    {"clean", {}, Ending::Exact},
    {"split answers", {"--split", "0.05"}, Ending::Exact},
    {"flipped bits", {"--flip", "0.03"}, Ending::Exact},
    {"stale answers", {"--stale", "0.03"}, Ending::Exact},
    {"dropped answers", {"--drop", "0.03"}, Ending::Exact},
    {"\"E\" answers", {"--error", "0.03"}, Ending::Exact},
    {"a stall of 2.9 s", {"--stall-ms", "2900", "--stall-after", "3"}, Ending::Exact},
    {"a silent module", {"--silent"}, Ending::Failed},
};

void PrintTo(const Fault& fault, std::ostream* out)
{
    *out << fault.name;
}

class HostOutcome : public ::testing::TestWithParam<Fault> {
protected:
    static void SetUpTestSuite()
    {
        // The hosts create the control through a registry of this test's own.
        s_config = new QTemporaryDir;
        qputenv("TK28950_REGISTRY", s_config->filePath("registry.ini").toLocal8Bit());
        ASSERT_EQ(QProcess::execute(binary("tk28950-regsvr"), {binary("libTK28950.so")}), 0);
    }
    static void TearDownTestSuite() { delete s_config; }

    Ending run(const Host& host, Operation operation, QString* detail)
    {
        Simulator simulator;
        EXPECT_TRUE(
            simulator.start(GetParam().simulatorArguments + QStringList{"--seed", "11"}, pattern()))
            << simulator.error().toStdString();
        const Report report = host.run(simulator.device(), operation, m_dir);
        *detail = report.error;
        if (!report.ok)
            return Ending::Failed;
        const QVector<int> expected = truth(operation, simulator.eeprom());
        return report.values == expected ? Ending::Exact : Ending::Wrong;
    }

    void expectTheSameEndingEverywhere(Operation operation)
    {
        for (const Host& host : kHosts) {
            QString detail;
            const Ending ending = run(host, operation, &detail);
            EXPECT_NE(ending, Ending::Wrong) << host.name;
            EXPECT_EQ(nameOf(ending), std::string(nameOf(GetParam().expected)))
                << GetParam().name << ", " << host.name << ": " << detail.toStdString();
        }
    }

    QTemporaryDir m_dir;
    static QTemporaryDir* s_config;
};

QTemporaryDir* HostOutcome::s_config = nullptr;

TEST_P(HostOutcome, DumpEndsTheSameInEveryHost)
{
    expectTheSameEndingEverywhere(Operation::Dump);
}

TEST_P(HostOutcome, PropertyReadEndsTheSameInEveryHost)
{
    expectTheSameEndingEverywhere(Operation::ReadSerialNumber);
}

INSTANTIATE_TEST_SUITE_P(Faults, HostOutcome, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& info) {
                             QString name = QString::fromLatin1(info.param.name);
                             name.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")));
                             return name.toStdString();
                         });

} // namespace
