#include "CommandSet.h"

#include "CellMap.h"
#include "QuotedInput.h"
#include "TextNumbers.h"
#include "link/ModuleLink.h"
#include "resources/MessageTable.h"

namespace {

QString InvalidNumberText(const char* what, const QString& text)
{
    return QStringLiteral("Invalid EEPROM %1: %2 (a number from 0 to %3)")
        .arg(QLatin1String(what), component::quotedInput(text))
        .arg(CellMap::kMaxByte);
}

QString OutOfRangeText(const char* what, qint64 value)
{
    return QStringLiteral("Invalid EEPROM %1: %2 (0 to %3)")
        .arg(QLatin1String(what))
        .arg(value)
        .arg(CellMap::kMaxByte);
}

bool IsByte(qint64 value)
{
    return value >= 0 && value <= CellMap::kMaxByte;
}

// Checks a text that must be a decimal number from 0 to 255; the empty text
// when it is, otherwise why not.
QString StrictByteProblem(const char* what, const QString& text, qint64* value)
{
    const std::optional<qint64> number = TextNumbers::StrictDecimal(text);
    if (!number)
        return InvalidNumberText(what, text);
    if (!IsByte(*number))
        return OutOfRangeText(what, *number);
    *value = *number;
    return {};
}

} // namespace

CCommandSet::CCommandSet(CModuleLink& link) : m_link(link) {}

QString CCommandSet::SendToggle(int command, bool on)
{
    m_link.SendCommand(LoadMessage(command), LoadMessage(on ? Msg::On : Msg::Off));
    return LoadMessage(Msg::Ok);
}

QString CCommandSet::ReadTemperature(const QString& unit)
{
    const int context = unit.toLower() == QLatin1String("f") ? Msg::Fahrenheit : Msg::Centigrade;
    m_link.SendCommand(LoadMessage(Msg::CmdTemperature), LoadMessage(context));
    return LoadMessage(Msg::Ok);
}

QString CCommandSet::Correction(bool on)
{
    return SendToggle(Msg::CmdCorrection, on);
}

QString CCommandSet::ResetModule()
{
    m_link.ClearPending();
    m_link.DiscardLine();
    m_link.SendCommand(LoadMessage(Msg::CmdReset));
    return LoadMessage(Msg::Ok);
}

QString CCommandSet::SendCMD(const QString& text)
{
    m_link.SendCommand(text, {}, true);
    return {};
}

QString CCommandSet::SendPlain(int command)
{
    m_link.SendCommand(LoadMessage(command));
    return LoadMessage(Msg::Ok);
}

QString CCommandSet::Version()
{
    return SendPlain(Msg::CmdVersion);
}

QString CCommandSet::ResetEEPROM()
{
    m_link.SendCommand(LoadMessage(Msg::CmdEepromReset));
    return {};
}

QString CCommandSet::OutputAngle(bool on)
{
    return SendToggle(Msg::CmdAngleOutput, on);
}

QString CCommandSet::EnableDAC(bool on)
{
    return SendToggle(Msg::CmdDac, on);
}

QString CCommandSet::ReadXChan()
{
    return SendPlain(Msg::CmdXChannel);
}

QString CCommandSet::ReadYChan()
{
    return SendPlain(Msg::CmdYChannel);
}

QString CCommandSet::Sleep(bool on)
{
    return SendPlain(on ? Msg::CmdSleep : Msg::CmdXChannel);
}

// An address that is empty or not a number reads cell 0; one outside the
// cells is never sent, as the three-digit field could not carry it.
QString CCommandSet::ReadEEPROM(const QString& address)
{
    const int cell = TextNumbers::LeadingInt(address);
    if (!IsByte(cell))
        return OutOfRangeText("address", cell);
    m_link.SendCommand(LoadMessage(Msg::CmdEepromRead) + QString::asprintf("%03u", unsigned(cell)));
    return LoadMessage(Msg::Ok);
}

// A write must name its cell and value exactly: anything else is refused
// without traffic rather than written to a cell nobody asked for.
QString CCommandSet::WriteEEPROM(const QString& address, const QString& value)
{
    qint64 cell = 0;
    qint64 byte = 0;
    QString problem = StrictByteProblem("address", address, &cell);
    if (problem.isEmpty())
        problem = StrictByteProblem("value", value, &byte);
    if (!problem.isEmpty())
        return problem;
    m_link.SendCommand(LoadMessage(Msg::CmdEepromWrite) +
                       QString::asprintf("%03u%03u", unsigned(cell), unsigned(byte)));
    return LoadMessage(Msg::Ok);
}
