// The live view's window on the offscreen platform against simulated
// modules: what it draws, counts and records is what the module answered.
#include "LiveWindow.h"
#include "ReadingFile.h"
#include "Simulator.h"
#include "TestFiles.h"

#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <numeric>

namespace {

constexpr int kWaitMs = 30000;

qint64 spanMs(const SampleStore& store)
{
    return store.isEmpty() ? 0 : store.latest().timeMs - store.oldest().timeMs;
}

class LiveView : public ::testing::Test {
protected:
    bool start(const QStringList& arguments)
    {
        if (module.start(arguments))
            return true;
        ADD_FAILURE() << qPrintable(module.error());
        return false;
    }

    std::unique_ptr<LiveWindow> open(const QString& device, int windowS = 10)
    {
        LiveOptions options;
        options.device = device;
        options.windowS = windowS;
        auto window = std::make_unique<LiveWindow>(options);
        window->show();
        return window;
    }

    // Stops reading and waits for the reading under way, so that the
    // simulator has sent no reading the view has not taken.
    static void pauseAndSettle(LiveWindow& window, const Simulator& module)
    {
        window.setPaused(true);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return readingAnswers(module.sent()).size() == 2 * window.samples().size(); },
            kWaitMs))
            << readingAnswers(module.sent()).size() << " answers, " << window.samples().size()
            << " samples; told: " << qPrintable(window.told().join('\n'));
        window.refresh();
    }

    static QList<double> plotted(LiveWindow& window, int series)
    {
        auto* view = window.findChild<QChartView*>(QStringLiteral("chart"));
        QList<double> values;
        const QList<QPointF> points =
            static_cast<QLineSeries*>(view->chart()->series().at(series))->points();
        for (const QPointF& point : points)
            values << point.y();
        return values;
    }

    static QString cell(LiveWindow& window, int row, int column)
    {
        return window.findChild<QTableWidget*>(QStringLiteral("statistics"))
            ->item(row, column)
            ->text();
    }

    static void click(LiveWindow& window, const char* button)
    {
        window.findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }

    // Reads at least 100 samples of a module that stands still (X 1.25,
    // Y -0.5) on a line with the given faults, recording them, and pauses:
    // every reading drawn and recorded must be the module's.
    std::unique_ptr<LiveWindow> readStillModule(const QStringList& faults)
    {
        if (!start(faults))
            return {};
        auto window = open(module.device());
        const QString csv = dir.filePath("readings.csv");
        EXPECT_EQ(window->startRecording(csv, false), QString());
        EXPECT_TRUE(window->connectModule()) << qPrintable(window->told().join('\n'));
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->samples().size() >= 100; }, kWaitMs));
        window->setPaused(true);
        window->refresh();
        const RecordedFile file = readRecording(csv);
        EXPECT_EQ(file.rows.size(), window->samples().size());
        for (const RecordedRow& row : file.rows) {
            EXPECT_EQ(row.x, "+01.250");
            EXPECT_EQ(row.y, "-00.500");
        }
        for (const double value : plotted(*window, 0))
            EXPECT_EQ(value, 1.25);
        for (const double value : plotted(*window, 1))
            EXPECT_EQ(value, -0.5);
        return window;
    }

    QTemporaryDir dir;
    Simulator module;
};

// A turn every 2 s on a line at the module's own speed: the window shows
// more than a second of it, fewer samples than are thinned out.
TEST_F(LiveView, DrawsAndRecordsExactlyTheReadingsOfTheTurningModule)
{
    ASSERT_TRUE(start({"--tilt", "sine:amplitude=5,period=2", "--angle-x", "0", "--angle-y", "0",
                       "--pace", "38400"}));
    auto window = open(module.device());
    const QString csv = dir.filePath("readings.csv");
    ASSERT_EQ(window->startRecording(csv, false), QString());
    ASSERT_TRUE(window->connectModule()) << qPrintable(window->told().join('\n'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return spanMs(window->samples()) >= 1200; }, kWaitMs));
    pauseAndSettle(*window, module);

    const RecordedFile file = readRecording(csv);
    EXPECT_EQ(file.header, "time_ms,x,y");
    ASSERT_EQ(file.rows.size(), window->samples().size());
    ASSERT_LT(file.rows.size(), LiveWindow::kMaxPlotPoints) << "every sample is drawn";
    const QStringList answers = readingAnswers(module.sent());
    QList<double> xs;
    QList<double> ys;
    for (qsizetype index = 0; index < file.rows.size(); ++index) {
        EXPECT_EQ(file.rows[index].x, answers[2 * index]);
        EXPECT_EQ(file.rows[index].y, answers[2 * index + 1]);
        xs << file.rows[index].x.toDouble();
        ys << file.rows[index].y.toDouble();
        if (index > 0) {
            EXPECT_GT(file.rows[index].timeMs, file.rows[index - 1].timeMs);
        }
    }
    EXPECT_EQ(plotted(*window, 0), xs);
    EXPECT_EQ(plotted(*window, 1), ys);
    // Over more than half a turn each axis swings by at least the amplitude.
    for (const QList<double>* axis : {&xs, &ys}) {
        const auto [low, high] = std::ranges::minmax(*axis);
        EXPECT_GE(low, -5.0);
        EXPECT_LE(high, 5.0);
        EXPECT_GE(high - low, 4.9);
    }
    const auto mean = std::accumulate(xs.begin(), xs.end(), 0.0) / double(xs.size());
    EXPECT_EQ(cell(*window, 0, 0), QString::number(mean, 'f', 4));
    EXPECT_EQ(cell(*window, 5, 0), QString::number(xs.size()));
    EXPECT_EQ(cell(*window, 5, 1), QString::number(ys.size()));
}

TEST_F(LiveView, ZeroShowsReadingsRelativeToTheirMeanAndBackToAbsolute)
{
    ASSERT_TRUE(start({"--angle-x", "1.25", "--angle-y", "-0.5"}));
    auto window = open(module.device());
    ASSERT_TRUE(window->connectModule());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->samples().size() >= 20; }, kWaitMs));
    pauseAndSettle(*window, module);

    click(*window, "zero");
    ASSERT_EQ(window->reference(), QPointF(1.25, -0.5));
    for (const double value : plotted(*window, 0) + plotted(*window, 1))
        EXPECT_EQ(value, 0);
    EXPECT_EQ(cell(*window, 0, 0), "0.0000");
    EXPECT_EQ(cell(*window, 3, 1), "0.0000");

    click(*window, "zero");
    EXPECT_FALSE(window->reference());
    EXPECT_EQ(plotted(*window, 0).first(), 1.25);
    EXPECT_EQ(plotted(*window, 1).first(), -0.5);
    EXPECT_EQ(cell(*window, 0, 0), "1.2500");
    EXPECT_EQ(cell(*window, 3, 1), "-0.5000");
}

// A module that now and then answers "E": the refused readings are asked
// again, never drawn or recorded, and the module does not count as lost.
TEST_F(LiveView, AnswersThatAreNotReadingsAreNeitherDrawnNorRecorded)
{
    const auto window = readStillModule({"--error", "0.1", "--seed", "5"});
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->told().join('\n').contains(QLatin1String("Lost the module")));
}

// At the module's own pace, an answer repeated late or one cut in two puts
// later answers on the next request; the view draws and records only the
// readings the line proved in step, and counts those it let go.
TEST_F(LiveView, AnswersOnTheWrongRequestAreNeitherDrawnNorRecorded)
{
    const auto window =
        readStillModule({"--stale", "0.02", "--split", "0.02", "--seed", "4", "--pace", "38400"});
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->findChild<QLabel*>(QStringLiteral("rate"))
                    ->text()
                    .contains(QLatin1String("answers not taken")));
}

TEST_F(LiveView, PauseStopsTheReadingsAndResumeGoesOn)
{
    ASSERT_TRUE(start({}));
    auto window = open(module.device());
    ASSERT_TRUE(window->connectModule());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->samples().size() >= 5; }, kWaitMs));
    click(*window, "pause");
    pauseAndSettle(*window, module);
    const qsizetype paused = window->samples().size();
    const qsizetype sent = module.sent().size();
    QTest::qWait(300);
    EXPECT_EQ(module.sent().size(), sent) << "nothing is asked while paused";
    click(*window, "pause");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->samples().size() > paused; }, kWaitMs));
}

TEST_F(LiveView, SavesThePictureAsPng)
{
    ASSERT_TRUE(start({"--tilt", "sine:amplitude=3,period=4"}));
    auto window = open(module.device());
    ASSERT_TRUE(window->connectModule());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->samples().size() >= 20; }, kWaitMs));
    const QString path = dir.filePath("view.png");
    ASSERT_EQ(window->saveSnapshot(path), QString());
    const QImage picture(path);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), window->size() * picture.devicePixelRatio());
    EXPECT_NE(window->saveSnapshot(dir.filePath("no-such-folder/view.png")), QString());
}

// The module's cable pulled mid-view: said once, the recording kept, and
// the module plugged in again on the same path is read on Connect.
TEST_F(LiveView, ALostDeviceIsToldOnceKeepsTheRecordingAndReconnects)
{
    const QString link = dir.filePath("module");
    ASSERT_TRUE(start({"--link", link}));
    auto window = open(link);
    QSignalSpy lost(window.get(), &LiveWindow::lostDevice);
    const QString csv = dir.filePath("readings.csv");
    ASSERT_EQ(window->startRecording(csv, true), QString());
    ASSERT_TRUE(window->connectModule());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->samples().size() >= 10; }, kWaitMs));

    module.stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost.size() == 1; }, kWaitMs));
    EXPECT_FALSE(window->isConnected());
    const qint64 kept = window->recorder().rows();
    EXPECT_GE(kept, 10);
    const RecordedFile file = readRecording(csv);
    EXPECT_EQ(file.header, "time_ms,x,y,temperature_c");
    ASSERT_EQ(file.rows.size(), kept);
    EXPECT_EQ(file.rows.first().temperature, "23.50");
    ASSERT_EQ(window->told().size(), 1);
    EXPECT_TRUE(window->told().first().contains("Lost the module"))
        << qPrintable(window->told().first());
    EXPECT_TRUE(window->told().first().contains(csv));

    Simulator again;
    ASSERT_TRUE(again.start({"--link", link}));
    click(*window, "connect");
    ASSERT_TRUE(window->isConnected()) << qPrintable(window->told().join('\n'));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->recorder().rows() >= kept + 10; }, kWaitMs));
    EXPECT_EQ(lost.size(), 1);
    EXPECT_EQ(window->told().size(), 1);
}

TEST_F(LiveView, ARefusedConnectionSaysWhyOnce)
{
    ASSERT_TRUE(start({"--silent"}));
    auto window = open(module.device());
    EXPECT_FALSE(window->connectModule());
    EXPECT_FALSE(window->isConnected());
    ASSERT_EQ(window->told().size(), 1);
    EXPECT_TRUE(window->told().first().contains("no answer")) << qPrintable(window->told().first());
}

} // namespace
