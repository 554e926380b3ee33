// The line itself: device, link, hosts coming and going, trace and pacing.
#include "SimulatorFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

namespace {
using LineTest = SimulatorFixture;

QList<QByteArray> traceLines(const Simulator& simulator)
{
    QFile file(simulator.tracePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

// Processor time (user and system) that a process has used, in clock ticks.
long processorTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses: state is the
    // first, utime the 12th, stime the 13th.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLong() + fields.value(12).toLong();
}

TEST_F(LineTest, TraceHasOneLinePerChunkWithTimeDirectionAndEscapedBytes)
{
    ASSERT_TRUE(startWithHost());
    host->ask("i009");
    host->ask("\\\t");
    ASSERT_TRUE(simulator.waitForSent(5 + 3)); // the trace may lag the host by an instant
    const QList<QByteArray> lines = traceLines(simulator);
    ASSERT_GE(lines.size(), 4);
    const QRegularExpression format(R"(^\d+\.\d{6} [<>] \S.*$)");
    double previous = 0;
    for (const QByteArray& line : lines) {
        EXPECT_TRUE(format.match(QString::fromLatin1(line)).hasMatch()) << line.constData();
        const double seconds = line.left(line.indexOf(' ')).toDouble();
        EXPECT_GE(seconds, previous);
        previous = seconds;
    }
    EXPECT_TRUE(lines[0].endsWith(" < i009"));
    EXPECT_TRUE(lines[1].endsWith(" > 128\\r\\n"));
    EXPECT_TRUE(lines[2].endsWith(" < \\\\\\t"));
    EXPECT_TRUE(lines[3].endsWith(" > E\\r\\n"));
}

TEST_F(LineTest, TraceGivesBackEveryByteInBothDirections)
{
    ASSERT_TRUE(startWithHost());
    QByteArray everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte += static_cast<char>(byte);
    host->send(everyByte);
    ASSERT_TRUE(simulator.waitForReceived(256));
    EXPECT_EQ(simulator.received(), everyByte);
    QByteArray fromHost;
    for (const QByteArray& line : traceLines(simulator)) {
        if (line.contains(" < "))
            fromHost += line.mid(line.indexOf(" < ") + 3);
    }
    EXPECT_TRUE(fromHost.startsWith("\\x00\\x01"));
    EXPECT_TRUE(fromHost.contains("\\t\\n\\x0B\\x0C\\r"));
    EXPECT_TRUE(fromHost.contains(" !\"#") && fromHost.contains("[\\\\]"));
    EXPECT_TRUE(fromHost.contains("~\\x7F\\x80") && fromHost.endsWith("\\xFE\\xFF"));

    // The module answers in order, so the answer to a version request sent
    // after every byte is the last one; until it comes, answers may still be
    // on their way, however long a busy machine takes.
    const QByteArray version = "TK28950-V1.2.0.1\r\n";
    host->send("v");
    QByteArray answers;
    while (answers.count(version) < 2) { // "v" is among the 256 bytes too
        const QByteArray answer = host->readAnswer();
        ASSERT_FALSE(answer.isEmpty()) << "answers so far: " << answers.constData();
        answers += answer;
    }
    EXPECT_TRUE(answers.endsWith(version));
    // The trace records what was sent just after handing it to the line, so
    // the host may read an answer an instant before the trace holds it.
    ASSERT_TRUE(simulator.waitForSent(int(answers.size())));
    EXPECT_EQ(simulator.sent(), answers);

    simulator.clearTrace();
    EXPECT_TRUE(simulator.received().isEmpty());
    EXPECT_TRUE(simulator.sent().isEmpty());
    EXPECT_EQ(host->ask("v"), version);
    EXPECT_EQ(simulator.received(), "v");
    ASSERT_TRUE(simulator.waitForSent(int(version.size())));
    EXPECT_EQ(simulator.sent(), version);
}

TEST_F(LineTest, PacedLineTakesAtLeastTheWireTime)
{
    ASSERT_TRUE(startWithHost({"--pace", "38400"}));
    constexpr int Reads = 100;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Reads; ++i)
        ASSERT_EQ(host->ask("i009"), "128\r\n");
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    // Each read is 4 bytes out and 5 back, 10 bits a byte, one after another.
    const double wireSeconds = Reads * (4 + 5) * 10 / 38400.0;
    EXPECT_GE(seconds, wireSeconds);
    std::printf("100 paced reads at 38400 baud: %.3f s (wire time %.3f s)\n", seconds, wireSeconds);
}

TEST_F(LineTest, LinkLeadsToTheDeviceUntilTheSimulatorEnds)
{
    QTemporaryDir folder;
    const QString link = folder.filePath("tk28950");
    ASSERT_TRUE(startWithHost({"--link", link}));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), simulator.device());
    HostPort viaLink(link);
    EXPECT_EQ(viaLink.ask("e"), "235\r\n");
    viaLink.close();
    host.reset();
    simulator.stop();
    EXPECT_EQ(simulator.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(link) || QFileInfo(link).isSymLink());
}

TEST_F(LineTest, HostsCanOpenTheDeviceOneAfterAnother)
{
    ASSERT_TRUE(startWithHost());
    host.reset();
    for (int i = 0; i < 3; ++i) {
        HostPort next(simulator.device());
        ASSERT_TRUE(next.isOpen());
        EXPECT_EQ(next.ask("v"), "TK28950-V1.2.0.1\r\n") << "host " << i;
    }
}

TEST_F(LineTest, AnswersStillOnTheirWayWhenTheHostLeavesAreLost)
{
    ASSERT_TRUE(startWithHost({"--late-ms", "300"}));
    host->send("i009");
    ASSERT_TRUE(simulator.waitForReceived(4));
    host.reset(); // gives up before the answer comes
    HostPort next(simulator.device());
    next.send("v");
    EXPECT_EQ(next.readFor(800), "TK28950-V1.2.0.1\r\n");
}

// A module cannot know that its host left: with the option, what it was
// still working on reaches whoever opens the device next, and what the old
// host left unread waits there too.
TEST_F(LineTest, AnswersCanOutliveTheHostThatAskedForThem)
{
    ASSERT_TRUE(startWithHost({"--answers-outlive-host", "--late-ms", "300"}));
    host->send("i009");
    ASSERT_TRUE(simulator.waitForReceived(4));
    host.reset(); // gives up before the answer comes
    HostPort next(simulator.device());
    next.send("v");
    EXPECT_EQ(next.readAnswer(), "128\r\n") << "the answer on its way when the host reopened";
    EXPECT_EQ(next.readAnswer(), "TK28950-V1.2.0.1\r\n");
    next.send("e");
    ASSERT_TRUE(simulator.waitForSent(5 + 18 + 5));
    next.close(); // leaves the answer unread
    HostPort third(simulator.device());
    EXPECT_EQ(third.readAnswer(), "235\r\n");
}

// A slow answer holds back the ones after it: the module answers in order.
TEST_F(LineTest, SlowAnswersComeLateAndInOrder)
{
    ASSERT_TRUE(startWithHost({"--slow", "1", "--slow-ms", "400"}));
    QElapsedTimer clock;
    clock.start();
    host->send("i009v");
    EXPECT_EQ(host->readFor(200), "");
    EXPECT_EQ(host->readAnswer(), "128\r\n");
    EXPECT_GE(clock.elapsed(), 400);
    EXPECT_EQ(host->readAnswer(), "TK28950-V1.2.0.1\r\n");
    EXPECT_GE(clock.elapsed(), 800);
}

TEST_F(LineTest, UnreadAnswersAreDiscardedWhenTheHostCloses)
{
    ASSERT_TRUE(startWithHost());
    host->send("v");
    ASSERT_TRUE(simulator.waitForSent(18));
    host.reset();
    // The simulator discards them once it has seen the close; a host that
    // reopens within that instant may still find them.
    QThread::msleep(200);
    HostPort next(simulator.device());
    EXPECT_EQ(next.ask("e"), "235\r\n");
}

TEST_F(LineTest, IdleSimulatorUsesNoProcessorTime)
{
    ASSERT_TRUE(startWithHost({"--pace", "38400", "--late-ms", "50"}));
    host->ask("v");
    host.reset(); // the device now has no host: no hangup may wake the simulator
    const qint64 pid = simulator.processId();
    const long before = processorTicks(pid);
    QThread::msleep(1000);
    const long used = processorTicks(pid) - before;
    // A busy loop would use about 100 ticks in this second.
    EXPECT_LE(used, 20);
}

TEST_F(LineTest, ExitsByItselfAfterTheGivenTime)
{
    ASSERT_TRUE(simulator.start({"--exit-after-ms", "200"}));
    EXPECT_TRUE(simulator.waitForFinished());
    EXPECT_EQ(simulator.exitCode(), 0);
}
} // namespace
