#include "SampleStore.h"

#include <algorithm>
#include <cmath>

namespace {

QPointF point(const Sample& sample, Axis axis, double reference)
{
    return {sample.timeMs / 1000.0, sample.value(axis) - reference};
}

} // namespace

void SampleStore::Summary::add(double value)
{
    if (count == 0)
        minimum = maximum = value;
    ++count;
    const double fromOldMean = value - mean;
    mean += fromOldMean / double(count);
    squares += fromOldMean * (value - mean);
    minimum = std::min(minimum, value);
    maximum = std::max(maximum, value);
}

void SampleStore::Summary::add(const Summary& run)
{
    if (run.count == 0)
        return;
    if (count == 0) {
        *this = run;
        return;
    }
    const double both = double(count + run.count);
    const double between = run.mean - mean;
    mean += between * double(run.count) / both;
    squares += run.squares + between * between * double(count) * double(run.count) / both;
    count += run.count;
    minimum = std::min(minimum, run.minimum);
    maximum = std::max(maximum, run.maximum);
}

AxisStatistics SampleStore::Summary::statistics() const
{
    AxisStatistics result;
    result.count = count;
    if (count == 0)
        return result;
    result.mean = mean;
    result.standardDeviation = count > 1 ? std::sqrt(squares / double(count - 1)) : 0;
    result.minimum = minimum;
    result.maximum = maximum;
    return result;
}

void SampleStore::add(const Sample& sample)
{
    if ((m_samplesLetGo + size()) % kBlockSamples == 0)
        m_blocks.emplace_back();
    m_samples.push_back(sample);
    m_blocks.back().x.add(sample.x);
    m_blocks.back().y.add(sample.y);
    while (m_samples.front().timeMs < sample.timeMs - kKeptMs) {
        m_samples.pop_front();
        if (++m_samplesLetGo % kBlockSamples == 0) {
            m_blocks.pop_front();
            ++m_firstBlock;
        }
    }
}

std::deque<Sample>::const_iterator SampleStore::windowStart(qint64 windowMs) const
{
    if (m_samples.empty())
        return m_samples.end();
    const qint64 from = m_samples.back().timeMs - windowMs;
    return std::lower_bound(m_samples.begin(), m_samples.end(), from,
                            [](const Sample& sample, qint64 time) { return sample.timeMs < time; });
}

// The samples of the window up to the start of a block one by one, then
// the summaries of the blocks from there to the newest sample.
AxisStatistics SampleStore::statistics(Axis axis, qint64 windowMs) const
{
    Summary window;
    auto sample = windowStart(windowMs);
    const qint64 first = m_samplesLetGo + std::distance(m_samples.begin(), sample);
    const qint64 block = (first + kBlockSamples - 1) / kBlockSamples;
    for (qint64 number = first; number < block * kBlockSamples && sample != m_samples.end();
         ++number, ++sample)
        window.add(sample->value(axis));
    for (auto summary = m_blocks.begin() + std::min<qint64>(block - m_firstBlock, m_blocks.size());
         summary != m_blocks.end(); ++summary)
        window.add(summary->of(axis));
    return window.statistics();
}

double SampleStore::rate(qint64 overMs) const
{
    const auto begin = windowStart(overMs);
    const qsizetype count = std::distance(begin, m_samples.end());
    if (count < 2 || m_samples.back().timeMs == begin->timeMs)
        return 0;
    return double(count - 1) * 1000.0 / double(m_samples.back().timeMs - begin->timeMs);
}

QList<QPointF> SampleStore::points(Axis axis, qint64 windowMs, qsizetype maxPoints,
                                   double reference) const
{
    QList<QPointF> points;
    auto sample = windowStart(windowMs);
    const auto end = m_samples.end();
    const qsizetype count = std::distance(sample, end);
    if (count <= maxPoints) {
        points.reserve(count);
        for (; sample != end; ++sample)
            points << point(*sample, axis, reference);
        return points;
    }
    // Whole milliseconds decide the stretch of a sample, so that every
    // stretch takes at least the sample it starts with: a sample at t is in
    // stretch (t - first) * stretches / spanMs, so stretch n ends before
    // first + ceil((n + 1) * spanMs / stretches).
    const qint64 stretches = std::max<qsizetype>(1, maxPoints / 2);
    const qint64 first = sample->timeMs;
    const qint64 spanMs = m_samples.back().timeMs - first + 1;
    points.reserve(2 * stretches);
    while (sample != end) {
        const qint64 stretch = (sample->timeMs - first) * stretches / spanMs;
        const qint64 endMs = first + ((stretch + 1) * spanMs + stretches - 1) / stretches;
        auto low = sample;
        auto high = sample;
        for (++sample; sample != end && sample->timeMs < endMs; ++sample) {
            if (sample->value(axis) < low->value(axis))
                low = sample;
            if (sample->value(axis) > high->value(axis))
                high = sample;
        }
        const auto [earlier, later] =
            std::minmax(low, high, [](auto a, auto b) { return a->timeMs < b->timeMs; });
        points << point(*earlier, axis, reference);
        if (later != earlier)
            points << point(*later, axis, reference);
    }
    return points;
}
