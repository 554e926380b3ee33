// The line kept in step: late answers, answers of the wrong shape, a device
// that goes away and an interrupted restore, each against a simulator that
// produces it.
#include "CliFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <csignal>

namespace {

class Line : public CliFixture {
protected:
    // Cell n holds n, so that a value read from the wrong cell shows.
    static QByteArray numberedCells()
    {
        QByteArray cells;
        for (int address = 0; address < 256; ++address)
            cells += static_cast<char>(address);
        return cells;
    }

    // The tool started on the simulator's device, not waited for.
    void startTool(QProcess& process, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TK28950_REGISTRY", path("registry.ini"));
        process.setProcessEnvironment(environment);
        process.start(ToolProcess::defaultProgram(),
                      QStringList{"--device", m_sim.device()} + arguments);
        ASSERT_TRUE(process.waitForStarted());
    }
};

// A program that gives up on its request leaves the answer on its way; the
// module, not knowing, sends it to whoever opens the line next.
TEST_F(Line, ALateAnswerLeftByOneProgramIsNotReadByTheNext)
{
    startSimulator({"--answers-outlive-host", "--delay", "150"}, numberedCells());
    const ToolResult first = run({"--timeout", "20", "--retries", "0", "eeprom", "read", "9"});
    EXPECT_EQ(first.exitCode, 1);
    for (const char* cell : {"10", "11"}) {
        const ToolResult next = run({"eeprom", "read", cell});
        EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
        EXPECT_EQ(next.out, QByteArray(cell) + "\n");
    }
}

// Answers that come after the tool's bound are let go by; the cells are read
// again after the line is back in step, and the dump holds every cell.
TEST_F(Line, AnswersAfterTheBoundAreNotTakenAndTheDumpStaysExact)
{
    startSimulator({"--slow", "0.04", "--slow-ms", "400", "--seed", "3"}, numberedCells());
    const ToolResult dump = run(
        {"--verbose", "--timeout", "250", "--retries", "5", "eeprom", "dump", path("dump.txt")});
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    EXPECT_TRUE(dump.err.contains("no answer within 250 ms; trying again"))
        << "the simulator was slow at least once: " << dump.err.toStdString();
    QFile file(path("dump.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), dataFile(numberedCells()));

    const ToolResult once =
        run({"--timeout", "250", "--retries", "0", "eeprom", "dump", path("once.txt")});
    EXPECT_EQ(once.exitCode, 1);
    EXPECT_TRUE(once.err.contains(": no answer within 250 ms")) << once.err.toStdString();
    EXPECT_TRUE(once.err.contains("eeprom dump: cell ")) << "names the cell";
    EXPECT_FALSE(QFile::exists(path("once.txt")));
}

// Every new command is answered "E" once, its repeat is carried out. The
// control sends a cell read again itself; an "E" where a reading, a version or
// a temperature belongs is reported as the module's refusal and never printed
// as a value (the tool's own retry, after the version request, is a new
// command and is refused again).
// With the learnt bound, an answer a little later than a fast line's bound
// (as a busy computer may handle one) is taken as lost; it then arrives
// while the line is brought in step and is let go by. It costs time, never
// a value, and the dump holds every cell.
TEST_F(Line, AnAnswerJustPastTheLearntBoundCostsTimeNotAValue)
{
    startSimulator({"--slow", "0.05", "--slow-ms", "35", "--seed", "3"}, numberedCells());
    const ToolResult dump =
        m_tool.run({"--device", m_sim.device(), "--verbose", "eeprom", "dump", path("dump.txt")});
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    EXPECT_TRUE(dump.err.contains("ms; trying again")) << dump.err.toStdString();
    QFile file(path("dump.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), dataFile(numberedCells()));
}

// Every answer comes four bounds late: each try and each version request
// is given up before its answer comes, and the answers then arrive while
// later ones wait. None of them is taken for a later request's.
TEST_F(Line, AModuleSlowerThanTheBoundIsNeverReadFromLateAnswers)
{
    startSimulator({"--late-ms", "400"}, numberedCells());
    for (const char* cell : {"9", "10"}) {
        const ToolResult read = run({"--timeout", "100", "eeprom", "read", cell});
        EXPECT_EQ(read.exitCode, 1) << read.out.toStdString();
        EXPECT_TRUE(read.out.isEmpty()) << read.out.toStdString();
    }
}

TEST_F(Line, AnErrorAnswerIsNeverPrintedAsAValue)
{
    startSimulator({"--error-repeat", "1"});
    const QList<QStringList> commands{{"temperature"}, {"read", "x"}, {"read", "y"}, {"version"}};
    for (const QStringList& command : commands) {
        const ToolResult result = run(QStringList{"--retries", "1"} + command);
        EXPECT_EQ(result.exitCode, 1) << command.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
        EXPECT_TRUE(result.err.contains("the module refused the command (it answered \"E\")"))
            << result.err.toStdString();
        EXPECT_TRUE(result.err.contains("(tried 2 times)")) << result.err.toStdString();
    }
    EXPECT_EQ(run({"--retries", "0", "eeprom", "read", "9"}).out, "128\n");
}

// No checksum shows a flipped digit ("-00.500" as "-00.700"): a reading is
// printed only once two readings agree. A module that moves never gives two
// equal readings; the failure says how to read it.
TEST_F(Line, AReadingIsPrintedOnlyWhenTwoReadingsAgree)
{
    startSimulator({"--flip", "0.3", "--seed", "7"});
    int printed = 0;
    for (int attempt = 0; attempt < 12; ++attempt) {
        const ToolResult result = run({"read", "y"});
        if (result.exitCode != 0)
            continue;
        EXPECT_EQ(result.out, "-00.500\n");
        ++printed;
    }
    EXPECT_GT(printed, 0);

    startSimulator({"--tilt-noise", "0.05"});
    const ToolResult moving = run({"read", "x"});
    EXPECT_EQ(moving.exitCode, 1);
    EXPECT_TRUE(moving.out.isEmpty());
    EXPECT_TRUE(moving.err.contains("repeated reads disagree")) << moving.err.toStdString();
    EXPECT_TRUE(moving.err.contains("--single-read")) << moving.err.toStdString();
    EXPECT_EQ(run({"--single-read", "read", "x"}).exitCode, 0);
}

TEST_F(Line, AModuleThatNeverGivesItsVersionStopsTheToolWithAClearError)
{
    startSimulator({"--error", "1"});
    const ToolResult result = run({"eeprom", "read", "9"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("did not answer the version request \"v\" with its version"))
        << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

TEST_F(Line, ADeviceThatGoesAwayIsNamedWithinASecond)
{
    startSimulator({"--delay", "20"});
    QProcess tool;
    startTool(tool, {"eeprom", "dump", path("dump.txt")});
    ASSERT_TRUE(m_sim.waitForReceived(40, 10000));
    QElapsedTimer clock;
    clock.start();
    m_sim.stop();
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(tool.exitCode(), 1);
    const QByteArray error = tool.readAllStandardError();
    EXPECT_TRUE(error.contains("device disconnected")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path("dump.txt")));
}

// Ctrl-C stops a restore between two cells and says what the module holds.
TEST_F(Line, AnInterruptedRestoreSaysHowManyCellsWereWritten)
{
    startSimulator({"--delay", "10"});
    const QString file = writeFile("cells.txt", dataFile(numberedCells()));
    QProcess tool;
    startTool(tool, {"--json", "eeprom", "restore", file});
    ASSERT_TRUE(m_sim.waitForReceived(200, 10000));
    ::kill(static_cast<pid_t>(tool.processId()), SIGINT);
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 130);
    const QByteArray error = tool.readAllStandardError();
    EXPECT_TRUE(error.contains("cells were written; the module is now partly written"))
        << error.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(tool.readAllStandardOutput()).object();
    EXPECT_FALSE(json.value("ok").toBool(true));
    const int written = json.value("written").toInt(-1);
    EXPECT_GT(written, 0);
    EXPECT_LT(written, 256);
    const QByteArray received = m_sim.received();
    EXPECT_TRUE(
        received.contains(QByteArray::number(written - 1).rightJustified(3, '0').prepend('h')));
    EXPECT_FALSE(received.contains(QByteArray::number(written).rightJustified(3, '0').prepend('h')))
        << "the cell after the last one written is not sent";
}

} // namespace
