#pragma once
// Waits inside the event loop, within a bound, for what a control reports
// through its events: the control delivers them while the loop runs.
#include <functional>

namespace EventWait {

// Runs the event loop until done() holds or boundMs have passed, sleeping
// until the next event rather than spinning. Whether done() held.
bool until(const std::function<bool()>& done, int boundMs);

} // namespace EventWait
