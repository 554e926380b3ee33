#pragma once
// Where the module keeps its settings: EEPROM cells 0 to 255, one byte
// each; 16-bit settings take two cells, low byte at the lower address.
namespace CellMap {

constexpr int kMaxByte = 255;

constexpr int kGlobalOffsetX = 1;
constexpr int kGlobalOffsetY = 3;
constexpr int kScaleFactorX = 7;
constexpr int kConfiguration = 9;
constexpr int kTemperatureCorrection = 182;
constexpr int kGainX = 187;
constexpr int kGainY = 188;
constexpr int kSerialNumber = 189;
constexpr int kThreshold1 = 191;
constexpr int kThreshold2 = 193;
constexpr int kThresholdWindow1 = 195;
constexpr int kThresholdWindow2 = 197;
constexpr int kScaleFactorY = 199;
constexpr int kZoom = 201;
constexpr int kTemperatureOffset = 202;

// Bits of the configuration cell; a set bit disables the start-up option.
// Bit 7 selects the source of the DAC output and is never changed here.
constexpr int kResetEepromBit = 0x10;
constexpr int kStartupCorrectionBit = 0x20;
constexpr int kStartupAngleBit = 0x40;

constexpr int kTemperatureCorrectionBit = 0x02;

// Zoom cell: the X code in bits 0-1, the Y code in bits 4-5.
constexpr int kZoomShiftX = 0;
constexpr int kZoomShiftY = 4;

// Temperature coefficients: slope and offset at -10 and at 50 degrees,
// four 16-bit values per axis.
constexpr int kTemperatureCoefX = 125;
constexpr int kTemperatureCoefY = 133;

// Coefficient tables: 56 cells per axis in two ranges of 28.
constexpr int kCoefCount = 56;
constexpr int kCoefRange = 28;
constexpr int kCoefFirstX = 13;
constexpr int kCoefSecondX = 69;
constexpr int kCoefFirstY = 41;
constexpr int kCoefSecondY = 97;

// The cell of the index-th coefficient (from 0) of the X or the Y table.
constexpr int coefCell(bool axisX, int index)
{
    const bool firstRange = index < kCoefRange;
    const int start = axisX ? (firstRange ? kCoefFirstX : kCoefSecondX)
                            : (firstRange ? kCoefFirstY : kCoefSecondY);
    return start + index % kCoefRange;
}

} // namespace CellMap
