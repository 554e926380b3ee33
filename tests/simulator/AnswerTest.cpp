// What the simulated module answers to each command.
#include "SimulatorFixture.h"

namespace {
using AnswerTest = SimulatorFixture;

TEST_F(AnswerTest, DefaultMeasurementsAndIdentity)
{
    ASSERT_TRUE(startWithHost());
    EXPECT_EQ(host->ask("e"), "235\r\n");
    EXPECT_EQ(host->ask("c"), "+01.250\r\n");
    EXPECT_EQ(host->ask("d"), "-00.500\r\n");
    EXPECT_EQ(host->ask("v"), "TK28950-V1.2.0.1\r\n");
    EXPECT_EQ(host->ask("a"), "Z\r\n");
    EXPECT_EQ(host->ask("p"), "OK\r\n");
}

TEST_F(AnswerTest, MeasurementsFollowTheOptions)
{
    ASSERT_TRUE(startWithHost(
        {"--temperature", "-52", "--angle-x", "12.5", "--angle-y", "-0.125", "--signal4", "1"}));
    EXPECT_EQ(host->ask("e"), "-52\r\n");
    EXPECT_EQ(host->ask("c"), "+12.500\r\n");
    EXPECT_EQ(host->ask("d"), "-00.125\r\n");
    EXPECT_EQ(host->ask("n"), "0,0,0,1\r\n");
}

TEST_F(AnswerTest, ResetAnswerIsTwoLinesThatAHostGathersIntoOne)
{
    ASSERT_TRUE(startWithHost());
    const QByteArray answer = host->ask("x");
    EXPECT_EQ(answer, "TK28950 V1.2\r READY\r\n");
    // Inside the answer every line end is a lone CR with a blank after it,
    // the byte a host drops after a lone line end.
    const QByteArray inside = answer.chopped(2);
    EXPECT_FALSE(inside.contains('\n'));
    for (qsizetype i = inside.indexOf('\r'); i >= 0; i = inside.indexOf('\r', i + 1))
        EXPECT_EQ(inside.mid(i + 1, 1), " ") << "after the CR at " << i;
    EXPECT_TRUE(host->readFor(200).isEmpty());
}

TEST_F(AnswerTest, TogglesInvertTheirFunctionAndResetTurnsThemOff)
{
    ASSERT_TRUE(startWithHost());
    EXPECT_EQ(host->ask("g"), "1\r\n");
    EXPECT_EQ(host->ask("g"), "0\r\n");
    EXPECT_EQ(host->ask("m"), "1\r\n");
    EXPECT_EQ(host->ask("b"), "1\r\n");
    host->ask("x");
    EXPECT_EQ(host->ask("m"), "1\r\n");
    EXPECT_EQ(host->ask("b"), "1\r\n");
}

TEST_F(AnswerTest, StuckTogglesNeverReachTheOtherState)
{
    ASSERT_TRUE(startWithHost({"--stuck-toggles"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(host->ask("g"), "0\r\n");
    EXPECT_EQ(host->ask("m"), "0\r\n");
}

TEST_F(AnswerTest, SignalsReportTheStateTheyWereSetTo)
{
    ASSERT_TRUE(startWithHost({"--signal3", "1"}));
    EXPECT_EQ(host->ask("n"), "0,0,1,0\r\n");
    EXPECT_EQ(host->ask("s"), "1\r\n");
    EXPECT_EQ(host->ask("t"), "1\r\n");
    EXPECT_EQ(host->ask("n"), "1,1,1,0\r\n");
    EXPECT_EQ(host->ask("r"), "0\r\n");
    EXPECT_EQ(host->ask("u"), "0\r\n");
    EXPECT_EQ(host->ask("n"), "0,0,1,0\r\n");
}

TEST_F(AnswerTest, EveryBadCommandGetsOneE)
{
    ASSERT_TRUE(startWithHost());
    const QByteArray badCommands[] = {"q",    "I",    "?",       "\\",      QByteArray(1, '\0'),
                                      "\xFF", "i256", "h256000", "h001256", "i9x9"};
    for (const QByteArray& bad : badCommands)
        EXPECT_EQ(host->ask(bad), "E\r\n") << qPrintable(bad.toHex());
    // "x9" above cut the read short and was then read as the next command
    // and its argument: a reset, then a bad "9".
    EXPECT_EQ(host->readFor(300), "TK28950 V1.2\r READY\r\nE\r\n");
}

TEST_F(AnswerTest, ACutShortDigitFieldLeavesTheNextCommandIntact)
{
    ASSERT_TRUE(startWithHost());
    EXPECT_EQ(host->ask("i12c"), "E\r\n");
    EXPECT_EQ(host->readAnswer(), "+01.250\r\n");
}

TEST_F(AnswerTest, LineEndsAndBlanksBetweenCommandsAndSplitWritesAreIgnored)
{
    ASSERT_TRUE(startWithHost());
    host->send("\r\n i0");
    EXPECT_TRUE(host->readFor(100).isEmpty());
    host->send("09 \r\n");
    EXPECT_EQ(host->readFor(300), "128\r\n");
}
} // namespace
