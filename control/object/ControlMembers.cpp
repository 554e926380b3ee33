// The control's member table: each row of the member facts joined with the
// code that serves it. A property kept in the module's cells is served
// from its row (where it lies and in which shape); every other member has
// its code here, found by its dispid. The small templates below are the
// forwards to the module object, one per shape of operation.
#include "CTK28950Ctrl.h"
#include "DispatchTable.h"
#include "resources/MessageTable.h"

#include <algorithm>
#include <iterator>

namespace dispatch {

namespace {

using C = CTK28950Ctrl;
using component::Variant;
using tk28950::CellShape;
using tk28950::MemberFacts;
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

// A write of a setting kept in the module: the control is modified whether
// or not the module took it, and the caller learns what failed.
Outcome afterWrite(C& c)
{
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
    return afterWrite(c);
}

// Signals 3 and 4 have no command of their own.
Outcome markModified(C& c, const Arguments&)
{
    c.SetModified();
    return {};
}

// The code of a member that is not a property kept in cells.
struct Served {
    component::DispId dispid;
    Handler call;
    Handler put = nullptr;
    unsigned waits = kNoWait;
};

const Served kServed[] = {
    // Methods.
    {id::AboutBox,
     [](C& c, const Arguments&) -> Outcome {
         c.AboutBox();
         return {};
     }},
    {id::InitModule, [](C& c, const Arguments& a) { return c.InitModule(a.text(0)); }},
    {id::SendCMD,
     [](C& c, const Arguments& a) -> Outcome {
         c.Module().SendCMD(a.text(0));
         return LoadMessage(Msg::Ok);
     }},
    {id::ReadTemperature, withText<&CModule::ReadTemperature>},
    {id::ResetModule, noArgs<&CModule::ResetModule>},
    {id::Sleep, withFlag<&CModule::Sleep>},
    {id::Correction, withFlag<&CModule::Correction>},
    {id::OutputAngle, withFlag<&CModule::OutputAngle>},
    {id::EnableDAC, withFlag<&CModule::EnableDAC>},
    {id::ResetEEPROM, noArgs<&CModule::ResetEEPROM>},
    {id::ReadXChan, withByte<&CModule::ReadXChan>},
    {id::ReadYChan, withByte<&CModule::ReadYChan>},
    {id::ReadEEPROM, withText<&CModule::ReadEEPROM>},
    {id::WriteEEPROM, withTwoTexts<&CModule::WriteEEPROM>},
    {id::StupAngleOn, switchOption<&CModule::StupAngleOn>},
    {id::EnResetEE, switchOption<&CModule::EnResetEE>},
    {id::StupEnCorrection, switchOption<&CModule::StupEnCorrection>},
    {id::Version,
     [](C& c, const Arguments&) -> Outcome {
         c.Module().Version();
         return QString();
     }},
    {id::LoadCoef, withTwoTexts<&CModule::LoadCoef>},
    {id::RangeAvailable, [](C&, const Arguments&) -> Outcome { return QStringLiteral("170,180"); }},
    {id::EnableTempCorr, withFlag<&CModule::EnableTempCorr>},
    {id::TemperatureCoef,
     [](C& c, const Arguments& a) -> Outcome {
         return c.Module().TemperatureCoef(a.text(0), a.text(1), a.text(2), a.text(3), a.text(4));
     }},

    // Properties of the control's own, and the signal outputs.
    {id::ModuleName, [](C& c, const Arguments&) -> Outcome { return c.ModuleName(); },
     [](C& c, const Arguments& a) -> Outcome {
         c.SetModuleName(a.text(0));
         return {};
     }},
    {id::Signal1, readSignal<1>, writeSignal<&CModule::SetSignal1>, kBothWait},
    {id::Signal2, readSignal<2>, writeSignal<&CModule::SetSignal2>, kBothWait},
    {id::Signal3, readSignal<3>, markModified, kCallWaits},
    {id::Signal4, readSignal<4>, markModified, kCallWaits},
    {id::PortError, [](C& c, const Arguments&) -> Outcome { return c.PortError(); }},
};

// A setting the module object reads and writes in waiting requests, at the
// row's cells.
template <qint16 (CCellAccess::*Read)(int), QString (CCellAccess::*Write)(int, int)>
Served moduleCells(const MemberFacts& row)
{
    const int at = row.cells.at;
    return {row.dispid,
            [at](C& c, const Arguments&) {
                const qint16 value = (c.Module().Cells().*Read)(at);
                return unlessRequestFailed(c, Variant(value));
            },
            [at](C& c, const Arguments& a) {
                (c.Module().Cells().*Write)(at, a.number(0));
                return afterWrite(c);
            },
            kBothWait};
}

// The code serving a row: a property kept in cells is read and written in
// the shape its row gives; any other member has its code in kServed.
Served servedBy(const MemberFacts& row)
{
    const int at = row.cells.at;
    switch (row.cells.shape) {
    case CellShape::Word:
        return moduleCells<&CCellAccess::Read16Request, &CCellAccess::Write16Request>(row);
    case CellShape::ZoomCode:
        return moduleCells<&CCellAccess::ReadZoom, &CCellAccess::WriteZoom>(row);
    case CellShape::OwnWord:
        return {row.dispid, [at](C& c, const Arguments&) { return c.GlobalOffset(at); },
                [at](C& c, const Arguments& a) { return c.SetGlobalOffset(at, a.number(0)); },
                kBothWait};
    case CellShape::Tenths:
        return {
            row.dispid, [at](C& c, const Arguments&) { return c.TemperatureOffsetText(at); },
            [at](C& c, const Arguments& a) { return c.SetTemperatureOffsetText(at, a.text(0)); },
            kBothWait};
    case CellShape::Gain:
        return {row.dispid, [at](C& c, const Arguments&) { return c.GainText(at); },
                [at](C& c, const Arguments& a) -> Outcome {
                    if (!c.IsInitialised())
                        return {};
                    c.Module().SetGain(at, a.text(0));
                    return afterWrite(c);
                },
                kBothWait};
    case CellShape::Amp:
        return {row.dispid, [at](C& c, const Arguments&) { return c.Amp(at); },
                [at](C& c, const Arguments& a) {
                    c.Module().SetGain(at, QString::number(a.number(0)));
                    return afterWrite(c);
                },
                kBothWait};
    case CellShape::None:
        break;
    }
    const auto* served = std::find_if(std::begin(kServed), std::end(kServed),
                                      [&row](const Served& s) { return s.dispid == row.dispid; });
    return served == std::end(kServed) ? Served{row.dispid, nullptr} : *served;
}

// A method waits inside the call when its facts say its result does.
unsigned methodWaits(const MemberFacts& row)
{
    const bool waits =
        row.result == tk28950::Result::WaitsForOk || row.result == tk28950::Result::WaitsForValue;
    return waits ? kCallWaits : kNoWait;
}

} // namespace

QVector<Member> membersOf(std::span<const MemberFacts> rows)
{
    QVector<Member> members;
    for (const MemberFacts& row : rows) {
        const Served served = servedBy(row);
        const bool method = row.kind == MemberKind::Method;
        members.append({row.dispid, row.alias ? row.alias : row.name,
                        row.published ? row.name : nullptr, row.kind,
                        QVector<Param>(row.params.begin(), row.params.end()), row.type, served.call,
                        method || row.readOnly ? nullptr : served.put,
                        method ? methodWaits(row) : served.waits});
    }
    return members;
}

const QVector<Member>& controlMembers()
{
    static const QVector<Member> members = membersOf(tk28950::members::kTable);
    return members;
}

} // namespace dispatch
