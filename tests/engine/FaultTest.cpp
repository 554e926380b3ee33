// A module that fails: silent, answering only errors, toggles that never
// change, late or lost answers, and noise on the line.
#include "PtyPeer.h"
#include "SimulatorFixture.h"
#include "resources/MessageTable.h"

#include <QElapsedTimer>

TEST_F(OnSimulator, SilentModuleTimesOutOnceAndNoUpdateIsBuiltFromTheFailedRead)
{
    Start({"--silent"});
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(m().GetSerialNumber(), 0);
    EXPECT_GE(clock.elapsed(), 2900);
    EXPECT_LT(clock.elapsed(), 4500);
    EXPECT_TRUE(owner.TimedOut());
    EXPECT_EQ(owner.events, (QList<HostEvent>{{"DataReady", "TK28950 Time out"}}));

    // Once timed out, nothing is sent and nothing is written from a read
    // that gave no value: bit 7 of cell 9 must survive.
    clock.restart();
    EXPECT_EQ(m().EnResetEE(false), LoadMessage(Msg::TimeOut));
    EXPECT_EQ(m().SetZoomX(8), LoadMessage(Msg::TimeOut));
    EXPECT_EQ(m().LoadCoef("x", "/nonexistent"), LoadMessage(Msg::FileNotFound));
    EXPECT_EQ(m().GetThreshold1(), 0);
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
    EXPECT_EQ(m().GetSerialNumber(), 0);
    EXPECT_EQ(m().EnResetEE(false),
              QStringLiteral("EEPROM cell 9 could not be read; nothing written"));
    EXPECT_FALSE(owner.TimedOut());
    EXPECT_LT(clock.elapsed(), 2900) << "the waits ended by the time-out";
    const QByteArray wire = sim.received();
    EXPECT_EQ(Occurrences(wire, "i189"), CModuleLink::kMaxResends + 1);
    EXPECT_EQ(Occurrences(wire, "i190"), CModuleLink::kMaxResends + 1);
    EXPECT_EQ(Occurrences(wire, "h"), 0);
    EXPECT_EQ(owner.Count(CModuleLink::kCommError), 3);
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

TEST_F(OnSimulator, NoisyLineStillGivesTheRightValues)
{
    Start({"--noise", "1", "--seed", "7"});
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(m().GetSerialNumber(), 1234);
    EXPECT_EQ(m().GetTemperatureOffset(), -15);
    EXPECT_FALSE(owner.TimedOut());
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
    EXPECT_TRUE(WaitUntil([&] { return owner.TimedOut(); }, 6000));
    owner.Reinitialise();
    peer.setResponder(
        [](const QByteArray& chunk) -> QByteArray { return chunk == "i191" ? "44\r\n" : "1\r\n"; });
    EXPECT_EQ(m.GetThreshold1(), 300);

    // A read times out and its answer arrives late, after the
    // re-initialisation: nothing is pending for it any more.
    peer.setResponder({});
    EXPECT_EQ(m.GetThreshold2(), 0);
    EXPECT_TRUE(owner.TimedOut());
    owner.Reinitialise();
    owner.events.clear();
    peer.write("99\r\n");
    EXPECT_TRUE(WaitUntil([&] { return !owner.events.isEmpty(); }));
    EXPECT_EQ(owner.events, (QList<HostEvent>{{"ErrorComm", ""}}));
    peer.setResponder([](const QByteArray& chunk) -> QByteArray {
        return chunk == "i193" ? "232\r\n" : "3\r\n";
    });
    EXPECT_EQ(m.GetThreshold2(), 1000);
}
