#pragma once

#include <QtGlobal>

// The simulator's one time base: monotonic nanoseconds since the program
// started. Pacing, answer delays and the trace all read it.
namespace Clock {
qint64 nowNs();
double secondsSinceStart();
} // namespace Clock
