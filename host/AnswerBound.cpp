#include "AnswerBound.h"

#include <algorithm>
#include <cmath>

namespace {
// The usual gains: the smoothed round trip moves an eighth of the way to a
// new measurement, the variation a quarter.
constexpr double kSmoothingGain = 1.0 / 8;
constexpr double kVariationGain = 1.0 / 4;
constexpr int kVariations = 4;
} // namespace

void AnswerBound::measured(qint64 roundTripUs)
{
    const double sample = static_cast<double>(std::max<qint64>(roundTripUs, 0));
    if (m_smoothedUs < 0) {
        m_smoothedUs = sample;
        m_variationUs = sample / 2;
    } else {
        m_variationUs += kVariationGain * (std::abs(m_smoothedUs - sample) - m_variationUs);
        m_smoothedUs += kSmoothingGain * (sample - m_smoothedUs);
    }
    const double boundUs = m_smoothedUs + kVariations * m_variationUs;
    m_boundMs = std::clamp(static_cast<int>(std::ceil(boundUs / 1000)), kFloorMs, kCeilingMs);
}

void AnswerBound::expired()
{
    m_boundMs = std::min(m_boundMs * 2, kCeilingMs);
}

int AnswerBound::afterUnanswered(int unansweredTries) const
{
    if (isFixed())
        return m_fixedMs;
    int boundMs = m_boundMs;
    for (int tried = 0; tried < unansweredTries && boundMs < kCeilingMs; ++tried)
        boundMs = std::min(boundMs * 2, kCeilingMs);
    return boundMs;
}
