#pragma once
// The readings of the last ten minutes, the longest window the view shows:
// statistics over a window from every sample in it, and the points to draw,
// thinned out when there are more than a chart can show.
#include <QList>
#include <QPointF>
#include <QtGlobal>

#include <deque>

enum class Axis { X, Y };

struct Sample {
    qint64 timeMs;
    double x;
    double y;
    double value(Axis axis) const { return axis == Axis::X ? x : y; }
};

struct AxisStatistics {
    qsizetype count = 0;
    double mean = 0;
    double standardDeviation = 0;
    double minimum = 0;
    double maximum = 0;
    double peakToPeak() const { return maximum - minimum; }
};

class SampleStore {
public:
    static constexpr qint64 kKeptMs = 600'000;

    // Samples come in time order; those older than kKeptMs before the
    // newest are let go.
    void add(const Sample& sample);
    void clear();
    bool isEmpty() const { return m_samples.empty(); }
    qsizetype size() const { return qsizetype(m_samples.size()); }
    const Sample& oldest() const { return m_samples.front(); }
    const Sample& latest() const { return m_samples.back(); }

    // Over the samples of the last windowMs before the newest.
    AxisStatistics statistics(Axis axis, qint64 windowMs) const;
    // Samples per second over the last overMs; 0 with fewer than two.
    double rate(qint64 overMs) const;
    // The samples of the last windowMs as (seconds, value - reference). With
    // more than maxPoints of them, each of maxPoints / 2 equal stretches of
    // time gives its lowest and highest value in their order, so that no
    // peak disappears from the picture.
    QList<QPointF> points(Axis axis, qint64 windowMs, qsizetype maxPoints, double reference) const;

private:
    std::deque<Sample>::const_iterator windowStart(qint64 windowMs) const;

    std::deque<Sample> m_samples;
};
