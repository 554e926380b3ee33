// The asynchronous commands: each sends its command text and returns at
// once; the answer is parsed when it arrives and reaches the host as an
// event. They do not check the initialised flag: without a port nothing is
// sent, and then no context entry is queued either.
#include "CModule.h"

#include "CellMap.h"
#include "TextNumbers.h"
#include "resources/MessageTable.h"

#include <utility>

namespace {

QString InvalidNumberText(const char* what, const QString& text)
{
    return QStringLiteral("Invalid EEPROM %1: \"%2\" (a number from 0 to %3)")
        .arg(QLatin1String(what), text)
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

int CModule::SendWith(const QString& text, const QString& context, bool raw)
{
    return SendCommand(text, context, raw, std::exchange(m_nextResends, 0));
}

QString CModule::SendToggle(int command, bool on)
{
    SendWith(LoadMessage(command), LoadMessage(on ? Msg::On : Msg::Off));
    return LoadMessage(Msg::Ok);
}

QString CModule::ReadTemperature(const QString& unit)
{
    const int context = unit.toLower() == QLatin1String("f") ? Msg::Fahrenheit : Msg::Centigrade;
    SendWith(LoadMessage(Msg::CmdTemperature), LoadMessage(context));
    return LoadMessage(Msg::Ok);
}

QString CModule::Correction(bool on)
{
    return SendToggle(Msg::CmdCorrection, on);
}

QString CModule::ResetModule()
{
    ClearPending();
    DiscardLine();
    SendWith(LoadMessage(Msg::CmdReset));
    return LoadMessage(Msg::Ok);
}

QString CModule::SendCMD(const QString& text)
{
    SendWith(text, {}, true);
    return {};
}

QString CModule::Version()
{
    SendWith(LoadMessage(Msg::CmdVersion));
    return LoadMessage(Msg::Ok);
}

QString CModule::ResetEEPROM()
{
    SendWith(LoadMessage(Msg::CmdEepromReset));
    return {};
}

QString CModule::OutputAngle(bool on)
{
    return SendToggle(Msg::CmdAngleOutput, on);
}

QString CModule::EnableDAC(bool on)
{
    return SendToggle(Msg::CmdDac, on);
}

QString CModule::ReadXChan(unsigned char)
{
    SendWith(LoadMessage(Msg::CmdXChannel));
    return LoadMessage(Msg::Ok);
}

QString CModule::ReadYChan(unsigned char)
{
    SendWith(LoadMessage(Msg::CmdYChannel));
    return LoadMessage(Msg::Ok);
}

QString CModule::Sleep(bool on)
{
    SendWith(LoadMessage(on ? Msg::CmdSleep : Msg::CmdXChannel));
    return LoadMessage(Msg::Ok);
}

// An address that is empty or not a number reads cell 0; one outside the
// cells is never sent, as the three-digit field could not carry it.
QString CModule::ReadEEPROM(const QString& address)
{
    const int cell = TextNumbers::LeadingInt(address);
    if (!IsByte(cell))
        return OutOfRangeText("address", cell);
    SendWith(LoadMessage(Msg::CmdEepromRead) + QString::asprintf("%03u", unsigned(cell)));
    return LoadMessage(Msg::Ok);
}

// A write must name its cell and value exactly: anything else is refused
// without traffic rather than written to a cell nobody asked for.
QString CModule::WriteEEPROM(const QString& address, const QString& value)
{
    qint64 cell = 0;
    qint64 byte = 0;
    QString problem = StrictByteProblem("address", address, &cell);
    if (problem.isEmpty())
        problem = StrictByteProblem("value", value, &byte);
    if (!problem.isEmpty())
        return problem;
    SendWith(LoadMessage(Msg::CmdEepromWrite) +
             QString::asprintf("%03u%03u", unsigned(cell), unsigned(byte)));
    return LoadMessage(Msg::Ok);
}
