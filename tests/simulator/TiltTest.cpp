// The simulated module in motion: readings that follow the tilt profile in
// the module's own answer format, and noise of the spread asked for.
#include "SimulatorFixture.h"

#include <QProcess>
#include <QRegularExpression>

#include <cmath>

namespace {
using TiltTest = SimulatorFixture;

const QRegularExpression kReadingFormat(QStringLiteral("^[+-]\\d{2}\\.\\d{3}\\r\\n$"));

double askReading(HostPort& host, const QByteArray& command)
{
    const QByteArray answer = host.ask(command);
    EXPECT_TRUE(kReadingFormat.match(QString::fromLatin1(answer)).hasMatch()) << answer.constData();
    return answer.trimmed().toDouble();
}

TEST_F(TiltTest, ReadingsTurnAroundTheCentreWithinTheAmplitude)
{
    // A fast turn, so that a swing from one side to the other shows within
    // a few turns however slowly the host reads.
    ASSERT_TRUE(startWithHost(
        {"--tilt", "sine:amplitude=5,period=0.5", "--angle-x", "10", "--angle-y", "-20"}));
    double lowest = 100;
    double highest = -100;
    for (int reading = 0; reading < 5000 && (highest - lowest < 9.5); ++reading) {
        const double x = askReading(*host, "c");
        const double y = askReading(*host, "d");
        ASSERT_LE(std::abs(x - 10), 5.0005);
        ASSERT_LE(std::abs(y + 20), 5.0005);
        lowest = std::min(lowest, x);
        highest = std::max(highest, x);
    }
    EXPECT_GE(highest - lowest, 9.5) << "X swings from one side of the circle to the other";
}

TEST_F(TiltTest, NoiseHasTheStandardDeviationAskedFor)
{
    ASSERT_TRUE(startWithHost({"--tilt-noise", "0.01"}));
    constexpr int kReadings = 400;
    double sum = 0;
    double squares = 0;
    for (int reading = 0; reading < kReadings; ++reading) {
        const double x = askReading(*host, "c");
        sum += x;
        squares += x * x;
    }
    const double mean = sum / kReadings;
    const double deviation = std::sqrt((squares - kReadings * mean * mean) / (kReadings - 1));
    EXPECT_NEAR(mean, 1.25, 0.003);
    // Readings carry three decimals: the rounding adds a little spread.
    EXPECT_GT(deviation, 0.008);
    EXPECT_LT(deviation, 0.012);
}

TEST_F(TiltTest, NoiseNeverLeavesTheAnswerFormat)
{
    ASSERT_TRUE(
        startWithHost({"--angle-x", "99.999", "--angle-y", "-99.999", "--tilt-noise", "1"}));
    for (int reading = 0; reading < 50; ++reading) {
        EXPECT_LE(askReading(*host, "c"), 99.999);
        EXPECT_GE(askReading(*host, "d"), -99.999);
    }
}

TEST(TiltCommandLine, BadProfilesEndWithCodeTwo)
{
    const QStringList badCommandLines[] = {{"--tilt", "wobble"},
                                           {"--tilt", "sine:amplitude=five"},
                                           {"--tilt", "sine:amplitude=-1"},
                                           {"--tilt", "sine:period=0"},
                                           {"--tilt", "sine:speed=2"},
                                           {"--tilt-noise", "-0.01"}};
    for (const QStringList& arguments : badCommandLines) {
        QProcess process;
        process.start(Simulator::executable(), arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 2) << qPrintable(arguments.join(' '));
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        EXPECT_TRUE(process.readAllStandardError().startsWith("tk28950-sim: bad value"))
            << qPrintable(arguments.join(' '));
    }
}

} // namespace
