// The rules by which the hosts and the control read the module's answers.
// The simulator only ever acknowledges with "0" and always sends a proper
// version, so the rules are checked here on their own.
#include "AnswerShape.h"
#include "ModuleAnswers.h"

#include <gtest/gtest.h>

TEST(AnswerRules, AWriteIsAcknowledgedByZeroOrTextWithoutALeadingNonZeroNumber)
{
    for (const char* answer :
         {"0", "00", "000", " 0", "0 done", "0 5", "+0", "OK", "DONE 5", "", "done 5"})
        EXPECT_TRUE(ModuleAnswers::isWriteAcknowledged(QString::fromLatin1(answer))) << answer;
    for (const char* answer : {"1", "12", " 7", " 12", "-3", "+1", "255 failed", "01", "007",
                               "TK28950 TIME OUT", "TK28950 Time out"})
        EXPECT_FALSE(ModuleAnswers::isWriteAcknowledged(QString::fromLatin1(answer))) << answer;
}

TEST(AnswerRules, VersionAnswersAreToldFromStaleAnswers)
{
    for (const char* version : {"TK28950-V1.2.0.1", "TK28950 V1.2 READY"})
        EXPECT_TRUE(AnswerShape::isVersion(QString::fromLatin1(version))) << version;
    for (const char* stale : {"", "123", "0", "E", "TK28950 TIME OUT", "TK28950 Time out"})
        EXPECT_FALSE(AnswerShape::isVersion(QString::fromLatin1(stale))) << stale;
}

TEST(AnswerRules, TemperatureTenthsBecomeDegreesInTheUnitAskedFor)
{
    EXPECT_EQ(ModuleAnswers::degreesText(235, false), "23.50");
    EXPECT_EQ(ModuleAnswers::degreesText(-52, false), "-5.20");
    EXPECT_EQ(ModuleAnswers::degreesText(0, true), "32.00");
    EXPECT_EQ(ModuleAnswers::degreesText(1000, true), "212.00");
}
