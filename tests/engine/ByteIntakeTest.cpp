// The byte intake and the reply parser, byte by byte: the host's port is a
// real pseudo-terminal whose far end the test reads, and the answer bytes
// are handed straight to the intake.
#include "PtyPeer.h"
#include "TestOwner.h"
#include "resources/MessageTable.h"

#include <gtest/gtest.h>

namespace {

using Codes = QList<int>;
constexpr int kOk = CModuleLink::kCompleted;
constexpr int kIn = CModuleLink::kAccepted;
constexpr int kDrop = CModuleLink::kDropped;
constexpr int kBad = CModuleLink::kCommError;

class ByteIntake : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.isOpen());
        ASSERT_TRUE(owner.Open(peer.devicePath())) << owner.comm.ErrorText().toStdString();
    }

    Codes Feed(const QByteArray& bytes)
    {
        Codes codes;
        for (char byte : bytes)
            codes << m().ReceiveByte(static_cast<unsigned char>(byte));
        return codes;
    }
    // The codes of a line's bytes, all accepted, then its two line ends.
    static Codes LineCodes(int length, int last) { return Codes(length + 1, kIn) << last; }
    QStringList Pending() const { return owner.module.Pending(); }
    CModule& m() { return owner.module; }
    QByteArray Wire() { return peer.received(); }

    PtyPeer peer;
    TestOwner owner;
};

} // namespace

TEST_F(ByteIntake, AnyTwoLineEndsCloseALine)
{
    for (const char* ends : {"\r\n", "\n\r", "\r\r", "\n\n"}) {
        m().ReadEEPROM(QStringLiteral("1"));
        EXPECT_EQ(Feed(QByteArray("12") + ends), LineCodes(2, kOk)) << ends;
        EXPECT_EQ(m().Reply(), QStringLiteral("12"));
    }
}

// The line has no checksum: an answer the intake had to change is not the
// module's answer. It still takes its command (the module did answer it),
// but it completes nothing and is reported once, at its end.
TEST_F(ByteIntake, LineWithADroppedByteIsDamagedAndTakesItsCommandWithoutAValue)
{
    struct Case {
        QByteArray bytes;
        Codes codes;
    };
    const Case cases[] = {
        {"23\r6\r\n", {kIn, kIn, kIn, kDrop, kIn, kBad}}, // a split answer: "236" is not "23"
        {"1 2\r\n", {kIn, kDrop, kIn, kIn, kBad}},        // a blank inside
        {QByteArray("1\x00"
                    "2\r\n",
                    5),
         {kIn, kDrop, kIn, kIn, kBad}},
        {"1\xB0"
         "2\r\n",
         {kIn, kDrop, kIn, kIn, kBad}},
        {"\x7F"
         "12\r\n",
         {kDrop, kIn, kIn, kIn, kBad}},
    };
    for (const Case& c : cases) {
        m().ReadEEPROM(QStringLiteral("1"));
        m().ReadEEPROM(QStringLiteral("2"));
        EXPECT_EQ(Feed(c.bytes), c.codes) << c.bytes.toHex(' ').constData();
        EXPECT_TRUE(m().Reply().isEmpty());
        EXPECT_EQ(Pending(), QStringList{"i002"}) << "the damaged line took its own command";
        EXPECT_EQ(Feed("7\r\n").last(), kOk) << "the next line is whole again";
        EXPECT_EQ(m().Reply(), QStringLiteral("7"));
    }
}

TEST_F(ByteIntake, ResetAnswerIsGatheredAcrossLoneLineEndsAndBlanks)
{
    m().ResetModule();
    EXPECT_EQ(Feed("12\r3\r\n"), (Codes{kIn, kIn, kIn, kIn, kIn, kOk}));
    EXPECT_EQ(m().Reply(), QStringLiteral("12"));

    m().ResetModule();
    Feed("TK28950 V1.2\r READY\r\n");
    EXPECT_EQ(m().Reply(), QStringLiteral("TK28950V1.2READY"));
    EXPECT_EQ(Wire(), QByteArray("xx"));
}

// An answer whose shape does not fit its command is no value either: a
// stale answer to another command, or one damaged beyond recognition.
TEST_F(ByteIntake, AnswerOfTheWrongShapeCompletesNothing)
{
    struct Case {
        std::function<void()> send;
        const char* line;
    };
    const Case cases[] = {
        {[&] { m().ReadEEPROM(QStringLiteral("9")); }, "256"},
        {[&] { m().ReadEEPROM(QStringLiteral("9")); }, "-1"},
        {[&] { m().ReadEEPROM(QStringLiteral("9")); }, "V1.07"},
        {[&] { m().ReadEEPROM(QStringLiteral("9")); }, "1.5"},
        {[&] { m().ReadEEPROM(QStringLiteral("9")); }, ""},
        {[&] { m().Version(); }, "107"},
        {[&] { m().Version(); }, "1.07"},
        {[&] { m().Version(); }, ""},
        {[&] { m().ReadTemperature("c"); }, "abc"},
        {[&] { m().ReadTemperature("c"); }, "23.5.1"},
        {[&] { m().ReadXChan(0); }, "V1.07"},
        {[&] { m().ReadYChan(0); }, "+"},
    };
    for (const Case& c : cases) {
        c.send();
        EXPECT_EQ(Feed(QByteArray(c.line) + "\r\n").last(), kBad) << c.line;
        EXPECT_TRUE(m().Reply().isEmpty()) << c.line;
        EXPECT_TRUE(Pending().isEmpty()) << c.line;
    }
    // The line has no checksum: a flipped digit that still fits the shape
    // cannot be told from the module's answer here (hosts read twice).
    m().ReadEEPROM(QStringLiteral("9"));
    EXPECT_EQ(Feed("56\r\n").last(), kOk);
    EXPECT_EQ(m().Reply(), QStringLiteral("56"));
}

TEST_F(ByteIntake, LinesWithNothingPendingAreDroppedButStillReportedUnpaired)
{
    EXPECT_EQ(Feed("ab\r\n"), (Codes{kDrop, kDrop, kIn, CModuleLink::kUnpaired}));
    EXPECT_TRUE(m().Reply().isEmpty());
}

TEST_F(ByteIntake, OverlongLineIsDamagedAndReportedOnce)
{
    m().Version();
    const Codes codes = Feed(QByteArray(3000, 'A') + "\r\n");
    EXPECT_EQ(codes.count(kBad), 1);
    EXPECT_EQ(codes.last(), kBad);
    EXPECT_TRUE(m().Reply().isEmpty());
    // The next line is whole again.
    m().Version();
    Feed("v1\r\n");
    EXPECT_EQ(m().Reply(), QStringLiteral("v1"));
}

TEST_F(ByteIntake, RawCommandAnswerEmptiesTheQueueAndSleepWakesUp)
{
    m().SendCMD(QStringLiteral("zz"));
    m().Version();
    m().ReadXChan(0);
    EXPECT_EQ(Pending(), (QStringList{"Command", "zz", "v", "c"}));
    EXPECT_EQ(Feed("ok\r\n").last(), kOk);
    EXPECT_EQ(m().Reply(), QStringLiteral("ok"));
    EXPECT_TRUE(Pending().isEmpty());
    EXPECT_EQ(Feed("1\r\n").last(), CModuleLink::kUnpaired);
    EXPECT_EQ(Feed("+01.250\r\n").last(), CModuleLink::kUnpaired);

    m().Sleep(true);
    m().Version();
    EXPECT_EQ(Feed("Z\r\n").last(), kOk);
    EXPECT_EQ(m().Reply(), QStringLiteral("Awake"));
    EXPECT_TRUE(Pending().isEmpty());
    EXPECT_EQ(Wire(), QByteArray("zzvcav"));
}

TEST_F(ByteIntake, MissedAnswerShiftsThePairingUntilTheLinkIsReset)
{
    m().Version();
    m().ReadEEPROM(QStringLiteral("5"));
    // The answer to "v" was lost: the cell's value pairs with "v", and is
    // no version.
    EXPECT_EQ(Feed("42\r\n").last(), kBad);
    EXPECT_TRUE(m().Reply().isEmpty());
    EXPECT_EQ(Pending(), QStringList{"i005"});
    m().ResetLink();
    EXPECT_TRUE(Pending().isEmpty());
    m().ReadEEPROM(QStringLiteral("6"));
    Feed("7\r\n");
    EXPECT_EQ(m().Reply(), QStringLiteral("7"));
}

TEST_F(ByteIntake, ReadingsTemperaturesAndEepromResetAnswers)
{
    struct Case {
        std::function<void()> send;
        const char* line;
        const char* reply;
        int code;
    };
    const Case cases[] = {
        {[&] { m().ReadXChan(0); }, "+01.250", "+01.250", CModuleLink::kXReading},
        {[&] { m().Sleep(false); }, "+01.250", "+01.250", CModuleLink::kXReading},
        {[&] { m().ReadYChan(0); }, "-00.500", "-00.500", CModuleLink::kYReading},
        {[&] { m().ReadTemperature("c"); }, "235", "23.50", kOk},
        {[&] { m().ReadTemperature("F"); }, "235", "74.30", kOk},
        {[&] { m().ReadTemperature("Fahrenheit"); }, "-52", "-5.20", kOk},
        {[&] { m().ResetEEPROM(); }, "G", "EEPROM set to default Values", kOk},
        {[&] { m().ResetEEPROM(); }, "gg", "EEPROM protected", kOk},
        {[&] { m().ResetModule(); }, "OK", "OK", kOk},
    };
    for (const Case& c : cases) {
        c.send();
        EXPECT_EQ(Feed(QByteArray(c.line) + "\r\n").last(), c.code) << c.line;
        EXPECT_EQ(m().Reply(), QString::fromLatin1(c.reply)) << c.line;
        EXPECT_TRUE(Pending().isEmpty()) << c.line;
    }
}

TEST_F(ByteIntake, TogglesAreSentAgainUntilTheRequestedState)
{
    m().Correction(true);
    EXPECT_EQ(Pending(), (QStringList{"g", "ON"}));
    EXPECT_EQ(Feed("0\r\n").last(), CModuleLink::kResent);
    EXPECT_EQ(Pending(), (QStringList{"g", "ON"}));
    EXPECT_EQ(Feed("1\r\n").last(), kOk);
    EXPECT_EQ(m().Reply(), QStringLiteral("On"));

    m().EnableDAC(false);
    EXPECT_EQ(Feed("0\r\n").last(), kOk);
    EXPECT_EQ(m().Reply(), QStringLiteral("Off"));

    m().OutputAngle(false);
    EXPECT_EQ(Feed("yes\r\n").last(), CModuleLink::kUnpaired);
    EXPECT_TRUE(Pending().isEmpty());
    EXPECT_EQ(Wire(), QByteArray("ggbm"));
}

TEST_F(ByteIntake, ErrorAnswersAreSentAgainAndNonZeroWriteAnswersRefused)
{
    m().ReadEEPROM(QStringLiteral("9"));
    EXPECT_EQ(Feed("12E\r\n").last(), CModuleLink::kResent);
    EXPECT_EQ(Feed("16\r\n").last(), kOk);
    EXPECT_EQ(m().Reply(), QStringLiteral("16"));

    m().WriteEEPROM(QStringLiteral("9"), QStringLiteral("16"));
    EXPECT_EQ(Feed("E\r\n").last(), CModuleLink::kResent);
    EXPECT_EQ(Feed("3\r\n").last(), CModuleLink::kCommError);
    EXPECT_TRUE(m().Reply().isEmpty());

    m().WriteEEPROM(QStringLiteral("9"), QStringLiteral("16"));
    EXPECT_EQ(Feed("0k\r\n").last(), kOk);
    EXPECT_EQ(m().Reply(), QStringLiteral("0k"));
    EXPECT_EQ(Wire(), QByteArray("i009i009h009016h009016h009016"));
}

TEST_F(ByteIntake, ResendsOfOneCommandAreBounded)
{
    m().ReadEEPROM(QStringLiteral("1"));
    Codes codes;
    for (int i = 0; i < 40; ++i)
        codes << Feed("E\r\n").last();
    EXPECT_EQ(codes.count(CModuleLink::kResent), CModuleLink::kMaxResends);
    EXPECT_EQ(codes.at(CModuleLink::kMaxResends), CModuleLink::kCommError);
    EXPECT_EQ(Occurrences(Wire(), "i001"), CModuleLink::kMaxResends + 1);
    EXPECT_TRUE(Pending().isEmpty());

    m().Correction(true); // the module never reaches "on"
    for (int i = 0; i < 40; ++i)
        Feed("0\r\n");
    EXPECT_EQ(Occurrences(Wire(), "g"), CModuleLink::kMaxResends + 1);
    EXPECT_TRUE(Pending().isEmpty());
}

TEST_F(ByteIntake, SignalAnswersSetTheFlags)
{
    peer.setResponder(
        [](const QByteArray& chunk) -> QByteArray { return chunk == "n" ? "1,2\r\n" : "1\r\n"; });
    EXPECT_EQ(m().ReadSignals(), QStringLiteral("Ok"));
    EXPECT_TRUE(m().Signal(1));
    EXPECT_TRUE(m().Signal(2));
    EXPECT_FALSE(m().Signal(3));
    EXPECT_FALSE(m().Signal(4));
    EXPECT_FALSE(m().Signal(5));
    EXPECT_EQ(m().SetSignal2(false), QStringLiteral("Ok"));
    EXPECT_EQ(m().Reply(), QStringLiteral("OFF"));
    EXPECT_EQ(owner.Count(CModuleLink::kSilent), 2);
}

// A signal setting answered with an error goes out again as it was: the
// same output, the same state.
TEST_F(ByteIntake, SignalSettingsAnsweredWithAnErrorAreSentAgainUnchanged)
{
    QByteArray previous;
    peer.setResponder([&previous](const QByteArray& chunk) -> QByteArray {
        const bool again = chunk == previous;
        previous = chunk;
        return again ? "1\r\n" : "E\r\n";
    });
    EXPECT_EQ(m().SetSignal1(true), QStringLiteral("Ok"));
    EXPECT_EQ(m().Reply(), QStringLiteral("ON"));
    EXPECT_EQ(m().SetSignal1(false), QStringLiteral("Ok"));
    EXPECT_EQ(m().Reply(), QStringLiteral("OFF"));
    EXPECT_EQ(m().SetSignal2(true), QStringLiteral("Ok"));
    EXPECT_EQ(m().SetSignal2(false), QStringLiteral("Ok"));
    EXPECT_EQ(Wire(), QByteArray("ssrrttuu"));
}

TEST_F(ByteIntake, PotSetupWithoutOkShowsTheBoxAndEndsItsWaitAtOnce)
{
    peer.setResponder([](const QByteArray&) -> QByteArray { return "e\r\n"; });
    EXPECT_EQ(m().PotSetup(), QStringLiteral("Error in potsetup"));
    EXPECT_EQ(owner.messages, QStringList{"Error in potsetup"});
    EXPECT_EQ(owner.Count(CModuleLink::kUnpaired), 1);
    EXPECT_FALSE(owner.TimedOut());
}
