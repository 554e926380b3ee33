// monitor: X and Y readings at a steady pace, as CSV lines "time_ms,x,y"
// (or one JSON object per sample), until the count is reached or Ctrl-C.
#include "ArgumentConversion.h"
#include "ChannelReading.h"
#include "CommandContext.h"
#include "Commands.h"
#include "EventWait.h"
#include "InterruptSignal.h"
#include "ReadingRow.h"
#include "ValueText.h"

#include <QElapsedTimer>
#include <climits>

namespace Commands {
namespace {

constexpr int kDefaultIntervalMs = 500;
constexpr int kMaxIntervalMs = 3600000;

// Runs the event loop until the clock reaches targetMs or an interrupt.
void waitUntil(const QElapsedTimer& clock, qint64 targetMs, const InterruptSignal& interrupt)
{
    const qint64 remaining = targetMs - clock.elapsed();
    if (remaining > 0)
        EventWait::until([&] { return interrupt.raised(); }, static_cast<int>(remaining));
}

} // namespace

ExitCode monitor(CommandContext& context)
{
    const int intervalMs = context.hasOption("interval")
                               ? ArgumentConversion::toInteger(context.option("interval"), 0,
                                                               kMaxIntervalMs, "--interval")
                               : kDefaultIntervalMs;
    const int count =
        context.hasOption("count")
            ? ArgumentConversion::toInteger(context.option("count"), 1, INT_MAX, "--count")
            : 0;
    ModuleSession& module = context.module();
    InterruptSignal interrupt;
    if (!context.output().json())
        context.output().record({}, ReadingRow::header());
    QElapsedTimer clock;
    clock.start();
    for (int sample = 0; count == 0 || sample < count; ++sample) {
        waitUntil(clock, qint64(sample) * intervalMs, interrupt);
        if (interrupt.raised())
            break;
        const qint64 timeMs = clock.elapsed();
        // A stream of a module that may move: each reading is read once.
        const QString x =
            module.reading(Axis::X, context.name() + " x", ControlSession::Readings::Single);
        const QString y =
            module.reading(Axis::Y, context.name() + " y", ControlSession::Readings::Single);
        context.output().record({{"command", context.name()},
                                 {"time_ms", timeMs},
                                 {"x", ValueText::numberOrText(x)},
                                 {"y", ValueText::numberOrText(y)}},
                                ReadingRow::row(timeMs, x, y));
    }
    return ExitCode::Success;
}

} // namespace Commands
