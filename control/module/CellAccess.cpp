#include "CellAccess.h"

#include "CModule.h"

#include "CellMap.h"
#include "QuotedInput.h"
#include "TextNumbers.h"
#include "link/ModuleLink.h"
#include "resources/MessageTable.h"

#include <cmath>

namespace {

constexpr int kMin16 = -32768;
constexpr int kMax16 = 32767;

QString Invalid16Text(int value)
{
    return QStringLiteral("Invalid 16-bit value: %1 (%2 to %3)").arg(value).arg(kMin16).arg(kMax16);
}

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

CCellAccess::CCellAccess(CModuleLink& link, CModule& module) : m_link(link), m_module(module) {}

CCellAccess::CellAnswer CCellAccess::ReadCell(int address)
{
    if (m_link.TimedOut())
        return {};
    m_link.ClearReply();
    m_module.ReadEEPROM(QString::number(address));
    if (!m_link.LastSendSucceeded())
        return {};
    m_link.WaitForReply();
    if (m_link.TimedOut() || m_link.WaitFailed())
        return {};
    return {true, m_link.Reply()};
}

int CCellAccess::ReadCellValue(int address)
{
    const CellAnswer answer = ReadCell(address);
    return answer.answered ? TextNumbers::LeadingInt(answer.text) : 0;
}

// The cell's value only when the module really gave one.
std::optional<int> CCellAccess::ReadCellByte(int address)
{
    const CellAnswer answer = ReadCell(address);
    const std::optional<qint64> value =
        answer.answered ? TextNumbers::StrictDecimal(answer.text) : std::nullopt;
    if (!value || *value < 0 || *value > CellMap::kMaxByte)
        return std::nullopt;
    return int(*value);
}

QString CCellAccess::WriteCell(int address, int value)
{
    return WriteCellText(QString::number(address), QString::number(value));
}

QString CCellAccess::WriteCellText(const QString& address, const QString& value)
{
    if (m_link.TimedOut())
        return LoadMessage(Msg::TimeOut);
    m_link.ClearReply();
    const QString sent = m_module.WriteEEPROM(address, value);
    if (sent != LoadMessage(Msg::Ok))
        return sent;
    if (!m_link.LastSendSucceeded())
        return LoadMessage(Msg::CommError);
    m_link.WaitForReply();
    if (m_link.TimedOut())
        return LoadMessage(Msg::TimeOut);
    return m_link.WaitFailed() ? LoadMessage(Msg::CommError) : LoadMessage(Msg::Ok);
}

qint16 CCellAccess::Read16(int lowCell)
{
    const int low = ReadCellValue(lowCell);
    const int high = ReadCellValue(lowCell + 1);
    return qint16(quint16(low | (high << 8)));
}

QString CCellAccess::Write16(int lowCell, int value)
{
    if (value < kMin16 || value > kMax16)
        return Invalid16Text(value);
    const QString low = WriteCell(lowCell, value & 0xFF);
    if (low != LoadMessage(Msg::Ok))
        return low;
    return WriteCell(lowCell + 1, (value >> 8) & 0xFF);
}

// Nothing is written unless the cell was read: a value built from a failed
// read would clear the bits that the update is meant to keep.
QString CCellAccess::UpdateCell(int address, const std::function<int(int)>& change,
                                const QString& success)
{
    const std::optional<int> old = ReadCellByte(address);
    if (!old)
        return QStringLiteral("EEPROM cell %1 could not be read; nothing written").arg(address);
    const QString written = WriteCell(address, change(*old) & 0xFF);
    return written == LoadMessage(Msg::Ok) ? success : written;
}

qint16 CCellAccess::Read16Request(int lowCell)
{
    return m_link.NumberRequest([=, this] { return Read16(lowCell); });
}

QString CCellAccess::Write16Request(int lowCell, int value)
{
    return m_link.TextRequest([=, this] { return Write16(lowCell, value); });
}

QStringList CCellAccess::ReadReplies(std::initializer_list<int> cells)
{
    QStringList replies;
    if (m_link.TimedOut() || !m_link.BeginRequest())
        return replies;
    for (int cell : cells) {
        m_link.ClearReply();
        m_module.ReadEEPROM(QString::number(cell));
        m_link.WaitForReply();
        replies << m_link.Reply();
        if (m_link.TimedOut())
            break;
    }
    m_link.EndRequest();
    return replies;
}

void CCellAccess::WriteValues(std::initializer_list<std::pair<int, int>> cellValues)
{
    if (m_link.TimedOut() || !m_link.BeginRequest())
        return;
    for (const auto& [cell, value] : cellValues) {
        m_link.ClearReply();
        m_module.WriteEEPROM(QString::number(cell), QString::number(value));
        m_link.WaitForReply();
        if (m_link.TimedOut())
            break;
    }
    m_link.EndRequest();
}

QString CCellAccess::UpdateConfigBit(int bit, bool on)
{
    return m_link.TextRequest([=, this] {
        return UpdateCell(
            CellMap::kConfiguration, [=](int old) { return on ? old & ~bit : old | bit; },
            LoadMessage(on ? Msg::Enable : Msg::Disable));
    });
}

QString CCellAccess::UpdateTemperatureCorrection(bool on)
{
    return m_link.TextRequest([=, this] {
        constexpr int bit = CellMap::kTemperatureCorrectionBit;
        return UpdateCell(
            CellMap::kTemperatureCorrection, [=](int old) { return on ? old | bit : old & ~bit; },
            LoadMessage(Msg::Ok));
    });
}

qint16 CCellAccess::ReadZoom(int shift)
{
    return m_link.NumberRequest([=, this] {
        const int code = (ReadCellValue(CellMap::kZoom) >> shift) & kZoomCodeMask;
        return qint16(1 << code);
    });
}

QString CCellAccess::WriteZoom(int shift, int factor)
{
    return m_link.TextRequest([=, this] {
        return UpdateCell(
            CellMap::kZoom,
            [=, this](int old) {
                m_zoomCell = (old & ~(kZoomCodeMask << shift)) | (ZoomCode(factor) << shift);
                return int(m_zoomCell);
            },
            LoadMessage(Msg::Ok));
    });
}

// The texts in the order slope and offset at -10, then at 50 degrees.
QString CCellAccess::WriteTemperatureCoefs(const QString& axis, const std::array<QString, 4>& texts)
{
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
    return m_link.TextRequest([=, this] {
        QString result = LoadMessage(Msg::Ok);
        for (size_t i = 0; i < stored.size() && result == LoadMessage(Msg::Ok); ++i)
            result = Write16(firstCell + 2 * int(i), stored[i]);
        return result;
    });
}
