// The link layer over a real pseudo-terminal whose far end the test plays:
// the command timer, waits that always end, the bounded pending queue, one
// waiting request at a time and a receive path that is never re-entered.
#include "PtyPeer.h"
#include "TestOwner.h"
#include "module/CellMap.h"
#include "resources/MessageTable.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

class Link : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.isOpen());
        ASSERT_TRUE(owner.Open(peer.devicePath())) << owner.comm.ErrorText().toStdString();
    }
    CModule& m() { return owner.module; }

    // Answers cell reads with CellValue and writes with "0".
    static int CellValue(int cell) { return (cell + 100) & 0xFF; }
    static qint16 PairValue(int lowCell)
    {
        return qint16(CellValue(lowCell) | (CellValue(lowCell + 1) << 8));
    }
    static QByteArray CellAnswers(const QByteArray& chunk)
    {
        QByteArray answers;
        for (qsizetype at = 0; at < chunk.size(); ++at) {
            if (chunk[at] == 'i')
                answers += QByteArray::number(CellValue(chunk.mid(at + 1, 3).toInt())) + "\r\n";
            else if (chunk[at] == 'h')
                answers += "0\r\n";
        }
        return answers;
    }

    PtyPeer peer;
    TestOwner owner;
};

} // namespace

TEST_F(Link, SilentModuleTimesOutTheOldestCommandAndLaterWaitsEndAtOnce)
{
    m().ReadXChan(0);
    RunEventsFor(2000);
    m().Version(); // a poll does not put the time-out off
    EXPECT_TRUE(WaitUntil([&] { return owner.TimedOut(); }, 2 * CModuleLink::kCommandTimeoutMs));
    EXPECT_GE(owner.timedOutAtMs, 2900);
    EXPECT_LT(owner.timedOutAtMs, 4500) << "timed from the poll, not from the oldest command";
    EXPECT_EQ(owner.events, (QList<HostEvent>{{"DataReady", "TK28950 Time out"}}));

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(m().Cells().Read16Request(CellMap::kSerialNumber), 0);
    EXPECT_EQ(m().LastFailure(), LoadMessage(Msg::TimeOut));
    EXPECT_EQ(m().EnResetEE(true), LoadMessage(Msg::TimeOut));
    EXPECT_EQ(m().PotSetup(), LoadMessage(Msg::TimeOut));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(peer.received(), QByteArray("cv"));
    EXPECT_TRUE(owner.EventsEnabled());

    owner.Reinitialise();
    peer.setResponder(CellAnswers);
    EXPECT_EQ(m().Cells().Read16Request(CellMap::kSerialNumber), PairValue(189));
}

// The command time is the module's: a time-out never comes before it.
TEST_F(Link, TimeOutNeverComesBeforeTheCommandTime)
{
    QElapsedTimer clock;
    clock.start();
    m().ReadEEPROM(QStringLiteral("1"));
    EXPECT_TRUE(WaitUntil([&] { return owner.TimedOut(); }, 2 * CModuleLink::kCommandTimeoutMs));
    EXPECT_GE(clock.elapsed(), CModuleLink::kCommandTimeoutMs);
}

TEST_F(Link, WaitingReadGetsItsValueAndTheTimerStopsWithTheLastAnswer)
{
    peer.setResponder(CellAnswers);
    EXPECT_EQ(m().Cells().Read16Request(CellMap::kThreshold1), PairValue(191));
    EXPECT_EQ(peer.received(), QByteArray("i191i192"));
    EXPECT_FALSE(owner.CommandTimerActive());
    EXPECT_TRUE(owner.events.isEmpty()) << "the gate was closed for the answers";
    EXPECT_TRUE(owner.EventsEnabled());
}

TEST_F(Link, LineThatCompletesNothingStillLeavesATimerForTheWait)
{
    // The toggle's answer is not understood and the read is never answered:
    // the wait must still end by the time-out.
    peer.setResponder([](const QByteArray& chunk) -> QByteArray {
        return chunk.startsWith('g') ? "5\r\n" : QByteArray();
    });
    m().Correction(true);
    EXPECT_EQ(m().Cells().Read16Request(CellMap::kSerialNumber), 0);
    EXPECT_TRUE(owner.TimedOut());
    EXPECT_EQ(owner.Count(CModuleLink::kUnpaired), 1);
}

TEST_F(Link, AnswerThatEndsAWaitWithoutReplyDoesNotMarkATimeOut)
{
    peer.setResponder([](const QByteArray& chunk) -> QByteArray {
        return chunk.startsWith('h') ? "7\r\n" : "E\r\n";
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(m().Cells().Write16Request(CellMap::kThreshold2, 5), // refused write
              QStringLiteral("EEPROM cell 193 could not be written: "
                             "the module refused h193005 with \"7\""));
    EXPECT_EQ(m().Cells().Read16Request(CellMap::kThreshold2), 0); // reads given up
    EXPECT_EQ(m().LastFailure(), QStringLiteral("EEPROM cell 193 could not be read: "
                                                "i193 was refused 17 times and given up"));
    EXPECT_EQ(m().PotSetup(), QStringLiteral("Error in potsetup")); // nested resends given up
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_FALSE(owner.TimedOut());
    EXPECT_EQ(Occurrences(peer.received(), "p"), CModuleLink::kMaxResends + 1);

    peer.setResponder(CellAnswers);
    EXPECT_EQ(m().Cells().Read16Request(CellMap::kThreshold2), PairValue(193));
}

TEST_F(Link, FullPendingQueueRefusesSendsWithoutTraffic)
{
    for (int i = 0; i < CModuleLink::kMaxPending - 1; ++i)
        m().Version();
    m().Correction(true); // needs two entries: refused whole
    EXPECT_EQ(owner.Count(CModuleLink::kCommError), 1);
    m().Version();
    EXPECT_EQ(m().Send(QStringLiteral("v")), 1);
    EXPECT_EQ(owner.Count(CModuleLink::kCommError), 2);
    EXPECT_EQ(m().Pending().size(), CModuleLink::kMaxPending);
    EXPECT_TRUE(peer.waitForReceived(CModuleLink::kMaxPending));
    RunEventsFor(50);
    EXPECT_EQ(peer.received(), QByteArray(CModuleLink::kMaxPending, 'v'));
    EXPECT_EQ(owner.events.count({"ErrorComm", LoadMessage(Msg::CommError)}), 2);
}

TEST_F(Link, AnswersArrivingWhileAHostHandlerRunsAreParsedAfterItInOrder)
{
    QStringList log;
    owner.onEvent = [&](const HostEvent& event) {
        log << "begin " + event.text;
        if (event.text == QLatin1String("11")) {
            // The host shows a modal box; more answers arrive meanwhile.
            peer.write("22\r\n33\r\n");
            RunEventsFor(300);
        }
        log << "end " + event.text;
    };
    m().ReadEEPROM(QStringLiteral("1"));
    m().ReadEEPROM(QStringLiteral("2"));
    m().ReadEEPROM(QStringLiteral("3"));
    peer.write("11\r\n");
    EXPECT_TRUE(WaitUntil([&] { return log.size() == 6; }));
    EXPECT_EQ(log, (QStringList{"begin 11", "end 11", "begin 22", "end 22", "begin 33", "end 33"}));
}

TEST_F(Link, WaitStartedInsideAnEventHandlerStillGetsItsAnswer)
{
    qint16 serial = -1;
    owner.onEvent = [&](const HostEvent& event) {
        if (event.text == QLatin1String("9"))
            serial = m().Cells().Read16Request(CellMap::kSerialNumber);
    };
    m().ReadEEPROM(QStringLiteral("0"));
    ASSERT_TRUE(peer.waitForReceived(4));
    peer.setResponder(CellAnswers);
    peer.write("9\r\n");
    EXPECT_TRUE(WaitUntil([&] { return serial != -1; }));
    EXPECT_EQ(serial, PairValue(189));
    EXPECT_FALSE(owner.TimedOut());
}

TEST_F(Link, SecondWaitingRequestFromTheHostIsRefusedWhileOneWaits)
{
    QString busyText;
    qint16 busyNumber = -1;
    peer.setResponder([&](const QByteArray& chunk) -> QByteArray {
        if (chunk != "p")
            return "0\r\n";
        // While the pot setup waits, the host tries two more requests.
        busyText = m().EnResetEE(true);
        busyNumber = m().Cells().Read16Request(CellMap::kSerialNumber);
        return "OK\r\n";
    });
    EXPECT_EQ(m().PotSetup(), QStringLiteral("Ok"));
    EXPECT_EQ(busyText, CModule::BusyText());
    EXPECT_EQ(busyNumber, 0);
    EXPECT_EQ(peer.received(), QByteArray("p"));
    EXPECT_FALSE(m().RequestInProgress());
    EXPECT_TRUE(m().Link().BeginRequest());
    EXPECT_FALSE(m().Link().BeginRequest());
    m().Link().EndRequest();
    EXPECT_TRUE(owner.EventsEnabled());
}

TEST_F(Link, UninitialisedModuleSendsNothingAndGivesItsFallbacks)
{
    TestOwner fresh;
    CModule& module = fresh.module;
    const QString notInit = LoadMessage(Msg::NotInitialized);
    for (const QString& result :
         {module.EnResetEE(true), module.StupEnCorrection(false), module.StupAngleOn(true),
          module.Cells().Write16Request(CellMap::kScaleFactorX, 1),
          module.Cells().Write16Request(CellMap::kThresholdWindow1, 1),
          module.Cells().Write16Request(CellMap::kThresholdWindow2, 1),
          module.Cells().Write16Request(CellMap::kThreshold1, 1),
          module.Cells().Write16Request(CellMap::kThreshold2, 1),
          module.Cells().Write16Request(CellMap::kSerialNumber, 1),
          module.Cells().Write16Request(CellMap::kScaleFactorY, 1),
          module.Cells().WriteZoom(CellMap::kZoomShiftX, 2),
          module.Cells().WriteZoom(CellMap::kZoomShiftY, 2),
          module.Cells().Write16Request(CellMap::kTemperatureOffset, 1),
          module.EnableTempCorr(true), module.TemperatureCoef("x", "1", "1", "1", "1"),
          module.LoadCoef("x", "/dev/null")})
        EXPECT_EQ(result, notInit);
    for (qint16 number : {module.Cells().Read16Request(CellMap::kScaleFactorX),
                          module.Cells().Read16Request(CellMap::kThresholdWindow1),
                          module.Cells().Read16Request(CellMap::kThresholdWindow2),
                          module.Cells().Read16Request(CellMap::kThreshold1),
                          module.Cells().Read16Request(CellMap::kThreshold2),
                          module.Cells().Read16Request(CellMap::kSerialNumber),
                          module.Cells().Read16Request(CellMap::kScaleFactorY),
                          module.Cells().ReadZoom(CellMap::kZoomShiftX),
                          module.Cells().ReadZoom(CellMap::kZoomShiftY),
                          module.Cells().Read16Request(CellMap::kTemperatureOffset)})
        EXPECT_EQ(number, 0);
    module.PotSetup();
    module.SetGain(CellMap::kGainX, "1");
    module.SetSignal1(true);
    module.ReadSignals();
    // Asynchronous commands still answer, but without a port queue nothing.
    EXPECT_EQ(module.Correction(true), LoadMessage(Msg::Ok));
    EXPECT_EQ(module.ReadTemperature("f"), LoadMessage(Msg::Ok));
    EXPECT_TRUE(module.Pending().isEmpty());
    EXPECT_TRUE(fresh.codes.isEmpty());
}
