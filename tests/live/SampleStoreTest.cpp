// The numbers behind the view: statistics over the window from every
// sample, and points to draw that keep every peak.
#include "SampleStore.h"

#include <gtest/gtest.h>
#include <numeric>

namespace {

SampleStore storeOf(const QList<double>& xs, qint64 stepMs = 10)
{
    SampleStore store;
    for (qsizetype index = 0; index < xs.size(); ++index)
        store.add({index * stepMs, xs[index], -xs[index]});
    return store;
}

TEST(SampleStore, StatisticsOfAKnownSequence)
{
    const SampleStore store = storeOf({2, 4, 4, 4, 5, 5, 7, 9});
    const AxisStatistics x = store.statistics(Axis::X, 10'000);
    EXPECT_EQ(x.count, 8);
    EXPECT_DOUBLE_EQ(x.mean, 5);
    EXPECT_DOUBLE_EQ(x.standardDeviation, std::sqrt(32.0 / 7)); // the sample deviation
    EXPECT_DOUBLE_EQ(x.minimum, 2);
    EXPECT_DOUBLE_EQ(x.maximum, 9);
    EXPECT_DOUBLE_EQ(x.peakToPeak(), 7);
    const AxisStatistics y = store.statistics(Axis::Y, 10'000);
    EXPECT_DOUBLE_EQ(y.mean, -5);
    EXPECT_DOUBLE_EQ(y.minimum, -9);
}

TEST(SampleStore, ASmallSpreadFarFromZeroIsExact)
{
    const SampleStore store = storeOf({89.999, 90.001, 89.999, 90.001});
    EXPECT_NEAR(store.statistics(Axis::X, 10'000).standardDeviation, 0.0011547, 1e-7);
}

TEST(SampleStore, TheWindowCountsBackFromTheNewestSample)
{
    const SampleStore store = storeOf({100, 1, 2, 3}, 1000); // at 0, 1, 2 and 3 s
    const AxisStatistics last = store.statistics(Axis::X, 2000);
    EXPECT_EQ(last.count, 3);
    EXPECT_DOUBLE_EQ(last.mean, 2);
    EXPECT_EQ(SampleStore().statistics(Axis::X, 2000).count, 0);
    EXPECT_EQ(storeOf({7}).statistics(Axis::X, 2000).standardDeviation, 0);
}

// The statistics of a window are put together from what is kept of runs of
// samples; whatever the window and however many old samples were let go,
// they must be those of the window's samples taken one by one.
void expectStatisticsOfEachSample(const SampleStore& store, const QList<Sample>& added,
                                  qint64 windowMs)
{
    const qint64 from = added.last().timeMs - windowMs;
    for (const Axis axis : {Axis::X, Axis::Y}) {
        QList<double> values;
        for (const Sample& sample : added)
            if (sample.timeMs >= from)
                values << sample.value(axis);
        const double mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
        double squares = 0;
        for (const double value : values)
            squares += (value - mean) * (value - mean);
        const AxisStatistics statistics = store.statistics(axis, windowMs);
        ASSERT_EQ(statistics.count, values.size());
        EXPECT_NEAR(statistics.mean, mean, 1e-12);
        EXPECT_NEAR(statistics.standardDeviation,
                    values.size() > 1 ? std::sqrt(squares / (values.size() - 1)) : 0, 1e-12);
        EXPECT_EQ(statistics.minimum, *std::min_element(values.begin(), values.end()));
        EXPECT_EQ(statistics.maximum, *std::max_element(values.begin(), values.end()));
    }
}

TEST(SampleStore, WindowStatisticsEqualThoseOfItsSamplesAfterOldOnesAreLetGo)
{
    SampleStore store;
    QList<Sample> added;
    for (qint64 index = 0; index < 3000; ++index) {
        const Sample sample{index * 250, 45 + std::sin(index * 0.37) + index % 11 * 1e-3,
                            -std::cos(index * 0.11)};
        store.add(sample);
        added << sample;
        // Now and then, and at every sample from shortly before the first
        // one is let go until after a whole run of them has gone.
        if (index % 41 != 0 && (index < 2390 || index > 2700))
            continue;
        for (const qint64 windowMs : {0LL, 1000LL, 64'000LL, 333'333LL, SampleStore::kKeptMs}) {
            SCOPED_TRACE(QStringLiteral("%1 samples, window %2 ms")
                             .arg(index + 1)
                             .arg(windowMs)
                             .toStdString());
            expectStatisticsOfEachSample(store, added, windowMs);
        }
    }
}

TEST(SampleStore, OnlyTheLongestWindowIsKept)
{
    SampleStore store;
    for (qint64 second = 0; second <= 1200; ++second)
        store.add({second * 1000, double(second), 0});
    EXPECT_EQ(store.size(), 601);
    EXPECT_EQ(store.statistics(Axis::X, SampleStore::kKeptMs).minimum, 600);
}

TEST(SampleStore, PointsAreThinnedOutKeepingEveryPeak)
{
    QList<double> xs(10'000, 0.0);
    xs[1234] = 8;
    xs[8765] = -3;
    const SampleStore store = storeOf(xs);
    const QList<QPointF> points = store.points(Axis::X, 1'000'000, 100, 0);
    EXPECT_LE(points.size(), 100);
    double lowest = 0;
    double highest = 0;
    for (qsizetype index = 0; index < points.size(); ++index) {
        lowest = std::min(lowest, points[index].y());
        highest = std::max(highest, points[index].y());
        if (index > 0) {
            EXPECT_LT(points[index - 1].x(), points[index].x()) << "in time order";
        }
    }
    EXPECT_EQ(highest, 8);
    EXPECT_EQ(lowest, -3);
}

// Every span from 801 to 2400 ms with a sample each millisecond: among them
// are spans whose stretch boundaries fall exactly on a sample. Each stretch
// gives at most two points.
TEST(SampleStore, ThinningEndsWithinThePointsAskedForWhateverTheSpan)
{
    SampleStore store;
    for (qint64 timeMs = 0; timeMs < 2400; ++timeMs) {
        store.add({timeMs, double(timeMs % 7), 0});
        if (timeMs < 800)
            continue;
        const QList<QPointF> points = store.points(Axis::X, 600'000, 800, 0);
        ASSERT_LE(points.size(), 800) << "span " << timeMs + 1 << " ms";
        ASSERT_EQ(points.first().x(), 0);
    }
}

TEST(SampleStore, FewPointsAreDrawnAsTheyAreRelativeToTheReference)
{
    const SampleStore store = storeOf({1.5, 2.5});
    const QList<QPointF> points = store.points(Axis::X, 10'000, 100, 1.0);
    ASSERT_EQ(points.size(), 2);
    EXPECT_EQ(points[0], QPointF(0.0, 0.5));
    EXPECT_EQ(points[1], QPointF(0.01, 1.5));
}

TEST(SampleStore, RateIsSamplesPerSecondOverTheSpan)
{
    EXPECT_DOUBLE_EQ(storeOf(QList<double>(201, 1.0), 5).rate(2000), 200);
    EXPECT_EQ(storeOf({1}).rate(2000), 0);
}

} // namespace
