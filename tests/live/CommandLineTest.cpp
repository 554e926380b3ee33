// tk28950-live as a rig runs it: bad options refused with a clear reason,
// and a headless run that records, saves the picture and ends by itself.
#include "ReadingFile.h"
#include "Simulator.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString output;
    QString errors;
};

ProgramRun runLive(const QStringList& arguments)
{
    QProcess process;
    process.start(QDir(QCoreApplication::applicationDirPath()).filePath("tk28950-live"), arguments);
    if (!process.waitForFinished(60000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(LiveCommandLine, BadOptionsAreRefusedWithTheirReasonAndCodeTwo)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("not-a-device");
    ASSERT_TRUE(writeFileBytes(file, "text"));
    const struct {
        QStringList arguments;
        const char* reason;
    } cases[] = {
        {{"--device", file}, "is not a serial device"},
        {{"--device", dir.path()}, "is not a serial device"},
        {{"--device", dir.filePath("ttyUSB9")}, "No such file or directory"},
        {{"--interval", "-5"}, "--interval: \"-5\" is not a whole number from 0"},
        {{"--interval", "fast"}, "--interval"},
        {{"--window", "30"}, "--window: 30 is not 10, 60 or 600"},
        {{"--port", "16"}, "--port"},
        {{"--quit-after", "1"}, "needs the module"},
        {{"--quit-after", "-1", "--port", "1"}, "--quit-after"},
        {{"--temperature"}, "--temperature goes with --record"},
        {{"--device", "/dev/null", "--port", "1"}, "give one"},
        {{"--bogus"}, "bogus"},
    };
    for (const auto& bad : cases) {
        const ProgramRun run = runLive(bad.arguments);
        EXPECT_EQ(run.exitCode, 2) << qPrintable(bad.arguments.join(' '));
        EXPECT_TRUE(run.errors.startsWith("tk28950-live: ")) << qPrintable(run.errors);
        EXPECT_TRUE(run.errors.contains(bad.reason)) << qPrintable(run.errors);
    }
}

TEST(LiveCommandLine, HeadlessRunRecordsSavesThePictureAndEnds)
{
    Simulator module;
    ASSERT_TRUE(module.start({"--tilt", "sine:amplitude=5,period=10", "--tilt-noise", "0.01"}));
    QTemporaryDir dir;
    const QString csv = dir.filePath("run.csv");
    const QString png = dir.filePath("run.png");
    const ProgramRun run = runLive(
        {"--device", module.device(), "--record", csv, "--snapshot", png, "--quit-after", "1"});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    const RecordedFile file = readRecording(csv);
    EXPECT_EQ(file.header, "time_ms,x,y");
    ASSERT_FALSE(file.rows.isEmpty());
    const QStringList answers = readingAnswers(module.sent());
    for (qsizetype index = 0; index < file.rows.size(); ++index)
        ASSERT_EQ(file.rows[index].x, answers[2 * index]) << "row " << index;
    EXPECT_TRUE(run.output.contains(
        QStringLiteral("%1 rows recorded to %2").arg(file.rows.size()).arg(csv)))
        << qPrintable(run.output);
    EXPECT_FALSE(QImage(png).isNull());
}

TEST(LiveCommandLine, HeadlessRunWithoutAModuleEndsWithTheReason)
{
    Simulator module;
    ASSERT_TRUE(module.start({"--silent"}));
    QTemporaryDir dir;
    const ProgramRun run = runLive(
        {"--device", module.device(), "--record", dir.filePath("run.csv"), "--quit-after", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(
        QStringLiteral("tk28950-live: no module answers on %1: no answer").arg(module.device())))
        << qPrintable(run.errors);
}

} // namespace
