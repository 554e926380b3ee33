#include "SampleStore.h"

#include <algorithm>
#include <cmath>

namespace {

QPointF point(const Sample& sample, Axis axis, double reference)
{
    return {sample.timeMs / 1000.0, sample.value(axis) - reference};
}

} // namespace

void SampleStore::add(const Sample& sample)
{
    m_samples.push_back(sample);
    while (m_samples.front().timeMs < sample.timeMs - kKeptMs)
        m_samples.pop_front();
}

void SampleStore::clear()
{
    m_samples.clear();
}

std::deque<Sample>::const_iterator SampleStore::windowStart(qint64 windowMs) const
{
    if (m_samples.empty())
        return m_samples.end();
    const qint64 from = m_samples.back().timeMs - windowMs;
    return std::lower_bound(m_samples.begin(), m_samples.end(), from,
                            [](const Sample& sample, qint64 time) { return sample.timeMs < time; });
}

// Two passes: the mean first, then the deviations from it, which keeps the
// variance exact for readings far from zero with little spread.
AxisStatistics SampleStore::statistics(Axis axis, qint64 windowMs) const
{
    AxisStatistics result;
    const auto begin = windowStart(windowMs);
    const auto end = m_samples.end();
    result.count = std::distance(begin, end);
    if (result.count == 0)
        return result;
    double sum = 0;
    result.minimum = result.maximum = begin->value(axis);
    for (auto sample = begin; sample != end; ++sample) {
        const double value = sample->value(axis);
        sum += value;
        result.minimum = std::min(result.minimum, value);
        result.maximum = std::max(result.maximum, value);
    }
    result.mean = sum / double(result.count);
    double squares = 0;
    for (auto sample = begin; sample != end; ++sample)
        squares += std::pow(sample->value(axis) - result.mean, 2);
    result.standardDeviation = result.count > 1 ? std::sqrt(squares / double(result.count - 1)) : 0;
    return result;
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
    // stretch takes at least the sample it starts with.
    const qint64 stretches = std::max<qsizetype>(1, maxPoints / 2);
    const qint64 first = sample->timeMs;
    const qint64 spanMs = m_samples.back().timeMs - first + 1;
    const auto stretchOf = [&](const Sample& s) { return (s.timeMs - first) * stretches / spanMs; };
    points.reserve(2 * stretches);
    while (sample != end) {
        const qint64 stretch = stretchOf(*sample);
        auto low = sample;
        auto high = sample;
        for (++sample; sample != end && stretchOf(*sample) == stretch; ++sample) {
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
