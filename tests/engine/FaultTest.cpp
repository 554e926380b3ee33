// A module that fails: silent, answering only errors, toggles that never
// change, late or lost answers, and noise on the line.
#include "PtyPeer.h"
#include "SimulatorFixture.h"
#include "module/CellMap.h"
#include "resources/MessageTable.h"

#include <QElapsedTimer>
#include <functional>

TEST_F(OnSimulator, SilentModuleTimesOutOnceAndNoUpdateIsBuiltFromTheFailedRead)
{
    Start({"--silent"});
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(m().Cells().Read16Request(CellMap::kSerialNumber), 0);
    EXPECT_GE(clock.elapsed(), 2900);
    EXPECT_LT(clock.elapsed(), 4500);
    EXPECT_TRUE(owner.TimedOut());
    EXPECT_EQ(owner.events, (QList<HostEvent>{{"DataReady", "TK28950 Time out"}}));

    // Once timed out, nothing is sent and nothing is written from a read
    // that gave no value: bit 7 of cell 9 must survive.
    clock.restart();
    EXPECT_EQ(m().EnResetEE(false), LoadMessage(Msg::TimeOut));
    EXPECT_EQ(m().Cells().WriteZoom(CellMap::kZoomShiftX, 8), LoadMessage(Msg::TimeOut));
    EXPECT_EQ(m().LoadCoef("x", "/nonexistent"), LoadMessage(Msg::FileNotFound));
    EXPECT_EQ(m().Cells().Read16Request(CellMap::kThreshold1), 0);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(sim.received(), QByteArray("i189"));
    EXPECT_EQ(Cell(9), 0x80);
    EXPECT_EQ(owner.events.size(), 1);

    owner.Reinitialise();
    m().ReadEEPROM("1");
    EXPECT_TRUE(sim.waitForReceived(8));
    EXPECT_EQ(sim.received(), QByteArray("i189i001"));
}

TEST_F(OnSimulator, ModuleAnsweringOnlyErrorsIsGivenUpWithoutATimeOut)
{
    Start({"--error-repeat", "1000"});
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(m().Cells().Read16Request(CellMap::kSerialNumber), 0);
    EXPECT_EQ(m().LastFailure(), QStringLiteral("EEPROM cell 189 could not be read: "
                                                "i189 was refused 17 times and given up"));
    EXPECT_EQ(m().EnResetEE(false), QStringLiteral("EEPROM cell 9 could not be read: "
                                                   "i009 was refused 17 times and given up"));
    EXPECT_FALSE(owner.TimedOut());
    EXPECT_LT(clock.elapsed(), 2900) << "the waits ended by the time-out";
    const QByteArray wire = sim.received();
    EXPECT_EQ(Occurrences(wire, "i189"), CModuleLink::kMaxResends + 1);
    EXPECT_EQ(Occurrences(wire, "i190"), 0) << "half a value is no value: not asked for";
    EXPECT_EQ(Occurrences(wire, "h"), 0);
    EXPECT_EQ(owner.Count(CModuleLink::kCommError), 2);
    EXPECT_TRUE(owner.events.isEmpty()) << "the gate was closed";

    m().ReadEEPROM("5"); // asynchronous: the give-up is an event
    EXPECT_TRUE(WaitUntil([&] { return !owner.events.isEmpty(); }));
    EXPECT_EQ(owner.events, (QList<HostEvent>{{"ErrorComm", LoadMessage(Msg::CommError)}}));
}

TEST_F(OnSimulator, StuckToggleIsGivenUpAfterTheResendBound)
{
    Start({"--stuck-toggles"});
    m().Correction(true);
    EXPECT_TRUE(WaitUntil([&] { return !owner.events.isEmpty(); }));
    EXPECT_EQ(owner.events, (QList<HostEvent>{{"ErrorComm", LoadMessage(Msg::CommError)}}));
    EXPECT_EQ(Occurrences(sim.received(), "g"), CModuleLink::kMaxResends + 1);
    EXPECT_TRUE(m().Pending().isEmpty());
    EXPECT_FALSE(owner.CommandTimerActive());
}

// Noise the intake drops (blanks, NUL, 0xB0, a lone line end) means the
// answer is not the module's as it was sent: a read then fails, and never
// gives a value built from what is left.
TEST_F(OnSimulator, NoisyLineGivesTheRightValueOrAFailureNeverAWrongOne)
{
    Start({"--noise", "0.3", "--seed", "7"});
    int right = 0;
    int failed = 0;
    for (int i = 0; i < 20; ++i) {
        const qint16 serial = m().Cells().Read16Request(CellMap::kSerialNumber);
        if (m().LastFailure().isEmpty()) {
            EXPECT_EQ(serial, 1234);
            ++right;
        } else {
            EXPECT_EQ(serial, 0);
            EXPECT_TRUE(m().LastFailure().contains("damaged")) << qPrintable(m().LastFailure());
            ++failed;
        }
    }
    EXPECT_GT(right, 0);
    EXPECT_GT(failed, 0);
    EXPECT_FALSE(owner.TimedOut());
    EXPECT_TRUE(m().Pending().isEmpty()) << "every damaged line took its own command";
}

// The far end played by the test sends the answers of a poor line.
TEST(DamagedAnswers, ReadModifyWriteWritesNothingUnlessItsReadWasSound)
{
    PtyPeer peer;
    TestOwner owner;
    ASSERT_TRUE(owner.Open(peer.devicePath()));
    CModule& m = owner.module;
    struct Case {
        const char* answer; // to every cell read
        const char* why;
    };
    const Case cases[] = {
        {"3\r1\r\n", "damaged"},           // a split answer: "31" arrives as "3", "1"
        {"3 1\r\n", "damaged"},            // a blank inside
        {"V1.07\r\n", "not a cell value"}, // a stale version answer
    };
    const std::function<QString()> updates[] = {
        [&] { return m.Cells().WriteZoom(CellMap::kZoomShiftX, 8); },
        [&] { return m.Cells().WriteZoom(CellMap::kZoomShiftY, 2); },
        [&] { return m.EnResetEE(true); },
        [&] { return m.StupAngleOn(false); },
        [&] { return m.EnableTempCorr(true); },
    };
    for (const Case& c : cases) {
        peer.setResponder([&](const QByteArray& chunk) -> QByteArray {
            return chunk.startsWith('i') ? QByteArray(c.answer) : "0\r\n";
        });
        for (const auto& update : updates) {
            const QString result = update();
            EXPECT_TRUE(result.contains(c.why)) << qPrintable(result);
            EXPECT_EQ(result, m.LastFailure());
        }
        EXPECT_EQ(m.Cells().ReadZoom(CellMap::kZoomShiftX), 0);
        EXPECT_TRUE(m.LastFailure().contains(c.why)) << qPrintable(m.LastFailure());
        EXPECT_EQ(m.Cells().Read16Request(CellMap::kScaleFactorY), 0);
        EXPECT_FALSE(m.LastFailure().isEmpty());
    }
    EXPECT_FALSE(peer.received().contains('h')) << peer.received().constData();
    EXPECT_FALSE(owner.TimedOut());
    EXPECT_TRUE(m.Pending().isEmpty());

    // A sound read, and the same update writes.
    peer.setResponder([](const QByteArray& chunk) -> QByteArray {
        return chunk.startsWith('i') ? "49\r\n" : "0\r\n";
    });
    EXPECT_EQ(m.Cells().WriteZoom(CellMap::kZoomShiftX, 4), LoadMessage(Msg::Ok));
    EXPECT_TRUE(m.LastFailure().isEmpty());
    EXPECT_TRUE(peer.received().endsWith("i201h201050"));
}

// The far end played by the test: answers go missing or come late.
TEST(PairingAfterTimeOut, LateAndLostAnswersDoNotShiftLaterPairs)
{
    PtyPeer peer;
    TestOwner owner;
    ASSERT_TRUE(owner.Open(peer.devicePath()));
    CModule& m = owner.module;

    // The answer to "v" is lost: after the time-out and a new
    // initialisation, a read must get its own answer, not the one "v" would
    // have taken.
    m.Version();
    EXPECT_TRUE(WaitUntil([&] { return owner.TimedOut(); }, 2 * CModuleLink::kCommandTimeoutMs));
    owner.Reinitialise();
    peer.setResponder(
        [](const QByteArray& chunk) -> QByteArray { return chunk == "i191" ? "44\r\n" : "1\r\n"; });
    EXPECT_EQ(m.Cells().Read16Request(CellMap::kThreshold1), 300);

    // A read times out and its answer arrives late, after the
    // re-initialisation: nothing is pending for it any more.
    peer.setResponder({});
    EXPECT_EQ(m.Cells().Read16Request(CellMap::kThreshold2), 0);
    EXPECT_TRUE(owner.TimedOut());
    owner.Reinitialise();
    owner.events.clear();
    peer.write("99\r\n");
    EXPECT_TRUE(WaitUntil([&] { return !owner.events.isEmpty(); }));
    EXPECT_EQ(owner.events, (QList<HostEvent>{{"ErrorComm", ""}}));
    peer.setResponder([](const QByteArray& chunk) -> QByteArray {
        return chunk == "i193" ? "232\r\n" : "3\r\n";
    });
    EXPECT_EQ(m.Cells().Read16Request(CellMap::kThreshold2), 1000);
}

// A waiting request ends on its own command's answer: an answer to a command
// sent before it, or the failure of that command, is never its result.
TEST(DamagedAnswers, WaitEndsOnItsOwnCommandOnly)
{
    PtyPeer peer;
    TestOwner owner;
    ASSERT_TRUE(owner.Open(peer.devicePath()));
    CModule& m = owner.module;
    peer.setResponder([](const QByteArray& chunk) -> QByteArray {
        QByteArray answers;
        for (qsizetype at = 0; at + 4 <= chunk.size(); at += 4) {
            const QByteArray command = chunk.mid(at, 4);
            answers += command == "i005"   ? "42\r\n"
                       : command == "i006" ? "4 2\r\n" // damaged
                       : command == "i189" ? "210\r\n"
                                           : "4\r\n";
        }
        return answers;
    });
    m.ReadEEPROM(QStringLiteral("5"));
    EXPECT_EQ(m.Cells().Read16Request(CellMap::kSerialNumber), 1234);
    EXPECT_TRUE(m.LastFailure().isEmpty()) << qPrintable(m.LastFailure());
    m.ReadEEPROM(QStringLiteral("6"));
    EXPECT_EQ(m.Cells().Read16Request(CellMap::kSerialNumber), 1234);
    EXPECT_TRUE(m.LastFailure().isEmpty()) << qPrintable(m.LastFailure());
    EXPECT_TRUE(m.Pending().isEmpty());
}
