// What counts as the module's acknowledgement of a write. The simulator only
// ever answers "0", so the rule is checked here on its own.
#include "EepromCells.h"

#include <gtest/gtest.h>

TEST(Acknowledgement, ZeroOrTextWithoutALeadingNonZeroNumber)
{
    for (const char* answer : {"0", "00", " 0", "0 done", "+0", "OK", "", "done 5"})
        EXPECT_TRUE(EepromCells::isAcknowledgement(answer)) << answer;
    for (const char* answer : {"1", "12", " 7", "-3", "255 failed", "01"})
        EXPECT_FALSE(EepromCells::isAcknowledgement(answer)) << answer;
}
