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
    HeldReadings held = module.heldReadings();
    InterruptSignal interrupt;
    if (!context.output().json())
        context.output().record({}, ReadingRow::header());
    // Rows are printed once the line proves in step after them: in a pause,
    // before the last, or when they have waited long enough.
    const auto release = [&] {
        const QList<HeldReadings::Row> rows = module.release(held);
        for (const HeldReadings::Row& row : rows)
            context.output().record({{"command", context.name()},
                                     {"time_ms", row.timeMs},
                                     {"x", ValueText::numberOrText(row.x)},
                                     {"y", ValueText::numberOrText(row.y)}},
                                    ReadingRow::row(row.timeMs, row.x, row.y));
        return rows.size();
    };
    const auto tellLetGo = [&] {
        if (const qint64 letGo = held.takeLetGo(); letGo > 0)
            context.output().note(
                context.name(),
                QStringLiteral("%1 rows let go: the line was out of step").arg(letGo));
    };
    QElapsedTimer clock;
    clock.start();
    qint64 printed = 0;
    for (qint64 sample = 0; count == 0 || printed < count; ++sample) {
        waitUntil(clock, sample * intervalMs, interrupt);
        if (interrupt.raised())
            break;
        HeldReadings::Row row;
        row.timeMs = clock.elapsed();
        // A stream of a module that may move: each reading is read once.
        row.x = module.reading(Axis::X, context.name() + " x", ControlSession::Readings::Single);
        row.y = module.reading(Axis::Y, context.name() + " y", ControlSession::Readings::Single);
        held.add(std::move(row));
        const bool pauseFollows = (sample + 1) * intervalMs > clock.elapsed();
        if (pauseFollows || held.due(clock.elapsed()) ||
            (count > 0 && printed + held.size() >= count))
            printed += release();
        tellLetGo();
    }
    release();
    tellLetGo();
    return ExitCode::Success;
}

} // namespace Commands
