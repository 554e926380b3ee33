#pragma once
// What a host needs to know of each published method beyond its signature:
// how its result comes back, and how many request-and-answer exchanges with
// the module one call makes at the most (which bounds how long it may take).
// The control's member table is checked against this table by its tests.
#include "ModuleLimits.h"
#include "TK28950Dispids.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace tk28950 {

enum class Result {
    Immediate,    // the call's result is all there is; nothing is sent
    ByEvent,      // the call sends a command and returns; the answer comes as an event
    WaitsForOk,   // the call waits for the module; "Ok" when it succeeded, else what failed
    WaitsForValue // the call waits for the module; its result is what the module said
};

struct MethodFacts {
    std::int32_t dispid;
    Result result;
    int exchanges;
};

inline constexpr MethodFacts kMethodFacts[] = {
    {dispid::AboutBox, Result::Immediate, 0},
    {dispid::InitModule, Result::Immediate, 0},
    {dispid::SendCMD, Result::ByEvent, 1},
    {dispid::ReadTemperature, Result::ByEvent, 1},
    {dispid::ResetModule, Result::ByEvent, 1},
    {dispid::Sleep, Result::ByEvent, 1},
    {dispid::Correction, Result::ByEvent, 1},
    {dispid::OutputAngle, Result::ByEvent, 1},
    {dispid::EnableDAC, Result::ByEvent, 1},
    {dispid::ResetEEPROM, Result::ByEvent, 1},
    {dispid::ReadXChan, Result::ByEvent, 1},
    {dispid::ReadYChan, Result::ByEvent, 1},
    {dispid::ReadEEPROM, Result::ByEvent, 1},
    {dispid::WriteEEPROM, Result::ByEvent, 1},
    {dispid::StupAngleOn, Result::WaitsForValue, 2},
    {dispid::EnResetEE, Result::WaitsForValue, 2},
    {dispid::StupEnCorrection, Result::WaitsForValue, 2},
    {dispid::Version, Result::ByEvent, 1},
    // One cell write for each of the 56 coefficients of an axis, and one to spare.
    {dispid::LoadCoef, Result::WaitsForOk, 57},
    {dispid::RangeAvailable, Result::Immediate, 0},
    {dispid::EnableTempCorr, Result::WaitsForOk, 2},
    // Four coefficients of two cells each.
    {dispid::TemperatureCoef, Result::WaitsForOk, 8},
};

// A property read or written makes at most this many exchanges: a 16-bit
// value lies in two cells.
inline constexpr int kPropertyExchanges = 2;

// The facts of a published method; nullptr for any other dispid.
constexpr const MethodFacts* methodFacts(std::int32_t id)
{
    const auto* facts = std::find_if(std::begin(kMethodFacts), std::end(kMethodFacts),
                                     [id](const MethodFacts& row) { return row.dispid == id; });
    return facts == std::end(kMethodFacts) ? nullptr : facts;
}

} // namespace tk28950
