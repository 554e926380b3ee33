// Every kind of failure: its exit status, a message that names what failed,
// and for bad input, not one byte sent to the module.
#include "CliFixture.h"
#include "Output.h"

#include <QFile>

#include <sys/stat.h>

namespace {

class Failures : public CliFixture {};

TEST_F(Failures, BadInputIsRefusedBeforeAnyTraffic)
{
    startSimulator();
    const QString coef = writeFile("bad.coef", QByteArray("1 2 3 ").repeated(10) + "abc" +
                                                   QByteArray(" 4").repeated(30));
    const QString shortCoef = writeFile("short.coef", "1 2 3");
    const QString hugeToken =
        writeFile("huge.coef", "1 4294967296" + QByteArray(" 2").repeated(54));
    const QString badData = writeFile("bad.txt", "Address\tValue\r\n0\t1\r\n1\tabc\r\n2\t3\r\n");
    const QString badAddress = writeFile("address.txt", "0 1\n256 1\n");
    const QString empty = writeFile("empty.txt", "Address\tValue\r\n");
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{"get", "NoSuchThing"}, "unknown property \"NoSuchThing\"; the control has: "},
        {{"set", "ZoomX", "abc"}, "ZoomX: \"abc\" is not a number from -32768 to 32767"},
        {{"set", "SN", "70000"}, "SN: \"70000\" is not a number"},
        {{"set", "PortError", "x"}, "PortError is read-only"},
        // Values the control would ignore, cut or change without a word.
        {{"set", "GainX", "300"}, "GainX: \"300\" is not a whole number from 0 to 255"},
        {{"set", "GainY", "-5"}, "GainY: \"-5\" is not a whole number from 0 to 255"},
        {{"set", "GainX", "abc"}, "GainX: \"abc\""},
        {{"set", "GainX", ""}, "GainX: \"\""},
        {{"set", "AmpY", "256"}, "AmpY: \"256\""},
        {{"set", "ZoomY", "3"}, "ZoomY: \"3\" is not a zoom factor: 1, 2, 4 or 8"},
        {{"set", "Signal1", "2"}, "Signal1: \"2\" is not 0 or 1"},
        {{"set", "TemperatureOffset", "nan"}, "TemperatureOffset: \"nan\" is not a number"},
        {{"set", "TemperatureOffset", "1e9"},
         "set: TemperatureOffset: \"1e9\" is not a number of degrees from -3276.8 to 3276.7\n"},
        {{"call", "NoSuchMethod"}, "unknown method \"NoSuchMethod\""},
        {{"call", "WriteEEPROM", "1"}, "WriteEEPROM takes 2 argument(s): Address Value, 1 given"},
        {{"call", "ReadEEPROM", "300"}, "ReadEEPROM Address: \"300\" is not a decimal number"},
        {{"call", "Sleep", "maybe"}, "Sleep vOn: \"maybe\" is not on or off"},
        {{"eeprom", "read", "256"}, "address: \"256\" is not a decimal number from 0 to 255"},
        {{"eeprom", "read", "-1"}, "address: \"-1\""},
        {{"eeprom", "write", "1", "x"}, "value: \"x\""},
        {{"read", "z"}, "axis: \"z\" is not x or y"},
        {{"raw", ""}, "raw needs a command text"},
        {{"coef", "load", "x", coef}, "value 31 \"abc\" is not a number from 0 to 255"},
        {{"coef", "load", "y", shortCoef}, "only 3 of 56 values"},
        {{"coef", "load", "x", hugeToken}, "value 2 \"4294967296\" is not a number from 0 to 255"},
        {{"eeprom", "restore", badData}, "line 3: \"1\\tabc\" is not an address and a value"},
        {{"eeprom", "restore", badAddress}, "line 2"},
        {{"eeprom", "diff", badData}, "line 3"},
        {{"eeprom", "restore", empty}, "holds no cells"},
        {{"monitor", "--count", "0"}, "--count: \"0\""},
    };
    for (const auto& test : cases) {
        const ToolResult result = run(test.arguments);
        EXPECT_EQ(result.exitCode, 2) << test.arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(test.message))
            << test.arguments.join(' ').toStdString() << ": " << result.err.toStdString();
    }
    expectNoTrafficSoFar();
}

// A value the module does not keep is a failure, never success: signal 3
// has no command of its own, so what reads back is the module's state.
TEST_F(Failures, ASetThatDoesNotReadBackFails)
{
    startSimulator({"--signal3", "0"});
    const ToolResult result = run({"set", "Signal3", "1"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "tk28950: set: Signal3: the module did not keep the value: \"1\" was "
                          "written, \"0\" reads back\n");
    EXPECT_EQ(run({"set", "Signal3", "0"}).exitCode, 0) << "what it holds is kept";
}

// A property read whose answer is lost is tried again after the line is
// back in step, and the value printed is the module's.
TEST_F(Failures, APropertyReadWithLostAnswersIsTriedAgain)
{
    startSimulator({"--drop", "0.25", "--seed", "7"});
    for (int run = 0; run < 3; ++run) {
        const ToolResult result = this->run({"--retries", "8", "get", "SN"});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, "1234\n");
    }
}

TEST_F(Failures, FilesThatCannotBeReadOrWritten)
{
    startSimulator();
    const ToolResult missing = run({"eeprom", "restore", path("missing.txt")});
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_TRUE(missing.err.contains("cannot read " + path("missing.txt").toUtf8()));
    EXPECT_EQ(run({"coef", "load", "x", path("missing.coef")}).exitCode, 4);
    const ToolResult folder = run({"eeprom", "dump", path("no/such/folder/dump.txt")});
    EXPECT_EQ(folder.exitCode, 4);
    EXPECT_TRUE(folder.err.contains("does not exist")) << folder.err.toStdString();
    expectNoTrafficSoFar();
}

TEST_F(Failures, FilesThatAreNoDataFilesAreRefusedAtOnce)
{
    startSimulator();
    const QString fifo = path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = writeFile("huge.txt", "0\t1\r\n");
    ASSERT_TRUE(QFile::resize(huge, 100 << 20));
    for (const QString& file : {QStringLiteral("/dev/zero"), fifo, huge, m_dir.path()}) {
        for (const QStringList& command :
             {QStringList{"eeprom", "restore", file}, QStringList{"eeprom", "diff", file},
              QStringList{"coef", "load", "x", file}}) {
            const ToolResult result = run(command);
            EXPECT_EQ(result.exitCode, 4) << command.join(' ').toStdString();
            EXPECT_TRUE(result.err.contains("cannot read " + file.toUtf8() + ": it is"))
                << result.err.toStdString();
        }
    }
    expectNoTrafficSoFar();
}

TEST_F(Failures, ABadLineIsQuotedShortWithItsEscapesShownEscaped)
{
    startSimulator();
    const QByteArray line = "\x1b]0;owned\x07\x1b[2J" + QByteArray(900000, 'x');
    const ToolResult result = run({"eeprom", "restore", writeFile("bad.txt", line + "\r\n")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_LT(result.err.size(), 300) << result.err.toStdString();
    EXPECT_EQ(result.err.count('\n'), 1);
    EXPECT_FALSE(result.err.contains('\x1b'));
    EXPECT_TRUE(result.err.contains(R"(line 1: "\x1b]0;owned\x07\x1b[2Jxxx)"))
        << result.err.toStdString();
    expectNoTrafficSoFar();
}

TEST_F(Failures, APortThatCannotBeOpenedSaysWhy)
{
    const ToolResult device = m_tool.run({"--device", "/nonexistent/ttyX", "version"});
    EXPECT_EQ(device.exitCode, 3);
    EXPECT_TRUE(device.err.contains("cannot open /nonexistent/ttyX: ")) << device.err.toStdString();
    EXPECT_TRUE(device.err.contains("/nonexistent/ttyX: no such device"))
        << device.err.toStdString();

    ToolProcess mapped = m_tool;
    mapped.setVariable("TK28950_PORT_9", path("not-a-device"));
    writeFile("not-a-device", "plain file");
    const ToolResult json = mapped.run({"--json", "--port", "9", "eeprom", "read", "1"});
    EXPECT_EQ(json.exitCode, 3);
    EXPECT_EQ(json.json().value("ok"), false);
    EXPECT_EQ(json.json().value("command"), "eeprom read");
    EXPECT_TRUE(json.json().value("error").toString().startsWith("cannot open port 9: "))
        << json.out.toStdString();
}

// The line cannot even be brought in step: every command fails at once with
// the same clear error and nothing else is sent.
TEST_F(Failures, ASilentModuleIsAFailureBeforeAnyRequest)
{
    startSimulator({"--silent"});
    for (const QStringList& command : QList<QStringList>{
             {"eeprom", "read", "5"}, {"--timeout", "100", "version"}, {"get", "SN"}}) {
        const ToolResult result = run(command);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains("did not answer the version request \"v\""))
            << result.err.toStdString();
    }
    const QByteArray received = m_sim.received();
    EXPECT_FALSE(received.isEmpty());
    EXPECT_EQ(received, QByteArray("v").repeated(received.size()))
        << "nothing but version requests";
}

TEST_F(Failures, AMethodThatReportsAFailureFailsTheCall)
{
    startSimulator();
    const ToolResult result = run({"call", "LoadCoef", "x", path("missing.coef")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("LoadCoef: File not found")) << result.err.toStdString();
}

TEST_F(Failures, AFailedDumpLeavesThePreviousFile)
{
    startSimulator({"--silent"});
    const QString file = writeFile("kept.txt", "Address\tValue\r\n0\t1\r\n");
    const ToolResult result = run({"--timeout", "500", "eeprom", "dump", file});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("version request")) << result.err.toStdString();
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "Address\tValue\r\n0\t1\r\n");
    EXPECT_FALSE(QFile::exists(path("new.txt")));
    EXPECT_EQ(run({"--timeout", "500", "eeprom", "dump", path("new.txt")}).exitCode, 1);
    EXPECT_FALSE(QFile::exists(path("new.txt")));
}

TEST_F(Failures, AModuleThatRefusesEverythingGetsNoWrite)
{
    startSimulator({"--error", "1"});
    const QString file = writeFile("two.txt", "0\t1\n1\t2\n");
    const ToolResult result = run({"eeprom", "restore", file});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("version request")) << result.err.toStdString();
    EXPECT_FALSE(m_sim.received().contains("h")) << "nothing is written on a line out of step";
}

// The command's name comes first, once, whether the failure was found by the
// command or by the request it made.
TEST_F(Failures, EveryErrorIsPrintedOnceWithOnePrefix)
{
    startSimulator({"--error-repeat", "2"}); // the first answers to a command are "E"
    const QList<QPair<QStringList, QByteArray>> cases = {
        {{"version"}, "tk28950: version: the module refused the command (it answered \"E\")\n"},
        {{"temperature"},
         "tk28950: temperature: the module refused the command (it answered \"E\")\n"},
        {{"read", "y"}, "tk28950: read y: the module refused the command (it answered \"E\")\n"},
    };
    for (const auto& [arguments, message] : cases) {
        const ToolResult result = run(QStringList{"--retries", "0"} + arguments);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, message);
    }
    EXPECT_EQ(run({"raw", ""}).err, "tk28950: raw needs a command text that is not empty\n");

    EXPECT_EQ(Output::failureLine("eeprom read", "cell 9: no answer within 250 ms"),
              "tk28950: eeprom read: cell 9: no answer within 250 ms");
    EXPECT_EQ(Output::failureLine("set", "settings file unreadable"),
              "tk28950: set: settings file unreadable");
    EXPECT_EQ(Output::failureLine({}, "no command given"), "tk28950: no command given");
}

// A line that repeats answers or cuts them in two at the module's own
// pace: an extra line puts every later answer on the next request, an X
// reading in place of a Y one, until the line shows it. The monitor prints
// only rows the line proved in step and tells those it let go.
TEST_F(Failures, AMonitorOnALineThatRepeatsOrCutsAnswersPrintsOnlyTheModulesReadings)
{
    for (const char* fault : {"--stale", "--split"}) {
        SCOPED_TRACE(fault);
        startSimulator({"--pace", "38400", "--seed", "4", fault, "0.03"});
        const ToolResult result = run({"monitor", "--interval", "0", "--count", "150"});
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        const QStringList rows = result.outLines().mid(1);
        ASSERT_EQ(rows.size(), 150);
        for (const QString& row : rows)
            ASSERT_TRUE(row.endsWith(QLatin1String(",+01.250,-00.500"))) << qPrintable(row);
        EXPECT_TRUE(result.err.contains("rows let go: the line was out of step"))
            << result.err.constData();
        m_sim.stop();
    }
}

} // namespace
