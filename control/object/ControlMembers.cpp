// The rows of the control's member table. Most entries forward to one
// operation of the module object; the small templates below are those
// forwards, one per shape of operation.
#include "CTK28950Ctrl.h"
#include "DispatchTable.h"
#include "module/CellMap.h"
#include "resources/MessageTable.h"
#include "resources/TK28950Dispids.h"

namespace dispatch {

namespace {

using C = CTK28950Ctrl;
using component::Variant;
using T = ValueType;
using M = MemberKind;
namespace id = tk28950::dispid;

// Methods: the operation's result is the call's result.
template <QString (CModule::*Op)()> Outcome noArgs(C& c, const Arguments&)
{
    return (c.Module().*Op)();
}

template <QString (CModule::*Op)(bool)> Outcome withFlag(C& c, const Arguments& a)
{
    return (c.Module().*Op)(a.flag(0));
}

template <QString (CModule::*Op)(unsigned char)> Outcome withByte(C& c, const Arguments& a)
{
    return (c.Module().*Op)(a.byte(0));
}

template <QString (CModule::*Op)(const QString&)> Outcome withText(C& c, const Arguments& a)
{
    return (c.Module().*Op)(a.text(0));
}

template <QString (CModule::*Op)(const QString&, const QString&)>
Outcome withTwoTexts(C& c, const Arguments& a)
{
    return (c.Module().*Op)(a.text(0), a.text(1));
}

// What a waiting operation gave the caller: value, unless the request met
// a failure on the way.
Outcome unlessRequestFailed(C& c, Outcome value)
{
    const QString failure = c.Module().LastFailure();
    return failure.isEmpty() ? value : Outcome::requestFailure(failure);
}

// Configuration switches: the operation runs, the caller gets the empty
// text, or the failure that kept the switch from being written.
template <QString (CModule::*Op)(bool)> Outcome switchOption(C& c, const Arguments& a)
{
    (c.Module().*Op)(a.flag(0));
    return unlessRequestFailed(c, QString());
}

// 16-bit properties kept in the module: read operation, write operation.
template <qint16 (CModule::*Get)()> Outcome readShort(C& c, const Arguments&)
{
    const qint16 value = (c.Module().*Get)();
    return unlessRequestFailed(c, Variant(value));
}

template <QString (CModule::*Set)(int)> Outcome writeShort(C& c, const Arguments& a)
{
    (c.Module().*Set)(a.number(0));
    c.SetModified();
    return unlessRequestFailed(c, {});
}

// Signal outputs: the read fetches all four flags and gives one of them.
template <int Index> Outcome readSignal(C& c, const Arguments&)
{
    c.Module().ReadSignals();
    return unlessRequestFailed(c, Variant(static_cast<qint16>(c.Module().Signal(Index) ? 1 : 0)));
}

template <QString (CModule::*Set)(bool)> Outcome writeSignal(C& c, const Arguments& a)
{
    (c.Module().*Set)(a.number(0) != 0);
    c.SetModified();
    return unlessRequestFailed(c, {});
}

// Signals 3 and 4 have no command of their own.
Outcome markModified(C& c, const Arguments&)
{
    c.SetModified();
    return {};
}

// Gains, read by the control itself from their cells.
template <int Cell> Outcome readGain(C& c, const Arguments&)
{
    return c.GainText(Cell);
}

template <QString (CModule::*Set)(const QString&)> Outcome writeGain(C& c, const Arguments& a)
{
    if (!c.IsInitialised())
        return {};
    (c.Module().*Set)(a.text(0));
    c.SetModified();
    return unlessRequestFailed(c, {});
}

template <int Cell> Outcome readAmp(C& c, const Arguments&)
{
    return c.Amp(Cell);
}

template <QString (CModule::*Set)(const QString&)> Outcome writeAmp(C& c, const Arguments& a)
{
    (c.Module().*Set)(QString::number(a.number(0)));
    c.SetModified();
    return unlessRequestFailed(c, {});
}

template <int LowCell> Outcome readOffset(C& c, const Arguments&)
{
    return c.GlobalOffset(LowCell);
}

template <int LowCell> Outcome writeOffset(C& c, const Arguments& a)
{
    return c.SetGlobalOffset(LowCell, a.number(0));
}

const Param kStatus{"vStatus", T::Boolean};

} // namespace

const QVector<Member>& controlMembers()
{
    static const QVector<Member> members{
        // Methods.
        {id::AboutBox,
         "AboutBox",
         "AboutBox",
         M::Method,
         {},
         T::None,
         [](C& c, const Arguments&) -> Outcome {
             c.AboutBox();
             return {};
         },
         nullptr},
        {id::InitModule,
         "InitModule",
         "InitModule",
         M::Method,
         {{"PortNumber", T::Text}},
         T::Text,
         [](C& c, const Arguments& a) { return c.InitModule(a.text(0)); },
         nullptr},
        {id::SendCMD,
         "SendCMD",
         "SendCMD",
         M::Method,
         {{"CMD", T::Text}},
         T::Text,
         [](C& c, const Arguments& a) -> Outcome {
             c.Module().SendCMD(a.text(0));
             return LoadMessage(Msg::Ok);
         },
         nullptr},
        {id::ReadTemperature,
         "ReadTemperature",
         "ReadTemperature",
         M::Method,
         {{"Temperature", T::Text}},
         T::Text,
         withText<&CModule::ReadTemperature>,
         nullptr},
        {id::ResetModule,
         "ResetModule",
         "ResetModule",
         M::Method,
         {},
         T::Text,
         noArgs<&CModule::ResetModule>,
         nullptr},
        {id::Sleep,
         "Sleep",
         "Sleep",
         M::Method,
         {{"vOn", T::Boolean}},
         T::Text,
         withFlag<&CModule::Sleep>,
         nullptr},
        {id::Correction,
         "Correction",
         "Correction",
         M::Method,
         {kStatus},
         T::Text,
         withFlag<&CModule::Correction>,
         nullptr},
        {id::OutputAngle,
         "OutputAngle",
         "OutputAngle",
         M::Method,
         {kStatus},
         T::Text,
         withFlag<&CModule::OutputAngle>,
         nullptr},
        {id::EnableDAC,
         "EnableDAC",
         "EnableDAC",
         M::Method,
         {kStatus},
         T::Text,
         withFlag<&CModule::EnableDAC>,
         nullptr},
        {id::ResetEEPROM,
         "ResetEEPROM",
         "ResetEEPROM",
         M::Method,
         {},
         T::Text,
         noArgs<&CModule::ResetEEPROM>,
         nullptr},
        {id::ReadXChan,
         "ReadXChan",
         "ReadXChan",
         M::Method,
         {{"Option", T::Byte}},
         T::Text,
         withByte<&CModule::ReadXChan>,
         nullptr},
        {id::ReadYChan,
         "ReadYChan",
         "ReadYChan",
         M::Method,
         {{"Option", T::Byte}},
         T::Text,
         withByte<&CModule::ReadYChan>,
         nullptr},
        {id::ReadEEPROM,
         "ReadEEPROM",
         "ReadEEPROM",
         M::Method,
         {{"Address", T::Text}},
         T::Text,
         withText<&CModule::ReadEEPROM>,
         nullptr},
        {id::WriteEEPROM,
         "WriteEEPROM",
         "WriteEEPROM",
         M::Method,
         {{"Address", T::Text}, {"Value", T::Text}},
         T::Text,
         withTwoTexts<&CModule::WriteEEPROM>,
         nullptr},
        {id::StupAngleOn,
         "StupAngleOn",
         "StupAngleOn",
         M::Method,
         {kStatus},
         T::Text,
         switchOption<&CModule::StupAngleOn>,
         nullptr,
         kCallWaits},
        {id::EnResetEE,
         "EnResetEE",
         "EnResetEE",
         M::Method,
         {kStatus},
         T::Text,
         switchOption<&CModule::EnResetEE>,
         nullptr,
         kCallWaits},
        {id::StupEnCorrection,
         "StupEnCorrection",
         "StupEnCorrection",
         M::Method,
         {kStatus},
         T::Text,
         switchOption<&CModule::StupEnCorrection>,
         nullptr,
         kCallWaits},
        {id::Version,
         "Version",
         "Version",
         M::Method,
         {},
         T::Text,
         [](C& c, const Arguments&) -> Outcome {
             c.Module().Version();
             return QString();
         },
         nullptr},
        {id::LoadCoef,
         "LoadCoef",
         "LoadCoef",
         M::Method,
         {{"Axis", T::Text}, {"File", T::Text}},
         T::Text,
         withTwoTexts<&CModule::LoadCoef>,
         nullptr,
         kCallWaits},
        {id::RangeAvailable,
         "RangeAvailable",
         "RangeAvailable",
         M::Method,
         {},
         T::Text,
         [](C&, const Arguments&) -> Outcome { return QStringLiteral("170,180"); },
         nullptr},
        {id::EnableTempCorr,
         "EnableTempCorr",
         "EnableTempCorr",
         M::Method,
         {kStatus},
         T::Text,
         withFlag<&CModule::EnableTempCorr>,
         nullptr,
         kCallWaits},
        {id::TemperatureCoef,
         "TemperatureCoef",
         "TemperatureCoef",
         M::Method,
         {{"Axis", T::Text},
          {"MTenSlope", T::Text},
          {"MTenOff", T::Text},
          {"FiftySlope", T::Text},
          {"FiftyOff", T::Text}},
         T::Text,
         [](C& c, const Arguments& a) -> Outcome {
             return c.Module().TemperatureCoef(a.text(0), a.text(1), a.text(2), a.text(3),
                                               a.text(4));
         },
         nullptr,
         kCallWaits},

        // Properties.
        {id::ModuleName,
         "ModuleName",
         "ModuleName",
         M::Property,
         {},
         T::Text,
         [](C& c, const Arguments&) -> Outcome { return c.ModuleName(); },
         [](C& c, const Arguments& a) -> Outcome {
             c.SetModuleName(a.text(0));
             return {};
         }},
        {id::GlobalXOff,
         "GlobalXOff",
         "GlobalXOff",
         M::Property,
         {},
         T::Short,
         readOffset<CellMap::kGlobalOffsetX>,
         writeOffset<CellMap::kGlobalOffsetX>,
         kBothWait},
        {id::GlobalYOff,
         "GlobalYOff",
         "GlobalYOff",
         M::Property,
         {},
         T::Short,
         readOffset<CellMap::kGlobalOffsetY>,
         writeOffset<CellMap::kGlobalOffsetY>,
         kBothWait},
        {id::GainX,
         "GainX",
         "GainX",
         M::Property,
         {},
         T::Text,
         readGain<CellMap::kGainX>,
         writeGain<&CModule::SetGainX>,
         kBothWait},
        {id::GainY,
         "GainY",
         "GainY",
         M::Property,
         {},
         T::Text,
         readGain<CellMap::kGainY>,
         writeGain<&CModule::SetGainY>,
         kBothWait},
        {id::SerialNumber,
         "SerialNumber",
         nullptr,
         M::Property,
         {},
         T::Short,
         readShort<&CModule::GetSerialNumber>,
         writeShort<&CModule::SetSerialNumber>,
         kBothWait},
        {id::ScaleFactorX,
         "ScaleFactor",
         "ScaleFactorX",
         M::Property,
         {},
         T::Short,
         readShort<&CModule::GetScaleFactorX>,
         writeShort<&CModule::SetScaleFactorX>,
         kBothWait},
        {id::ThreWind1,
         "ThreWind1",
         "ThreWind1",
         M::Property,
         {},
         T::Short,
         readShort<&CModule::GetThreWind1>,
         writeShort<&CModule::SetThreWind1>,
         kBothWait},
        {id::ThreWind2,
         "ThreWind2",
         "ThreWind2",
         M::Property,
         {},
         T::Short,
         readShort<&CModule::GetThreWind2>,
         writeShort<&CModule::SetThreWind2>,
         kBothWait},
        {id::Threshold1,
         "Threshold1",
         "Threshold1",
         M::Property,
         {},
         T::Short,
         readShort<&CModule::GetThreshold1>,
         writeShort<&CModule::SetThreshold1>,
         kBothWait},
        {id::Threshold2,
         "Threshold2",
         "Threshold2",
         M::Property,
         {},
         T::Short,
         readShort<&CModule::GetThreshold2>,
         writeShort<&CModule::SetThreshold2>,
         kBothWait},
        {id::Signal1,
         "Signal1",
         "Signal1",
         M::Property,
         {},
         T::Short,
         readSignal<1>,
         writeSignal<&CModule::SetSignal1>,
         kBothWait},
        {id::Signal2,
         "Signal2",
         "Signal2",
         M::Property,
         {},
         T::Short,
         readSignal<2>,
         writeSignal<&CModule::SetSignal2>,
         kBothWait},
        {id::Signal3,
         "Signal3",
         "Signal3",
         M::Property,
         {},
         T::Short,
         readSignal<3>,
         markModified,
         kCallWaits},
        {id::Signal4,
         "Signal4",
         "Signal4",
         M::Property,
         {},
         T::Short,
         readSignal<4>,
         markModified,
         kCallWaits},
        {id::SN,
         "SN",
         "SN",
         M::Property,
         {},
         T::Short,
         readShort<&CModule::GetSerialNumber>,
         writeShort<&CModule::SetSerialNumber>,
         kBothWait},
        {id::AmpX,
         "AmpX",
         "AmpX",
         M::Property,
         {},
         T::Short,
         readAmp<CellMap::kGainX>,
         writeAmp<&CModule::SetGainX>,
         kBothWait},
        {id::AmpY,
         "AmpY",
         "AmpY",
         M::Property,
         {},
         T::Short,
         readAmp<CellMap::kGainY>,
         writeAmp<&CModule::SetGainY>,
         kBothWait},
        {id::ScaleFactorY,
         "ScaleFactorY",
         "ScaleFactorY",
         M::Property,
         {},
         T::Short,
         readShort<&CModule::GetScaleFactorY>,
         writeShort<&CModule::SetScaleFactorY>,
         kBothWait},
        {id::ZoomX,
         "ZoomX",
         "ZoomX",
         M::Property,
         {},
         T::Short,
         readShort<&CModule::GetZoomX>,
         writeShort<&CModule::SetZoomX>,
         kBothWait},
        {id::ZoomY,
         "ZoomY",
         "ZoomY",
         M::Property,
         {},
         T::Short,
         readShort<&CModule::GetZoomY>,
         writeShort<&CModule::SetZoomY>,
         kBothWait},
        {id::TemperatureOffset,
         "TemperatureOffset",
         "TemperatureOffset",
         M::Property,
         {},
         T::Text,
         [](C& c, const Arguments&) -> Outcome { return c.TemperatureOffsetText(); },
         [](C& c, const Arguments& a) { return c.SetTemperatureOffsetText(a.text(0)); },
         kBothWait},
        {id::PortError,
         "PortError",
         "PortError",
         M::Property,
         {},
         T::Text,
         [](C& c, const Arguments&) -> Outcome { return c.PortError(); },
         nullptr},
    };
    return members;
}

} // namespace dispatch
