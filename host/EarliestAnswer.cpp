#include "EarliestAnswer.h"

#include <algorithm>

namespace {
// The wait looks at the line again this long before the shortest round trip
// is over, about two bytes' time at 38400 baud: a wake-up is rarely on the
// microsecond, and the last bytes are still taken as they come.
constexpr qint64 kLookEarlierUs = 600;
} // namespace

qint64 EarliestAnswer::holdOffUs(component::DispId method) const
{
    return std::max<qint64>(0, m_shortestUs.value(method, 0) - kLookEarlierUs);
}

void EarliestAnswer::answered(component::DispId method, qint64 roundTripUs)
{
    const auto known = m_shortestUs.constFind(method);
    if (known == m_shortestUs.cend() || roundTripUs < *known)
        m_shortestUs.insert(method, std::max<qint64>(0, roundTripUs));
}
