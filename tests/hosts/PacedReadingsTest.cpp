// Readings on a line at the module's own pace, where the session has learnt
// how soon each kind of answer comes and leaves the line alone until then:
// a refusal, shorter than the readings before it, and a reading that the
// module is slow over are still taken for what they are, and every reading
// taken is the module's.
#include "ControlError.h"
#include "ControlSession.h"
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

} // namespace
