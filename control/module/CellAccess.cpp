#include "CellAccess.h"

#include "CModule.h"

#include "CellMap.h"
#include "QuotedInput.h"
#include "TextNumbers.h"
#include "link/ModuleLink.h"
#include "resources/MessageTable.h"
#include "resources/ModuleAnswers.h"

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

// Sends one EEPROM command through send and waits for its answer. What
// kept it from a sound answer, or empty when the reply holds one.
QString CCellAccess::Exchange(const std::function<QString()>& send)
{
    if (m_link.TimedOut())
        return LoadMessage(Msg::TimeOut);
    m_link.ClearReply();
    const QString sent = send();
    if (sent != LoadMessage(Msg::Ok))
        return sent; // refused without traffic
    if (!m_link.LastSendSucceeded())
        return QStringLiteral("the command could not be sent");
    m_link.WaitForReply();
    if (m_link.TimedOut())
        return LoadMessage(Msg::TimeOut);
    if (m_link.WaitFailed())
        return m_link.WaitFailure();
    if (!m_link.IsLinked()) // the port was released while the command waited
        return QString(ControlTexts::kDeviceDisconnected);
    return {};
}

// The cell's value only when the module really gave one; else the failure
// is noted with the running request.
std::optional<int> CCellAccess::ReadCellByte(int address)
{
    const QString cell = QString::number(address);
    QString failure = Exchange([&, this] { return m_module.ReadEEPROM(cell); });
    const std::optional<int> value = ModuleAnswers::cellValue(m_link.Reply());
    if (failure.isEmpty() && !value)
        failure = QStringLiteral("no answer");
    if (!failure.isEmpty()) {
        Failed(CellFailure(cell, "read", failure));
        return std::nullopt;
    }
    return value;
}

QString CCellAccess::WriteCell(int address, int value)
{
    return WriteCellText(QString::number(address), QString::number(value));
}

QString CCellAccess::WriteCellText(const QString& address, const QString& value)
{
    const QString failure = Exchange([&, this] { return m_module.WriteEEPROM(address, value); });
    if (failure.isEmpty())
        return LoadMessage(Msg::Ok);
    return Failed(CellFailure(address, "written", failure));
}

// A time-out is told by the control's own time-out text alone, which hosts
// recognise; any other failure names the cell.
QString CCellAccess::CellFailure(const QString& address, const char* done, const QString& reason)
{
    if (reason == LoadMessage(Msg::TimeOut))
        return reason;
    return QStringLiteral("EEPROM cell %1 could not be %2: %3")
        .arg(address, QLatin1String(done), reason);
}

QString CCellAccess::Failed(const QString& failure)
{
    m_link.NoteFailure(failure);
    return failure;
}

// Both cells, or nothing: half a value is no value.
std::optional<qint16> CCellAccess::Read16(int lowCell)
{
    const std::optional<int> low = ReadCellByte(lowCell);
    const std::optional<int> high = low ? ReadCellByte(lowCell + 1) : std::nullopt;
    if (!high)
        return std::nullopt;
    return qint16(quint16(*low | (*high << 8)));
}

QString CCellAccess::Write16(int lowCell, int value)
{
    if (value < kMin16 || value > kMax16)
        return Failed(Invalid16Text(value));
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
        return {}; // the failed read is the request's failure
    const QString written = WriteCell(address, change(*old) & 0xFF);
    return written == LoadMessage(Msg::Ok) ? success : written;
}

qint16 CCellAccess::Read16Request(int lowCell)
{
    return m_link.NumberRequest([=, this] { return Read16(lowCell).value_or(0); });
}

QString CCellAccess::Write16Request(int lowCell, int value)
{
    return m_link.TextRequest([=, this] { return Write16(lowCell, value); });
}

std::optional<QList<int>> CCellAccess::ReadValues(std::initializer_list<int> cells)
{
    QList<int> values;
    const bool sound = m_link.RunRequest([&, this] {
        for (int cell : cells) {
            const std::optional<int> value = ReadCellByte(cell);
            if (!value)
                return;
            values << *value;
        }
    });
    return sound ? std::optional(values) : std::nullopt;
}

QString CCellAccess::WriteValues(std::initializer_list<std::pair<int, int>> cellValues)
{
    const bool sound = m_link.RunRequest([&, this] {
        for (const auto& [cell, value] : cellValues)
            if (WriteCell(cell, value) != LoadMessage(Msg::Ok))
                return;
    });
    return sound ? LoadMessage(Msg::Ok) : m_link.LastFailure();
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
        const std::optional<int> cell = ReadCellByte(CellMap::kZoom);
        return cell ? qint16(1 << ((*cell >> shift) & kZoomCodeMask)) : qint16(0);
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
