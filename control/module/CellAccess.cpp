// Reads and writes of EEPROM cells inside a waiting request, the 16-bit
// settings built on them, and read-modify-write updates of single cells.
#include "CModule.h"

#include "CellMap.h"
#include "TextNumbers.h"
#include "link/ModuleOwner.h"
#include "resources/MessageTable.h"

namespace {

constexpr int kMin16 = -32768;
constexpr int kMax16 = 32767;

QString Invalid16Text(int value)
{
    return QStringLiteral("Invalid 16-bit value: %1 (%2 to %3)").arg(value).arg(kMin16).arg(kMax16);
}

} // namespace

CModule::CellAnswer CModule::ReadCell(int address)
{
    if (m_pControl->TimedOut())
        return {};
    ClearReply();
    ReadEEPROM(QString::number(address));
    if (!LastSendSucceeded())
        return {};
    WaitForReply();
    if (m_pControl->TimedOut() || WaitFailed())
        return {};
    return {true, m_strReply};
}

int CModule::ReadCellValue(int address)
{
    const CellAnswer answer = ReadCell(address);
    return answer.answered ? TextNumbers::LeadingInt(answer.text) : 0;
}

// The cell's value only when the module really gave one.
std::optional<int> CModule::ReadCellByte(int address)
{
    const CellAnswer answer = ReadCell(address);
    const std::optional<qint64> value =
        answer.answered ? TextNumbers::StrictDecimal(answer.text) : std::nullopt;
    if (!value || *value < 0 || *value > CellMap::kMaxByte)
        return std::nullopt;
    return int(*value);
}

QString CModule::WriteCell(int address, int value)
{
    return WriteCellText(QString::number(address), QString::number(value));
}

QString CModule::WriteCellText(const QString& address, const QString& value)
{
    if (m_pControl->TimedOut())
        return LoadMessage(Msg::TimeOut);
    ClearReply();
    const QString sent = WriteEEPROM(address, value);
    if (sent != LoadMessage(Msg::Ok))
        return sent;
    if (!LastSendSucceeded())
        return LoadMessage(Msg::CommError);
    WaitForReply();
    if (m_pControl->TimedOut())
        return LoadMessage(Msg::TimeOut);
    return WaitFailed() ? LoadMessage(Msg::CommError) : LoadMessage(Msg::Ok);
}

qint16 CModule::Read16(int lowCell)
{
    const int low = ReadCellValue(lowCell);
    const int high = ReadCellValue(lowCell + 1);
    return qint16(quint16(low | (high << 8)));
}

QString CModule::Write16(int lowCell, int value)
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
QString CModule::UpdateCell(int address, const std::function<int(int)>& change,
                            const QString& success)
{
    const std::optional<int> old = ReadCellByte(address);
    if (!old)
        return QStringLiteral("EEPROM cell %1 could not be read; nothing written").arg(address);
    const QString written = WriteCell(address, change(*old) & 0xFF);
    return written == LoadMessage(Msg::Ok) ? success : written;
}

qint16 CModule::GetScaleFactorX()
{
    return NumberRequest([this] { return Read16(CellMap::kScaleFactorX); });
}

QString CModule::SetScaleFactorX(int value)
{
    return TextRequest([=, this] { return Write16(CellMap::kScaleFactorX, value); });
}

QString CModule::SetThreWind1(int value)
{
    return TextRequest([=, this] { return Write16(CellMap::kThresholdWindow1, value); });
}

QString CModule::SetThreWind2(int value)
{
    return TextRequest([=, this] { return Write16(CellMap::kThresholdWindow2, value); });
}

qint16 CModule::GetThreWind1()
{
    return NumberRequest([this] { return Read16(CellMap::kThresholdWindow1); });
}

qint16 CModule::GetThreWind2()
{
    return NumberRequest([this] { return Read16(CellMap::kThresholdWindow2); });
}

QString CModule::SetThreshold1(int value)
{
    return TextRequest([=, this] { return Write16(CellMap::kThreshold1, value); });
}

QString CModule::SetThreshold2(int value)
{
    return TextRequest([=, this] { return Write16(CellMap::kThreshold2, value); });
}

qint16 CModule::GetThreshold1()
{
    return NumberRequest([this] { return Read16(CellMap::kThreshold1); });
}

qint16 CModule::GetThreshold2()
{
    return NumberRequest([this] { return Read16(CellMap::kThreshold2); });
}

qint16 CModule::GetSerialNumber()
{
    return NumberRequest([this] { return Read16(CellMap::kSerialNumber); });
}

QString CModule::SetSerialNumber(int value)
{
    return TextRequest([=, this] { return Write16(CellMap::kSerialNumber, value); });
}

QString CModule::SetScaleFactorY(int value)
{
    return TextRequest([=, this] { return Write16(CellMap::kScaleFactorY, value); });
}

qint16 CModule::GetScaleFactorY()
{
    return NumberRequest([this] { return Read16(CellMap::kScaleFactorY); });
}

qint16 CModule::GetTemperatureOffset()
{
    return NumberRequest([this] { return Read16(CellMap::kTemperatureOffset); });
}

QString CModule::SetTemperatureOffset(int value)
{
    return TextRequest([=, this] { return Write16(CellMap::kTemperatureOffset, value); });
}
