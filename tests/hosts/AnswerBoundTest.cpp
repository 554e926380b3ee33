// The answer bound on a fast line, and how the tries of one request back off
// from it: a busy host that misses the short bound must get longer and
// longer tries, however often the line in between teaches the bound again.
#include "AnswerBound.h"

#include <gtest/gtest.h>

namespace {

// Round trips of a cell's exchange on a 38400 baud line.
void learnAFastLine(AnswerBound& bound)
{
    for (int exchange = 0; exchange < 50; ++exchange)
        bound.measured(2500);
}

TEST(AnswerBound, AFastLineIsWaitedForTheFloorAndTheTriesOfOneRequestDoubleFromIt)
{
    AnswerBound bound;
    EXPECT_EQ(bound.ms(), AnswerBound::kStartMs);
    learnAFastLine(bound);
    ASSERT_EQ(bound.ms(), AnswerBound::kFloorMs);

    // Unanswered, then taught by the resynchronisation's round trip: the
    // next try still waits twice as long, the one after it four times.
    bound.expired();
    bound.measured(5000);
    EXPECT_EQ(bound.afterUnanswered(1), 2 * AnswerBound::kFloorMs);
    EXPECT_EQ(bound.afterUnanswered(2), 4 * AnswerBound::kFloorMs);
    EXPECT_EQ(bound.afterUnanswered(30), AnswerBound::kCeilingMs);
}

TEST(AnswerBound, ASlowLineRaisesTheBoundAndAFixedBoundNeverMoves)
{
    AnswerBound bound;
    learnAFastLine(bound);
    for (int exchange = 0; exchange < 20; ++exchange)
        bound.measured(exchange % 2 == 0 ? 30000 : 60000);
    EXPECT_GT(bound.ms(), 60);
    EXPECT_LE(bound.ms(), AnswerBound::kCeilingMs);

    bound.fix(300);
    bound.expired();
    bound.measured(1000);
    EXPECT_EQ(bound.ms(), 300);
    EXPECT_EQ(bound.afterUnanswered(3), 300);
}

} // namespace
