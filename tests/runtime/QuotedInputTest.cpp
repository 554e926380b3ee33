// Input quoted in a message stays one short line that is safe to print.
#include "QuotedInput.h"

#include <gtest/gtest.h>

using component::quotedInput;

TEST(QuotedInput, PlainShortTextIsQuotedAsItIs)
{
    EXPECT_EQ(quotedInput(QStringLiteral("1\tabc")), QStringLiteral("\"1\\tabc\""));
    EXPECT_EQ(quotedInput(QStringLiteral("256")), QStringLiteral("\"256\""));
    EXPECT_EQ(quotedInput(QString()), QStringLiteral("\"\""));
}

TEST(QuotedInput, ControlQuoteBackslashAndNonAsciiCharactersAreEscaped)
{
    // A terminal would clear its screen and retitle its window on these.
    const QByteArray escapes("\x1b[2J\x1b]0;owned\x07\r\n\"\\\x7f\xe9");
    EXPECT_EQ(quotedInput(escapes),
              QStringLiteral("\"\\x1b[2J\\x1b]0;owned\\x07\\r\\n\\\"\\\\\\x7f\\xe9\""));
    EXPECT_EQ(quotedInput(QString::fromUtf8("\xe2\x82\xac")), QStringLiteral("\"\\u{20ac}\""));
    EXPECT_EQ(quotedInput(QByteArray("a\0b", 3)), QStringLiteral("\"a\\x00b\""));
}

TEST(QuotedInput, LongInputIsCutAfterFortyCharacters)
{
    const QByteArray forty(component::kQuotedInputChars, 'a');
    EXPECT_EQ(quotedInput(forty), QLatin1Char('"') + QString::fromLatin1(forty) + QLatin1Char('"'));
    const QByteArray huge = forty + QByteArray(10 << 20, '\x1b');
    EXPECT_EQ(quotedInput(huge), QLatin1Char('"') + QString::fromLatin1(forty) + "\"...");
    EXPECT_EQ(quotedInput(QString(100000, QLatin1Char('\n'))).size(),
              2 + 2 * component::kQuotedInputChars + 3);
}
