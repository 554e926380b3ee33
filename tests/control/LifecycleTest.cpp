// Creation, initialisation on a port, the not-initialised fallbacks, failed
// openings, persistence and destruction.
#include "ControlHost.h"
#include "Simulator.h"
#include "TK28950Dispids.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace id = tk28950::dispid;
namespace ev = tk28950::event;
using component::Variant;

namespace {

const QString kReady = QStringLiteral("TK28950 Ready");
const QString kAlreadyInitialised = QStringLiteral("OCX already initialized");
const QString kPortAlreadyOpen = QStringLiteral("Port already open");

} // namespace

TEST(Lifecycle, NewControlGivesFallbacksAndSendsNothing)
{
    ControlHost host;
    ASSERT_TRUE(host.created()) << qPrintable(host.createError());

    EXPECT_EQ(host.get(id::ModuleName).text(), "TK28950");
    EXPECT_EQ(host.get(id::GainX).text(), "----");
    EXPECT_EQ(host.get(id::GainY).text(), "----");
    EXPECT_EQ(host.get(id::AmpX).number(), -1);
    EXPECT_EQ(host.get(id::GlobalXOff).number(), 999);
    EXPECT_EQ(host.get(id::GlobalYOff).number(), 999);
    EXPECT_EQ(host.get(id::SN).number(), 0);
    EXPECT_EQ(host.get(id::TemperatureOffset).text(), "0.0");
    EXPECT_EQ(host.call(id::RangeAvailable).text(), "170,180");
    EXPECT_EQ(host.call(id::SendCMD, {"v"}).text(), "Ok");
    EXPECT_EQ(host.call(id::ReadEEPROM, {"9"}).text(), "Ok");
    EXPECT_EQ(host.call(id::StupAngleOn, {true}).text(), "");
    EXPECT_EQ(host.call(id::Version).text(), "");
    EXPECT_EQ(host.call(id::LoadCoef, {"x", "/dev/null"}).text(), "TK28950 not initialized");

    // Writes of the control's own cells do nothing before initialisation,
    // not even mark the control modified.
    EXPECT_EQ(host.put(id::GlobalXOff, Variant(std::int16_t(5))).hr, component::kOk);
    EXPECT_EQ(host.put(id::GainX, "40").hr, component::kOk);
    EXPECT_FALSE(host.object()->isModified());
    EXPECT_TRUE(host.events.isEmpty());
}

TEST(Lifecycle, InitModuleOpensOncePerControl)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({}, eepromImage({{9, 77}}))) << qPrintable(sim.error());
    ControlHost host;
    sim.mapToPort(2);

    EXPECT_EQ(host.open(sim, 1), kReady);
    EXPECT_EQ(host.call(id::InitModule, {"1"}).text(), kAlreadyInitialised);
    EXPECT_EQ(host.call(id::InitModule, {"2"}).text(), kAlreadyInitialised);

    // The port is still the first one, and open.
    host.call(id::ReadEEPROM, {"9"});
    ASSERT_TRUE(host.waitForEvents(ev::DataReady, 1));
    EXPECT_EQ(host.eventTexts(ev::DataReady), QStringList{"77"});
    EXPECT_TRUE(host.eventTexts(ev::ErrorComm).isEmpty());
}

TEST(Lifecycle, FailedOpenReportsPortAlreadyOpenAndKeepsTheReason)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no-such-tty"));
    qputenv("TK28950_PORT_7", missing.toLocal8Bit());
    ControlHost host;
    bool returned = false;
    QStringList raisedDuringCall;
    host.onEventHook = [&](const Event& e) {
        if (e.id == ev::ErrorComm && !returned)
            raisedDuringCall << e.text;
    };

    const Call result = host.call(id::InitModule, {"7"});
    returned = true;

    EXPECT_EQ(result.hr, component::kOk);
    EXPECT_EQ(result.text(), kPortAlreadyOpen);
    EXPECT_EQ(raisedDuringCall, QStringList{kPortAlreadyOpen});
    const QString reason = host.get(id::PortError).text();
    EXPECT_TRUE(reason.contains(missing)) << qPrintable(reason);
    EXPECT_TRUE(reason.contains("no such device")) << qPrintable(reason);
    EXPECT_EQ(host.get(id::GainX).text(), "----") << "the control must not be initialised";

    // A later call with a good port succeeds and forgets the old reason.
    Simulator sim;
    ASSERT_TRUE(sim.start()) << qPrintable(sim.error());
    EXPECT_EQ(host.open(sim, 7), kReady);
    EXPECT_EQ(host.get(id::PortError).text(), "");
}

TEST(Lifecycle, PortInUseIsReportedWithItsReason)
{
    Simulator sim;
    ASSERT_TRUE(sim.start()) << qPrintable(sim.error());
    ControlHost first;
    ControlHost second;
    ASSERT_EQ(first.open(sim, 3), kReady);

    EXPECT_EQ(second.open(sim, 3), kPortAlreadyOpen);
    EXPECT_EQ(second.eventTexts(ev::ErrorComm), QStringList{kPortAlreadyOpen});
    EXPECT_TRUE(second.get(id::PortError).text().contains(sim.device()));
}

// A port number that the 16-bit port property cannot hold is refused while
// the port is being set up: the call fails with the reason, and the control
// is left as it was before, so a later call can still succeed.
TEST(Lifecycle, RefusedPortSettingUndoesTheCreation)
{
    ControlHost host;
    const Call refused = host.call(id::InitModule, {"70000"});
    EXPECT_EQ(refused.hr, component::kException);
    EXPECT_TRUE(refused.error.contains("70000")) << qPrintable(refused.error);
    EXPECT_EQ(host.get(id::PortError).text(), refused.error);
    EXPECT_EQ(host.get(id::GainX).text(), "----");

    Simulator sim;
    ASSERT_TRUE(sim.start({}, eepromImage({{187, 99}}))) << qPrintable(sim.error());
    EXPECT_EQ(host.open(sim, 4), kReady);
    EXPECT_EQ(host.get(id::GainX).text(), "99");
}

TEST(Lifecycle, ReleasingTheControlFreesThePortAndSendsNothing)
{
    Simulator sim;
    ASSERT_TRUE(sim.start()) << qPrintable(sim.error());
    {
        ControlHost host;
        ASSERT_EQ(host.open(sim, 5), kReady);
    }
    ControlHost next;
    EXPECT_EQ(next.open(sim, 5), kReady);
    EXPECT_TRUE(sim.received().isEmpty()) << sim.received().constData();
}

TEST(Lifecycle, PersistentStateIsTheVersionStampOnly)
{
    ControlHost host;
    host.put(id::ModuleName, "Left axis");
    EXPECT_TRUE(host.object()->isModified());

    const QByteArray state = host.object()->saveState();
    EXPECT_EQ(state, QByteArray::fromHex("00000100"));
    EXPECT_FALSE(host.object()->isModified());

    ControlHost reloaded;
    EXPECT_EQ(reloaded.object()->loadState(state), component::kOk);
    EXPECT_EQ(reloaded.get(id::ModuleName).text(), "TK28950");
    EXPECT_NE(reloaded.object()->loadState(QByteArray("\x01", 1)), component::kOk);
    EXPECT_EQ(reloaded.object()->propertyPages(),
              QStringList{"{8197A964-3931-4DBC-89D0-91D286F9E771}"});
}

// Two controls on two modules: each has its own port, timer and flags, so a
// silent module times out one control while the other goes on working.
TEST(Lifecycle, TwoControlsKeepTheirOwnState)
{
    Simulator talking;
    Simulator silent;
    ASSERT_TRUE(talking.start({}, eepromImage({{187, 11}}))) << qPrintable(talking.error());
    ASSERT_TRUE(silent.start({"--silent"})) << qPrintable(silent.error());
    ControlHost a;
    ControlHost b;
    ASSERT_EQ(a.open(talking, 1), kReady);
    ASSERT_EQ(b.open(silent, 2), kReady);

    EXPECT_EQ(b.get(id::GainX).text(), "");
    EXPECT_EQ(b.eventTexts(ev::DataReady), QStringList{"TK28950 Time out"});
    EXPECT_EQ(a.get(id::GainX).text(), "11");
    EXPECT_TRUE(a.events.isEmpty());
    EXPECT_EQ(silent.received(), "i187");
    EXPECT_EQ(talking.received(), "i187");
}
