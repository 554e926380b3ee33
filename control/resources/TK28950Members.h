#pragma once
// The control's members, one row each: dispid, names, kind, type and
// parameters as the type library publishes them; for a method, how its
// result comes back and how many request-and-answer exchanges with the
// module one call makes at the most (which bounds how long it may take);
// for a property kept in the module's cells, where it lies and which values
// it can hold. The control serves its members from this table, and the type
// library, the tool's man page lists and its bash completion are generated
// from it when the project is built.
#include "CellMap.h"
#include "ModuleLimits.h"
#include "TK28950Dispids.h"
#include "ValueType.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <span>

namespace tk28950 {

using ValueType = component::ValueType;
enum class MemberKind { Method, Property };

struct Param {
    const char* name;
    ValueType type;
};

enum class Result {
    Immediate,    // the call's result is all there is; nothing is sent
    ByEvent,      // the call sends a command and returns; the answer comes as an event
    WaitsForOk,   // the call waits for the module; "Ok" when it succeeded, else what failed
    WaitsForValue // the call waits for the module; its result is what the module said
};

// How a property lies in the module's cells; `at` is its (low) cell, or for
// a zoom code the shift of its bits in the zoom cell.
enum class CellShape {
    None,     // not a cell of its own: served by code of the control's own
    Word,     // 16 bits in two cells, low byte first
    OwnWord,  // the same, read and written by the control cell by cell
    Tenths,   // a Word of tenths of a degree, published as text in degrees
    ZoomCode, // a zoom factor kept as a 2-bit code in the zoom cell
    Gain,     // one cell as text; writing it tunes the potentiometers again
    Amp,      // one cell as a number, written as a gain is
};

struct Cells {
    CellShape shape = CellShape::None;
    int at = 0;
};

// How many cells a read of the property reads, one exchange each: none for
// a property not kept in cells of its own.
constexpr int cellsRead(CellShape shape)
{
    switch (shape) {
    case CellShape::None:
        return 0;
    case CellShape::Word:
    case CellShape::OwnWord:
    case CellShape::Tenths:
        return 2;
    case CellShape::ZoomCode:
    case CellShape::Gain:
    case CellShape::Amp:
        return 1;
    }
    return 0;
}

// Which values a property can hold beyond what its type converts: the
// control would pass any other on without a word, or store something else,
// so a host refuses it before anything is sent.
enum class Values {
    Any,
    CellByte,      // a whole number from 0 to 255
    ZoomFactor,    // 1, 2, 4 or 8
    Flag,          // 0 or 1
    TenthsOfDegree // degrees whose tenths fit 16 bits: -3276.8 to 3276.7
};

// Whether degrees, kept as whole tenths (cut toward zero), fit the 16 bits of
// their cells: -3276.8 to 3276.7. Neither a NaN nor an infinity does.
inline bool tenthsFitSixteenBits(double degrees)
{
    const double tenths = std::trunc(degrees * 10);
    return tenths >= std::numeric_limits<std::int16_t>::min() &&
           tenths <= std::numeric_limits<std::int16_t>::max();
}

struct MemberFacts {
    std::int32_t dispid;
    const char* name; // as published
    MemberKind kind = MemberKind::Property;
    ValueType type = ValueType::Short; // a method's result, or the property's type
    std::span<const Param> params = {};
    Result result = Result::Immediate; // of a method
    int exchanges = 0;                 // of a method
    Cells cells = {};
    Values values = Values::Any;
    bool readOnly = false;
    const char* alias = nullptr; // a second name the control answers to
    bool published = true;       // false: served, but not in the type library
};

namespace members {

namespace id = dispid;
using S = CellShape;
using T = ValueType;
using enum MemberKind;
using enum Result;

inline constexpr Param kStatus[] = {{"vStatus", T::Boolean}};
inline constexpr Param kPortNumber[] = {{"PortNumber", T::Text}};
inline constexpr Param kCommand[] = {{"CMD", T::Text}};
inline constexpr Param kUnit[] = {{"Temperature", T::Text}};
inline constexpr Param kOn[] = {{"vOn", T::Boolean}};
inline constexpr Param kOption[] = {{"Option", T::Byte}};
inline constexpr Param kAddress[] = {{"Address", T::Text}};
inline constexpr Param kAddressValue[] = {{"Address", T::Text}, {"Value", T::Text}};
inline constexpr Param kAxisFile[] = {{"Axis", T::Text}, {"File", T::Text}};
inline constexpr Param kTemperatureCoefs[] = {{"Axis", T::Text},
                                              {"MTenSlope", T::Text},
                                              {"MTenOff", T::Text},
                                              {"FiftySlope", T::Text},
                                              {"FiftyOff", T::Text}};

// Methods answered by an event send one command.
constexpr MemberFacts byEvent(std::int32_t dispid, const char* name,
                              std::span<const Param> params = {})
{
    return {.dispid = dispid,
            .name = name,
            .kind = Method,
            .type = T::Text,
            .params = params,
            .result = ByEvent,
            .exchanges = 1};
}

// Start-up options: one bit of the configuration cell, read and written back.
constexpr MemberFacts startupOption(std::int32_t dispid, const char* name)
{
    return {.dispid = dispid,
            .name = name,
            .kind = Method,
            .type = T::Text,
            .params = kStatus,
            .result = WaitsForValue,
            .exchanges = 2};
}

// In the order the type library lists them.
inline constexpr MemberFacts kTable[] = {
    // Methods.
    {.dispid = id::AboutBox, .name = "AboutBox", .kind = Method, .type = T::None},
    {.dispid = id::InitModule,
     .name = "InitModule",
     .kind = Method,
     .type = T::Text,
     .params = kPortNumber},
    byEvent(id::SendCMD, "SendCMD", kCommand),
    byEvent(id::ReadTemperature, "ReadTemperature", kUnit),
    byEvent(id::ResetModule, "ResetModule"),
    byEvent(id::Sleep, "Sleep", kOn),
    byEvent(id::Correction, "Correction", kStatus),
    byEvent(id::OutputAngle, "OutputAngle", kStatus),
    byEvent(id::EnableDAC, "EnableDAC", kStatus),
    byEvent(id::ResetEEPROM, "ResetEEPROM"),
    byEvent(id::ReadXChan, "ReadXChan", kOption),
    byEvent(id::ReadYChan, "ReadYChan", kOption),
    byEvent(id::ReadEEPROM, "ReadEEPROM", kAddress),
    byEvent(id::WriteEEPROM, "WriteEEPROM", kAddressValue),
    startupOption(id::StupAngleOn, "StupAngleOn"),
    startupOption(id::EnResetEE, "EnResetEE"),
    startupOption(id::StupEnCorrection, "StupEnCorrection"),
    byEvent(id::Version, "Version"),
    // One cell write for each coefficient of an axis, and one to spare.
    {.dispid = id::LoadCoef,
     .name = "LoadCoef",
     .kind = Method,
     .type = T::Text,
     .params = kAxisFile,
     .result = WaitsForOk,
     .exchanges = CellMap::kCoefCount + 1},
    {.dispid = id::RangeAvailable, .name = "RangeAvailable", .kind = Method, .type = T::Text},
    {.dispid = id::EnableTempCorr,
     .name = "EnableTempCorr",
     .kind = Method,
     .type = T::Text,
     .params = kStatus,
     .result = WaitsForOk,
     .exchanges = 2},
    // Four coefficients of two cells each.
    {.dispid = id::TemperatureCoef,
     .name = "TemperatureCoef",
     .kind = Method,
     .type = T::Text,
     .params = kTemperatureCoefs,
     .result = WaitsForOk,
     .exchanges = 8},

    // Properties.
    {.dispid = id::ModuleName, .name = "ModuleName", .type = T::Text},
    {.dispid = id::GlobalXOff,
     .name = "GlobalXOff",
     .cells = {S::OwnWord, CellMap::kGlobalOffsetX}},
    {.dispid = id::GlobalYOff,
     .name = "GlobalYOff",
     .cells = {S::OwnWord, CellMap::kGlobalOffsetY}},
    {.dispid = id::GainX,
     .name = "GainX",
     .type = T::Text,
     .cells = {S::Gain, CellMap::kGainX},
     .values = Values::CellByte},
    {.dispid = id::GainY,
     .name = "GainY",
     .type = T::Text,
     .cells = {S::Gain, CellMap::kGainY},
     .values = Values::CellByte},
    {.dispid = id::SerialNumber,
     .name = "SerialNumber",
     .cells = {S::Word, CellMap::kSerialNumber},
     .published = false},
    {.dispid = id::ScaleFactorX,
     .name = "ScaleFactorX",
     .cells = {S::Word, CellMap::kScaleFactorX},
     .alias = "ScaleFactor"},
    {.dispid = id::ThreWind1, .name = "ThreWind1", .cells = {S::Word, CellMap::kThresholdWindow1}},
    {.dispid = id::ThreWind2, .name = "ThreWind2", .cells = {S::Word, CellMap::kThresholdWindow2}},
    {.dispid = id::Threshold1, .name = "Threshold1", .cells = {S::Word, CellMap::kThreshold1}},
    {.dispid = id::Threshold2, .name = "Threshold2", .cells = {S::Word, CellMap::kThreshold2}},
    {.dispid = id::Signal1, .name = "Signal1", .values = Values::Flag},
    {.dispid = id::Signal2, .name = "Signal2", .values = Values::Flag},
    {.dispid = id::Signal3, .name = "Signal3", .values = Values::Flag},
    {.dispid = id::Signal4, .name = "Signal4", .values = Values::Flag},
    {.dispid = id::SN, .name = "SN", .cells = {S::Word, CellMap::kSerialNumber}},
    {.dispid = id::AmpX,
     .name = "AmpX",
     .cells = {S::Amp, CellMap::kGainX},
     .values = Values::CellByte},
    {.dispid = id::AmpY,
     .name = "AmpY",
     .cells = {S::Amp, CellMap::kGainY},
     .values = Values::CellByte},
    {.dispid = id::ScaleFactorY,
     .name = "ScaleFactorY",
     .cells = {S::Word, CellMap::kScaleFactorY}},
    {.dispid = id::ZoomX,
     .name = "ZoomX",
     .cells = {S::ZoomCode, CellMap::kZoomShiftX},
     .values = Values::ZoomFactor},
    {.dispid = id::ZoomY,
     .name = "ZoomY",
     .cells = {S::ZoomCode, CellMap::kZoomShiftY},
     .values = Values::ZoomFactor},
    {.dispid = id::TemperatureOffset,
     .name = "TemperatureOffset",
     .type = T::Text,
     .cells = {S::Tenths, CellMap::kTemperatureOffset},
     .values = Values::TenthsOfDegree},
    {.dispid = id::PortError, .name = "PortError", .type = T::Text, .readOnly = true},
};

} // namespace members

// A property read or written makes at most this many exchanges: a 16-bit
// value lies in two cells.
inline constexpr int kPropertyExchanges = 2;

// The row of a member; nullptr for an unknown dispid.
constexpr const MemberFacts* memberFacts(std::int32_t id)
{
    const auto* row = std::find_if(std::begin(members::kTable), std::end(members::kTable),
                                   [id](const MemberFacts& facts) { return facts.dispid == id; });
    return row == std::end(members::kTable) ? nullptr : row;
}

// The row of a method; nullptr for any other dispid.
constexpr const MemberFacts* methodFacts(std::int32_t id)
{
    const MemberFacts* row = memberFacts(id);
    return row && row->kind == MemberKind::Method ? row : nullptr;
}

} // namespace tk28950
