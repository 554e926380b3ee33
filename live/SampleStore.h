#pragma once
// The readings of the last ten minutes, the longest window the view shows:
// statistics over a window from every sample in it, and the points to draw,
// thinned out when there are more than a chart can show. The statistics of
// consecutive blocks of samples are kept as the samples come, so that those
// of a window take the same short time however many samples it holds.
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
    // The count, mean, sum of squared deviations from the mean and extremes
    // of a run of values. Values are taken one by one and runs combine
    // without their values, both in the numerically stable way: a small
    // spread far from zero keeps its digits.
    struct Summary {
        qsizetype count = 0;
        double mean = 0;
        double squares = 0;
        double minimum = 0;
        double maximum = 0;
        void add(double value);
        void add(const Summary& run);
        AxisStatistics statistics() const;
    };
    struct Block {
        Summary x;
        Summary y;
        const Summary& of(Axis axis) const { return axis == Axis::X ? x : y; }
    };
    static constexpr qint64 kBlockSamples = 256;

    std::deque<Sample>::const_iterator windowStart(qint64 windowMs) const;

    std::deque<Sample> m_samples;
    // Block n holds the samples numbered n * kBlockSamples onwards, counted
    // from the first sample added; the last block fills as samples come.
    std::deque<Block> m_blocks;
    qint64 m_samplesLetGo = 0; // the number of m_samples.front()
    qint64 m_firstBlock = 0;   // the number of m_blocks.front()
};
