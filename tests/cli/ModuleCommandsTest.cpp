// The commands that reach the module one member of the control at a time,
// in text and in JSON, checked against what the simulator received and keeps.
#include "CliFixture.h"

#include "Registry.h"
#include "TK28950Dispids.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

namespace {

class ModuleCommands : public CliFixture {
protected:
    void SetUp() override { startSimulator(); }

    QJsonObject json(const QStringList& arguments)
    {
        const ToolResult result = run(QStringList{"--json"} + arguments);
        EXPECT_EQ(result.exitCode, 0)
            << arguments.join(' ').toStdString() << ": " << result.err.toStdString();
        const QJsonObject object = result.json();
        EXPECT_EQ(object.value("ok"), true) << result.out.toStdString();
        return object;
    }

    QByteArray text(const QStringList& arguments)
    {
        const ToolResult result = run(arguments);
        EXPECT_EQ(result.exitCode, 0)
            << arguments.join(' ').toStdString() << ": " << result.err.toStdString();
        return result.out;
    }

    quint8 cell(int address) const { return static_cast<quint8>(m_sim.eeprom().at(address)); }
};

TEST_F(ModuleCommands, AnswersOfTheModule)
{
    EXPECT_EQ(text({"version"}), "TK28950-V1.2.0.1\n");
    EXPECT_EQ(json({"version"}).value("version"), "TK28950-V1.2.0.1");
    EXPECT_TRUE(json({"reset"}).value("answer").toString().startsWith("TK28950"));
    EXPECT_EQ(text({"temperature"}), "23.50\n");
    EXPECT_EQ(
        json({"temperature", "--fahrenheit"}),
        (QJsonObject{{"command", "temperature"}, {"unit", "F"}, {"value", 74.3}, {"ok", true}}));
    EXPECT_EQ(json({"raw", "v"}).value("answer"), "TK28950-V1.2.0.1");
}

TEST_F(ModuleCommands, ReadingsOfBothAxes)
{
    EXPECT_EQ(json({"read", "x"}).value("value").toDouble(), 1.25);
    const QJsonObject y = json({"read", "Y"});
    EXPECT_EQ(y.value("axis"), "y");
    EXPECT_EQ(y.value("value").toDouble(), -0.5);
    // After the version request, the reading and the one that confirms it.
    EXPECT_TRUE(m_sim.received().endsWith("cvdd")) << m_sim.received().toStdString();
}

TEST_F(ModuleCommands, PropertiesByNameInAnyCase)
{
    EXPECT_EQ(text({"get", "SN"}), "1234\n");
    const QJsonObject serial = json({"get", "sn"});
    EXPECT_EQ(serial.value("name"), "SN");
    EXPECT_EQ(serial.value("value"), 1234);
    EXPECT_EQ(json({"get", "TemperatureOffset"}).value("value"), "-1.5");
    EXPECT_EQ(json({"get", "zoomx"}).value("value"), 4);
    EXPECT_EQ(json({"get", "ModuleName"}).value("value"), "TK28950");
    // A name only the control's dispatch table knows, for a published member.
    EXPECT_EQ(json({"get", "ScaleFactor"}).value("name"), "ScaleFactorX");
}

TEST_F(ModuleCommands, SetWritesTheModuleAndGetReadsItBack)
{
    EXPECT_EQ(text({"set", "SN", "4321"}), "");
    EXPECT_EQ(cell(189), 0xE1);
    EXPECT_EQ(cell(190), 0x10);
    EXPECT_EQ(json({"get", "SN"}).value("value"), 4321);

    EXPECT_EQ(json({"set", "GlobalXOff", "-2"}).value("value"), -2);
    EXPECT_EQ(cell(1), 254);
    EXPECT_EQ(cell(2), 255);

    json({"set", "ZoomX", "8"});
    EXPECT_EQ(cell(201), 0x13); // X code 3, Y code kept
}

TEST_F(ModuleCommands, CallsMethodsWithTheirArguments)
{
    const QJsonObject read = json({"call", "readeeprom", "9"});
    EXPECT_EQ(read.value("name"), "ReadEEPROM");
    EXPECT_EQ(read.value("event"), "DataReady");
    EXPECT_EQ(read.value("answer"), "128");
    EXPECT_EQ(read.value("arguments"), QJsonArray{"9"});

    EXPECT_EQ(text({"call", "RangeAvailable"}), "170,180\n");
    text({"call", "EnResetEE", "off"});
    EXPECT_EQ(cell(9), 0x90);
    text({"call", "TemperatureCoef", "y", "-0.25", "12", "0", "-1"});
    EXPECT_EQ(m_sim.eeprom().mid(133, 8), QByteArray::fromHex("00fc0c000000ffff"));
}

TEST_F(ModuleCommands, SingleCells)
{
    EXPECT_EQ(
        json({"eeprom", "read", "189"}),
        (QJsonObject{{"command", "eeprom read"}, {"address", 189}, {"value", 210}, {"ok", true}}));
    EXPECT_EQ(text({"eeprom", "write", "50", "77"}), "");
    EXPECT_EQ(cell(50), 77);
    EXPECT_EQ(json({"eeprom", "write", "51", "0"}).value("address"), 51);
    EXPECT_EQ(cell(51), 0);
    EXPECT_TRUE(m_sim.received().endsWith("i189vh050077vh051000"));
}

TEST_F(ModuleCommands, CoefficientLoadFillsBothRangesOfTheAxis)
{
    QByteArray values;
    for (int token = 0; token < 56; ++token)
        values += QByteArray::number(token) + (token % 8 == 7 ? "\r\n" : " ");
    const QString file = writeFile("x.coef", values);
    const QJsonObject load = json({"coef", "load", "X", file});
    EXPECT_EQ(load.value("axis"), "x");
    for (int k = 0; k < 28; ++k) {
        EXPECT_EQ(cell(13 + k), k);
        EXPECT_EQ(cell(69 + k), 28 + k);
    }
}

TEST_F(ModuleCommands, MonitorPrintsCsvSamples)
{
    const QStringList lines =
        QString::fromUtf8(text({"monitor", "--interval", "20", "--count", "3"}))
            .split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.first(), "time_ms,x,y");
    const QRegularExpression sample(QStringLiteral("^\\d+,[+-]\\d+\\.\\d+,[+-]\\d+\\.\\d+$"));
    qint64 previous = -1;
    for (const QString& line : lines.mid(1)) {
        EXPECT_TRUE(sample.match(line).hasMatch()) << line.toStdString();
        const qint64 time = line.section(',', 0, 0).toLongLong();
        EXPECT_GT(time, previous);
        previous = time;
    }
    const ToolResult json = run({"--json", "monitor", "--interval", "0", "--count", "2"});
    ASSERT_EQ(json.exitCode, 0);
    const auto samples = json.jsonLines();
    ASSERT_EQ(samples.size(), 2);
    EXPECT_EQ(samples.at(1).value("x").toDouble(), 1.25);
    EXPECT_EQ(samples.at(1).value("y").toDouble(), -0.5);
}

TEST_F(ModuleCommands, TraceShowsEveryByteWithItsTime)
{
    const ToolResult result = run({"--trace", "eeprom", "read", "9"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "128\n");
    const QString trace = QString::fromUtf8(result.err);
    EXPECT_TRUE(
        trace.contains(QRegularExpression(QStringLiteral("(^|\\n)\\d+\\.\\d{6} > i009\\n"))))
        << result.err.toStdString();
    QString received;
    for (const QString& line : trace.split('\n'))
        if (line.contains(" < "))
            received += line.section(" < ", 1);
    EXPECT_EQ(received, "TK28950-V1.2.0.1\\r\\n128\\r\\n128\\r\\n")
        << "the version that brings the line in step, the read and the read confirming it";
    EXPECT_TRUE(run({"eeprom", "read", "9"}).err.isEmpty()) << "no trace unless asked";
}

TEST_F(ModuleCommands, VerboseSaysWhereTheControlCameFrom)
{
    const ToolResult fallback = run({"--verbose", "version"});
    EXPECT_TRUE(fallback.err.contains("is not registered; using the library beside the tool"))
        << fallback.err.toStdString();
    EXPECT_TRUE(fallback.err.contains("libTK28950.so"));
    EXPECT_TRUE(fallback.err.contains("mapped to port 15"));

    component::ClassEntry entry;
    entry.clsid = QString::fromLatin1(tk28950::kControlClsid);
    entry.progId = QString::fromLatin1(tk28950::kProgId);
    entry.library = QFileInfo(ToolProcess::defaultProgram()).dir().filePath("libTK28950.so");
    entry.control = true;
    ASSERT_EQ(component::Registry(path("registry.ini")).registerClass(entry), component::kOk);
    const ToolResult registered = run({"--verbose", "version"});
    EXPECT_EQ(registered.exitCode, 0);
    EXPECT_TRUE(registered.err.contains("control created through the registry from " +
                                        entry.library.toUtf8()))
        << registered.err.toStdString();
}

} // namespace
