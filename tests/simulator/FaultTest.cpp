// The faults that the simulator injects on demand.
#include "SimulatorFixture.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <algorithm>

namespace {
using FaultTest = SimulatorFixture;

constexpr int UnusedCell = 150;

// The text of one answer line as a host's byte intake takes it in: only
// printable characters other than blank count, a lone line end drops the
// byte after it (a communication fault), and two line ends end the line.
struct HostView {
    QByteArray text;
    int loneLineEnds = 0;
};

HostView asAHostReadsIt(const QByteArray& answer)
{
    HostView view;
    bool lineEnd = false;
    for (char byte : answer) {
        const bool isLineEnd = byte == '\r' || byte == '\n';
        if (lineEnd) {
            lineEnd = false;
            if (isLineEnd)
                break;
            ++view.loneLineEnds;
        } else if (isLineEnd) {
            lineEnd = true;
        } else if (byte > ' ' && byte < 0x7F) {
            view.text += byte;
        }
    }
    return view;
}

// Reads cells 0..39 of a module whose cell i holds i, in one burst, and
// returns the values that were answered.
QList<int> answeredCells(Simulator& simulator, const QStringList& arguments)
{
    QByteArray cells(256, '\0');
    for (int i = 0; i < cells.size(); ++i)
        cells[i] = static_cast<char>(i);
    if (!simulator.start(arguments, cells))
        return {};
    HostPort host(simulator.device());
    QByteArray reads;
    for (int i = 0; i < 40; ++i)
        reads += QString::asprintf("i%03d", i).toLatin1();
    host.send(reads);
    QList<int> values;
    for (const QByteArray& line : host.readFor(500).split('\n')) {
        if (!line.isEmpty())
            values.append(line.trimmed().toInt());
    }
    return values;
}

TEST_F(FaultTest, ErrorRepeatRefusesEveryCommandThatManyTimes)
{
    ASSERT_TRUE(startWithHost({"--error-repeat", "2"}));
    EXPECT_EQ(host->ask("i009"), "E\r\n");
    EXPECT_EQ(host->ask("i009"), "E\r\n");
    EXPECT_EQ(host->ask("i009"), "128\r\n");
    EXPECT_EQ(host->ask("i009"), "E\r\n") << "a command carried out is refused afresh";
    // Another command starts its own count; the refused write changed nothing.
    EXPECT_EQ(host->ask("h150001"), "E\r\n");
    EXPECT_EQ(host->ask("i150"), "E\r\n");
    EXPECT_EQ(host->ask("i150"), "E\r\n");
    EXPECT_EQ(host->ask("i150"), "255\r\n");
}

TEST_F(FaultTest, ErrorAnswersLeaveTheModuleUnchanged)
{
    ASSERT_TRUE(startWithHost({"--error", "1"}));
    EXPECT_EQ(host->ask("h150001"), "E\r\n");
    EXPECT_EQ(host->ask("g"), "E\r\n");
    EXPECT_EQ(static_cast<quint8>(simulator.eeprom().at(UnusedCell)), 255);
}

TEST_F(FaultTest, SilentModuleAnswersNothingYetHearsEverything)
{
    ASSERT_TRUE(startWithHost({"--silent"}));
    host->send("vi009x");
    EXPECT_TRUE(host->readFor(400).isEmpty());
    EXPECT_TRUE(simulator.waitForReceived(6));
    EXPECT_EQ(simulator.received(), "vi009x");
    EXPECT_TRUE(simulator.sent().isEmpty());
}

TEST_F(FaultTest, DroppedAnswersStillCarryTheCommandOut)
{
    ASSERT_TRUE(startWithHost({"--drop", "1"}));
    host->send("h150001");
    EXPECT_TRUE(host->readFor(400).isEmpty());
    EXPECT_EQ(static_cast<quint8>(simulator.eeprom().at(UnusedCell)), 1);
}

TEST_F(FaultTest, ADroppedCellIsNeverAnsweredToAReadButCanBeWritten)
{
    ASSERT_TRUE(startWithHost({"--drop-cell", "150"}));
    for (int read = 0; read < 2; ++read) {
        host->send("i150");
        EXPECT_TRUE(host->readFor(400).isEmpty()) << "read " << read;
    }
    EXPECT_EQ(host->ask("h150001"), "0\r\n");
    EXPECT_EQ(static_cast<quint8>(simulator.eeprom().at(UnusedCell)), 1);
    EXPECT_EQ(host->ask("i009"), "128\r\n") << "only the reads of that very cell are lost";
}

TEST_F(FaultTest, DropsFollowTheSeed)
{
    const QList<int> first = answeredCells(simulator, {"--drop", "0.5", "--seed", "7"});
    const QList<int> again = answeredCells(simulator, {"--drop", "0.5", "--seed", "7"});
    const QList<int> other = answeredCells(simulator, {"--drop", "0.5", "--seed", "8"});
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    EXPECT_GT(first.size(), 5);
    EXPECT_LT(first.size(), 35);
    EXPECT_TRUE(std::is_sorted(first.begin(), first.end())) << "answers keep their order";
}

TEST_F(FaultTest, NoiseNeverChangesWhatAHostReads)
{
    Simulator clean;
    ASSERT_TRUE(clean.start());
    HostPort cleanHost(clean.device());
    ASSERT_TRUE(startWithHost({"--noise", "1", "--seed", "3"}));
    const QByteArray commands[] = {"e", "v", "c", "d", "x", "i189", "h150001", "n", "g", "p"};
    int loneLineEnds = 0;
    int strayBytes = 0;
    for (int round = 0; round < 3; ++round) {
        for (const QByteArray& command : commands) {
            const QByteArray expected = cleanHost.ask(command);
            const QByteArray noisy = host->ask(command);
            const HostView view = asAHostReadsIt(noisy);
            EXPECT_EQ(view.text, asAHostReadsIt(expected).text) << qPrintable(noisy.toHex(' '));
            EXPECT_NE(noisy, expected);
            EXPECT_TRUE(noisy.endsWith("\r\n"));
            loneLineEnds += view.loneLineEnds > asAHostReadsIt(expected).loneLineEnds;
            strayBytes += noisy.contains('\0') || noisy.contains('\xB0');
        }
    }
    EXPECT_GT(loneLineEnds, 0);
    EXPECT_GT(strayBytes, 0);
}

TEST_F(FaultTest, LateAnswersAreHeldBack)
{
    ASSERT_TRUE(startWithHost({"--late-ms", "300"}));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(host->ask("v"), "TK28950-V1.2.0.1\r\n");
    EXPECT_GE(clock.elapsed(), 300);
}

TEST_F(FaultTest, DelayedAnswersComeOneAfterAnother)
{
    ASSERT_TRUE(startWithHost({"--delay", "100"}));
    QElapsedTimer clock;
    clock.start();
    host->send("eee");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(host->readAnswer(), "235\r\n");
    EXPECT_GE(clock.elapsed(), 300);
}
} // namespace
