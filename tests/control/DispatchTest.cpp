// Calls that do not fit a member: they fail with a dispatch error and
// change nothing, whatever the host passes.
#include "ControlHost.h"
#include "Simulator.h"
#include "TK28950Dispids.h"

#include <gtest/gtest.h>

namespace id = tk28950::dispid;
using component::InvokeKind;
using component::Variant;

TEST(Dispatch, BothNamesOfAMemberResolveToItsDispid)
{
    ControlHost host;
    const auto dispidOf = [&](const QString& name) {
        component::DispId dispid = 0;
        return host.object()->idOfName(name, &dispid) == component::kOk ? dispid : -1;
    };
    EXPECT_EQ(dispidOf("ScaleFactor"), 25);
    EXPECT_EQ(dispidOf("ScaleFactorX"), 25);
    EXPECT_EQ(dispidOf("SerialNumber"), 23);
    EXPECT_EQ(dispidOf("SN"), 34);
    EXPECT_EQ(dispidOf("initmodule"), 2);
    EXPECT_EQ(dispidOf("AboutBox"), -552);
    EXPECT_EQ(dispidOf("PortError"), 50);
    component::DispId dispid = 0;
    EXPECT_EQ(host.object()->idOfName("Frobnicate", &dispid), component::kUnknownName);
}

TEST(Dispatch, WrongCallsFailWithoutSideEffects)
{
    Simulator sim;
    ASSERT_TRUE(sim.start()) << qPrintable(sim.error());
    ControlHost host;
    ASSERT_EQ(host.open(sim, 1), "TK28950 Ready");
    const auto invoke = [&](component::DispId dispid, InvokeKind kind,
                            const QVector<Variant>& args) {
        Variant result;
        return host.object()->invoke(dispid, kind, args, &result);
    };

    EXPECT_EQ(invoke(99, InvokeKind::Method, {}), component::kMemberNotFound);
    EXPECT_EQ(invoke(id::InitModule, InvokeKind::PropertyPut, {"1"}), component::kMemberNotFound);
    EXPECT_EQ(invoke(id::RangeAvailable, InvokeKind::PropertyGet, {}), component::kMemberNotFound);
    EXPECT_EQ(invoke(id::GainX, InvokeKind::Method, {}), component::kMemberNotFound);
    EXPECT_EQ(invoke(id::PortError, InvokeKind::PropertyPut, {"x"}), component::kMemberNotFound);

    EXPECT_EQ(invoke(id::WriteEEPROM, InvokeKind::Method, {"1"}), component::kBadParamCount);
    EXPECT_EQ(invoke(id::ReadEEPROM, InvokeKind::Method, {"1", "2"}), component::kBadParamCount);
    EXPECT_EQ(invoke(id::GainX, InvokeKind::PropertyGet, {"1"}), component::kBadParamCount);
    EXPECT_EQ(invoke(id::SN, InvokeKind::PropertyPut, {}), component::kBadParamCount);

    EXPECT_EQ(host.put(id::AmpX, "----").hr, component::kTypeMismatch);
    EXPECT_EQ(host.put(id::AmpX, "70000").hr, component::kOverflow);
    EXPECT_EQ(host.call(id::ReadXChan, {"256"}).hr, component::kOverflow);
    EXPECT_EQ(host.call(id::Sleep, {"maybe"}).hr, component::kTypeMismatch);
    const Call mismatch = host.put(id::ZoomX, "fast");
    EXPECT_EQ(mismatch.hr, component::kTypeMismatch);
    EXPECT_TRUE(mismatch.error.contains("ZoomX")) << qPrintable(mismatch.error);

    EXPECT_EQ(sim.received(), "");
    EXPECT_FALSE(host.object()->isModified());
    EXPECT_TRUE(host.events.isEmpty());
}

// Arguments convert the standard way: any non-zero number is true, texts
// holding numbers are numbers, and 16-bit values round half to even.
TEST(Dispatch, ArgumentsConvertToTheParameterTypes)
{
    Simulator sim;
    ASSERT_TRUE(sim.start()) << qPrintable(sim.error());
    ControlHost host;
    ASSERT_EQ(host.open(sim, 1), "TK28950 Ready");

    EXPECT_EQ(host.call(id::Correction, {Variant(std::int32_t(-7))}).text(), "Ok");
    EXPECT_EQ(host.call(id::Correction, {"0"}).text(), "Ok");
    EXPECT_EQ(host.call(id::ReadXChan, {"12"}).text(), "Ok");
    ASSERT_TRUE(host.waitForEvents(tk28950::event::XReady, 1));
    EXPECT_EQ(host.eventTexts(tk28950::event::DataReady), (QStringList{"On", "Off"}));
    EXPECT_EQ(sim.received(), "ggc");

    sim.clearTrace();
    EXPECT_EQ(host.put(id::Threshold1, " 2.5 ").hr, component::kOk);
    EXPECT_EQ(host.get(id::Threshold1).number(), 2);
    EXPECT_EQ(host.put(id::Threshold1, Variant(3.5)).hr, component::kOk);
    EXPECT_EQ(host.get(id::Threshold1).number(), 4);
}
