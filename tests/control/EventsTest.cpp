// Events raised to the host: the gate, the time-out, the order of answers
// while the host is busy inside an event, and requests started from inside
// a wait.
#include "ControlHost.h"
#include "Simulator.h"
#include "TK28950Dispids.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace id = tk28950::dispid;
namespace ev = tk28950::event;
using component::Variant;

namespace {

const QString kTimeOut = QStringLiteral("TK28950 Time out");
const QString kBusy = QStringLiteral("busy");

// What the library and Qt print while a test runs.
QStringList* g_printed = nullptr;
void keepPrinted(QtMsgType, const QMessageLogContext&, const QString& text)
{
    *g_printed << text;
}

class PrintedMessages {
public:
    PrintedMessages()
    {
        g_printed = &m_texts;
        m_previous = qInstallMessageHandler(keepPrinted);
    }
    ~PrintedMessages()
    {
        qInstallMessageHandler(m_previous);
        g_printed = nullptr;
    }
    QString all() const { return m_texts.join(u'\n'); }

private:
    QStringList m_texts;
    QtMessageHandler m_previous = nullptr;
};

class Events : public ::testing::Test {
protected:
    void open(const QStringList& simArgs, const QByteArray& cells = {})
    {
        ASSERT_TRUE(sim.start(simArgs, cells)) << qPrintable(sim.error());
        ASSERT_EQ(host.open(sim, 1), "TK28950 Ready");
    }

    Simulator sim;
    ControlHost host;
};

} // namespace

TEST_F(Events, AnswersRaiseEventsOnlyWhileTheGateIsOpen)
{
    open({}, eepromImage({{9, 33}, {187, 44}}));

    host.call(id::ReadEEPROM, {"9"});
    ASSERT_TRUE(host.waitForEvents(ev::DataReady, 1));
    EXPECT_EQ(host.eventTexts(ev::DataReady), QStringList{"33"});

    // The same kind of answer inside the control's own read raises nothing.
    host.events.clear();
    EXPECT_EQ(host.get(id::GainX).text(), "44");
    QTest::qWait(100);
    EXPECT_TRUE(host.events.isEmpty());

    host.call(id::ReadXChan, {Variant(std::uint8_t(0))});
    host.call(id::ReadYChan, {Variant(std::uint8_t(0))});
    ASSERT_TRUE(host.waitForEvents(ev::YReady, 1));
    EXPECT_EQ(host.eventTexts(ev::XReady).size(), 1);
    EXPECT_EQ(host.eventTexts(ev::YReady).size(), 1);
}

// A silent module: the read fails after the command time with the time-out,
// and the time-out is raised once, inside the call, although the read keeps
// the gate closed. A waiting request started from that event handler is
// refused without traffic; later reads and updates send nothing until the
// next InitModule, so a configuration update cannot write a value built from
// an answer it never got.
TEST_F(Events, SilentModuleTimesOutOncePerArmedTimer)
{
    open({"--silent"});
    Call nested;
    host.onEventHook = [&](const Event& e) {
        if (e.text == kTimeOut)
            nested = host.get(id::SN);
    };

    const auto failsWithTimeOut = [](const Call& call) {
        EXPECT_EQ(call.hr, component::kException);
        EXPECT_TRUE(call.error.contains(kTimeOut)) << qPrintable(call.error);
    };
    failsWithTimeOut(host.get(id::GainX));
    EXPECT_EQ(host.eventTexts(ev::DataReady), QStringList{kTimeOut});
    EXPECT_EQ(nested.hr, component::kException);
    EXPECT_TRUE(nested.error.contains(kBusy)) << qPrintable(nested.error);

    host.onEventHook = nullptr;
    failsWithTimeOut(host.get(id::GainX));
    failsWithTimeOut(host.call(id::EnResetEE, {false}));
    failsWithTimeOut(host.get(id::AmpX));
    QTest::qWait(1000);
    EXPECT_EQ(host.eventTexts(ev::DataReady), QStringList{kTimeOut});
    EXPECT_EQ(sim.received(), "i187");

    EXPECT_EQ(host.call(id::InitModule, {"1"}).text(), "OCX already initialized");
    failsWithTimeOut(host.get(id::GainX));
    EXPECT_EQ(host.eventTexts(ev::DataReady), (QStringList{kTimeOut, kTimeOut}));
    EXPECT_EQ(sim.received(), "i187i187");
}

// Answers that arrive after InitModule for commands sent before it pair with
// nothing: InitModule empties the queue, so the next read gets its own cell.
TEST_F(Events, InitModuleBringsPairingBackInStep)
{
    open({"--delay", "200"}, eepromImage({{1, 10}, {2, 20}, {187, 30}}));
    host.call(id::ReadEEPROM, {"1"});
    host.call(id::ReadEEPROM, {"2"});
    EXPECT_EQ(host.call(id::InitModule, {"1"}).text(), "OCX already initialized");
    ASSERT_TRUE(host.waitForEvents(ev::ErrorComm, 2));

    EXPECT_EQ(host.get(id::GainX).text(), "30");
    EXPECT_TRUE(host.eventTexts(ev::DataReady).isEmpty());
}

// A host that restarts the link from its time-out handler and sends again
// gives those commands their own deadline. Here the module takes 3.5 s over
// each answer: the first read times out, the two reads sent from the handler
// are still waiting when the late answer completes a line, and the second of
// them times out in its turn.
TEST_F(Events, CommandsSentFromTheTimeOutHandlerKeepTheirDeadline)
{
    open({"--delay", "3500"});
    host.onEventHook = [&](const Event& e) {
        if (e.text != kTimeOut || host.eventTexts(ev::DataReady).size() > 1)
            return;
        host.call(id::InitModule, {"1"});
        host.call(id::ReadEEPROM, {"1"});
        host.call(id::ReadEEPROM, {"2"});
    };
    host.call(id::ReadEEPROM, {"0"});
    ASSERT_TRUE(host.waitForEvents(ev::DataReady, 3, 9000));
    EXPECT_EQ(host.eventTexts(ev::DataReady).at(2), kTimeOut);
}

// The device going away mid-request ends the wait at once and is reported
// once; the control is then plainly not initialised, and says why.
TEST_F(Events, DisconnectedDeviceIsReportedOnceAndEndsTheWait)
{
    open({"--silent"});
    const PrintedMessages printed;
    QTimer::singleShot(300, [&] { sim.stop(); });
    QElapsedTimer clock;
    clock.start();
    const Call gain = host.get(id::GainX);
    EXPECT_EQ(gain.hr, component::kException);
    EXPECT_TRUE(gain.error.contains("Device disconnected")) << qPrintable(gain.error);
    EXPECT_LT(clock.elapsed(), 2000);
    QTest::qWait(200);
    EXPECT_EQ(host.eventTexts(ev::ErrorComm), QStringList{"Device disconnected"});
    EXPECT_TRUE(host.eventTexts(ev::DataReady).isEmpty()) << "no time-out follows";
    EXPECT_FALSE(host.get(id::PortError).text().isEmpty());
    EXPECT_EQ(host.get(id::GainX).text(), "----");
    EXPECT_FALSE(printed.all().contains("not open")) << "read from the closed port";
}

// The host shows a modal box inside its DataReady handler; the second answer
// arrives meanwhile and is delivered only after the first handler returned.
TEST_F(Events, AnswerArrivingDuringAModalBoxWaitsItsTurn)
{
    open({}, eepromImage({{1, 11}, {2, 22}}));
    QStringList order;
    host.onEventHook = [&](const Event& e) {
        order << "begin " + e.text;
        if (e.text == "11") {
            QEventLoop modal;
            QTimer::singleShot(300, &modal, &QEventLoop::quit);
            modal.exec();
            EXPECT_TRUE(sim.sent().contains("22"));
        }
        order << "end " + e.text;
    };

    host.call(id::ReadEEPROM, {"1"});
    host.call(id::ReadEEPROM, {"2"});
    ASSERT_TRUE(host.waitForEvents(ev::DataReady, 2));

    EXPECT_EQ(order, (QStringList{"begin 11", "end 11", "begin 22", "end 22"}));
}

// Host events (here a timer of the host) run inside a wait; a waiting
// request started there is refused with a clear text and sends nothing,
// while the outer request gets its answer.
TEST_F(Events, WaitingRequestInsideAnotherIsRefused)
{
    open({"--delay", "400"}, eepromImage({{187, 55}, {9, 0}}));
    QVector<Call> nested;
    QTimer::singleShot(100, [&] {
        nested << host.get(id::ScaleFactorX) << host.put(id::GlobalXOff, Variant(std::int16_t(1)))
               << host.call(id::StupAngleOn, {true}) << host.get(id::AmpY);
    });

    EXPECT_EQ(host.get(id::GainX).text(), "55");

    ASSERT_EQ(nested.size(), 4);
    EXPECT_EQ(nested[0].hr, component::kException);
    EXPECT_EQ(nested[1].hr, component::kException);
    EXPECT_EQ(nested[2].hr, component::kOk);
    EXPECT_TRUE(nested[2].text().contains(kBusy)) << qPrintable(nested[2].text());
    EXPECT_EQ(nested[3].hr, component::kException);
    EXPECT_TRUE(nested[0].error.contains(kBusy)) << qPrintable(nested[0].error);
    EXPECT_EQ(sim.received(), "i187");
    EXPECT_TRUE(host.events.isEmpty());
}
