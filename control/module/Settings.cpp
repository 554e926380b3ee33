// Settings kept in bits of shared cells (configuration, zoom, temperature
// correction) and the temperature coefficients.
#include "CModule.h"

#include "CellMap.h"
#include "QuotedInput.h"
#include "TextNumbers.h"
#include "resources/MessageTable.h"

#include <array>
#include <cmath>

namespace {

constexpr int kZoomCodeMask = 0x03;
constexpr float kSlopeScale = 4096.0f;

// Zoom factors 1, 2, 4, 8 are stored as the codes 0 to 3; any other factor
// counts as 1.
int ZoomCode(int factor)
{
    switch (factor) {
    case 2:
        return 1;
    case 4:
        return 2;
    case 8:
        return 3;
    default:
        return 0;
    }
}

struct Coefficient {
    const char* name;
    bool isSlope;
};

constexpr std::array<Coefficient, 4> kCoefficients{{
    {"MTenSlope", true},
    {"MTenOff", false},
    {"FiftySlope", true},
    {"FiftyOff", false},
}};

// The coefficient as stored: slopes scaled by 4096, single precision,
// truncated toward zero. Values the 16-bit cells cannot hold are refused.
std::optional<int> StoredCoefficient(const QString& text, bool isSlope)
{
    const float value = float(TextNumbers::LeadingDouble(text)) * (isSlope ? kSlopeScale : 1.0f);
    const float truncated = std::trunc(value);
    if (!(truncated >= -32768.0f && truncated <= 32767.0f))
        return std::nullopt;
    return int(truncated);
}

} // namespace

QString CModule::UpdateConfigBit(int bit, bool on)
{
    return TextRequest([=, this] {
        return UpdateCell(
            CellMap::kConfiguration, [=](int old) { return on ? old & ~bit : old | bit; },
            LoadMessage(on ? Msg::Enable : Msg::Disable));
    });
}

QString CModule::EnResetEE(bool on)
{
    return UpdateConfigBit(CellMap::kResetEepromBit, on);
}

QString CModule::StupEnCorrection(bool on)
{
    return UpdateConfigBit(CellMap::kStartupCorrectionBit, on);
}

QString CModule::StupAngleOn(bool on)
{
    return UpdateConfigBit(CellMap::kStartupAngleBit, on);
}

QString CModule::EnableTempCorr(bool on)
{
    return TextRequest([=, this] {
        constexpr int bit = CellMap::kTemperatureCorrectionBit;
        return UpdateCell(
            CellMap::kTemperatureCorrection, [=](int old) { return on ? old | bit : old & ~bit; },
            LoadMessage(Msg::Ok));
    });
}

qint16 CModule::ReadZoom(int shift)
{
    return NumberRequest([=, this] {
        const int code = (ReadCellValue(CellMap::kZoom) >> shift) & kZoomCodeMask;
        return qint16(1 << code);
    });
}

QString CModule::WriteZoom(int shift, int factor)
{
    return TextRequest([=, this] {
        return UpdateCell(
            CellMap::kZoom,
            [=, this](int old) {
                m_zoomCell = (old & ~(kZoomCodeMask << shift)) | (ZoomCode(factor) << shift);
                return int(m_zoomCell);
            },
            LoadMessage(Msg::Ok));
    });
}

qint16 CModule::GetZoomX()
{
    return ReadZoom(CellMap::kZoomShiftX);
}

QString CModule::SetZoomX(int factor)
{
    return WriteZoom(CellMap::kZoomShiftX, factor);
}

qint16 CModule::GetZoomY()
{
    return ReadZoom(CellMap::kZoomShiftY);
}

QString CModule::SetZoomY(int factor)
{
    return WriteZoom(CellMap::kZoomShiftY, factor);
}

QString CModule::TemperatureCoef(const QString& axis, const QString& mTenSlope,
                                 const QString& mTenOff, const QString& fiftySlope,
                                 const QString& fiftyOff)
{
    const std::array<QString, 4> texts{mTenSlope, mTenOff, fiftySlope, fiftyOff};
    std::array<int, 4> stored{};
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::optional<int> value = StoredCoefficient(texts[i], kCoefficients[i].isSlope);
        if (!value)
            return QStringLiteral("Invalid temperature coefficient %1: %2 does not fit "
                                  "a 16-bit cell pair")
                .arg(QLatin1String(kCoefficients[i].name), component::quotedInput(texts[i]));
        stored[i] = *value;
    }
    const int firstCell = axis.toLower() == QLatin1String("x") ? CellMap::kTemperatureCoefX
                                                               : CellMap::kTemperatureCoefY;
    return TextRequest([=, this] {
        QString result = LoadMessage(Msg::Ok);
        for (size_t i = 0; i < stored.size() && result == LoadMessage(Msg::Ok); ++i)
            result = Write16(firstCell + 2 * int(i), stored[i]);
        return result;
    });
}
