// Readings on a line at the module's own pace. The session has learnt how
// soon each kind of answer comes and leaves the line alone until then: a
// refusal, shorter than the readings before it, and a reading that the
// module is slow over are still taken for what they are. A stream of
// single readings on a line that repeats answers or cuts them in two hands
// on only rows whose answers the line proved in step.
#include "ControlError.h"
#include "ControlSession.h"
#include "HeldReadings.h"
#include "Simulator.h"

#include <gtest/gtest.h>

namespace {

using Axis = ControlSession::Axis;
using Readings = ControlSession::Readings;

TEST(PacedReadings, RefusalsAndSlowAnswersAmongLearntReadingsAreTakenForWhatTheyAre)
{
    Simulator module;
    ASSERT_TRUE(module.start({"--pace", "38400", "--angle-x", "1.25", "--angle-y", "-0.5", "--seed",
                              "7", "--error", "0.1", "--slow", "0.05", "--slow-ms", "5"}))
        << qPrintable(module.error());
    ControlSession session;
    session.open(module.device());
    int refusals = 0;
    session.setNotes([&](const QString& note) {
        if (note.contains(QLatin1String("refused")))
            ++refusals;
    });
    try {
        for (int row = 0; row < 100; ++row) {
            ASSERT_EQ(session.reading(Axis::X, "X", Readings::Single), "+01.250") << row;
            ASSERT_EQ(session.reading(Axis::Y, "Y", Readings::Single), "-00.500") << row;
        }
    } catch (const ControlError& error) {
        FAIL() << qPrintable(error.message());
    }
    EXPECT_GT(refusals, 0) << "the seed brings refusals among the readings";
}

// At the module's own pace an extra line comes apart from the answer it
// goes with; on a line that hands over whole answers at once (the
// simulator unpaced) it comes with it.
TEST(PacedReadings, AStreamHandsOnOnlyRowsTheLineProvedInStep)
{
    const QStringList lines[] = {{"--pace", "38400", "--stale", "0.03"},
                                 {"--pace", "38400", "--split", "0.03"},
                                 {"--stale", "0.03"}};
    for (const QStringList& line : lines) {
        SCOPED_TRACE(qPrintable(line.join(' ')));
        Simulator module;
        ASSERT_TRUE(module.start(
            line + QStringList{"--angle-x", "1.25", "--angle-y", "-0.5", "--seed", "4"}))
            << qPrintable(module.error());
        ControlSession session;
        session.open(module.device());
        HeldReadings held(session);
        QList<HeldReadings::Row> rows;
        qint64 letGo = 0;
        try {
            for (qint64 row = 0; rows.size() < 100; ++row) {
                held.add({row,
                          session.reading(Axis::X, "X", Readings::Single),
                          session.reading(Axis::Y, "Y", Readings::Single),
                          {}});
                if (held.size() == 10)
                    rows += held.release();
                letGo += held.takeLetGo();
            }
        } catch (const ControlError& error) {
            FAIL() << qPrintable(error.message());
        }
        for (const HeldReadings::Row& row : rows) {
            ASSERT_EQ(row.x, "+01.250") << row.timeMs;
            ASSERT_EQ(row.y, "-00.500") << row.timeMs;
        }
        EXPECT_GT(letGo, 0) << "the seed brings extra lines among the readings";
    }
}

} // namespace
