// The simulator's command line: help, and refusal of bad options.
#include "Simulator.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {
struct Outcome {
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

Outcome runSimulator(const QStringList& arguments)
{
    QProcess process;
    process.start(Simulator::executable(), arguments);
    process.waitForFinished(10000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

TEST(CommandLineTest, HelpExplainsEveryOption)
{
    const Outcome run = runSimulator({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option :
         {"--link",         "--eeprom",  "--eeprom-fill", "--exit-after-ms", "--temperature",
          "--angle-x",      "--angle-y", "--signal3",     "--signal4",       "--stuck-toggles",
          "--seed",         "--drop",    "--error",       "--noise",         "--delay",
          "--error-repeat", "--silent",  "--late-ms",     "--pace",          "--trace",
          "--drop-cell"})
        EXPECT_TRUE(run.output.contains(QByteArray(option) + ' ')) << option;
}

TEST(CommandLineTest, BadOptionsAndValuesEndWithCodeTwo)
{
    const QStringList badCommandLines[] = {
        {"--bogus"},         {"--drop", "2"},      {"--error", "nan"},       {"--noise", "-0.1"},
        {"--pace", "-1"},    {"--seed", "1.5"},    {"--eeprom-fill", "256"}, {"--drop-cell", "256"},
        {"--delay", "soon"}, {"--angle-x", "100"}, {"stray-argument"},       {"--trace"}};
    for (const QStringList& arguments : badCommandLines) {
        const Outcome run = runSimulator(arguments);
        EXPECT_EQ(run.exitCode, 2) << qPrintable(arguments.join(' '));
        EXPECT_TRUE(run.output.isEmpty()) << "no device for " << qPrintable(arguments.join(' '));
        EXPECT_TRUE(run.errors.startsWith("tk28950-sim: ")) << run.errors.constData();
    }
}
} // namespace
