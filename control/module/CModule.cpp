#include "CModule.h"

#include "CellMap.h"
#include "resources/MessageTable.h"

CModule::CModule() : m_parser(m_link, *this), m_commands(m_link), m_cells(m_link, *this)
{
    m_link.SetParser(&m_parser);
}

CModule::~CModule() = default;

QString CModule::ReadTemperature(const QString& unit)
{
    return m_commands.ReadTemperature(unit);
}

QString CModule::Correction(bool on)
{
    return m_commands.Correction(on);
}

QString CModule::ResetModule()
{
    return m_commands.ResetModule();
}

QString CModule::SendCMD(const QString& text)
{
    return m_commands.SendCMD(text);
}

QString CModule::Version()
{
    return m_commands.Version();
}

QString CModule::ResetEEPROM()
{
    return m_commands.ResetEEPROM();
}

QString CModule::OutputAngle(bool on)
{
    return m_commands.OutputAngle(on);
}

QString CModule::EnableDAC(bool on)
{
    return m_commands.EnableDAC(on);
}

QString CModule::ReadXChan(unsigned char)
{
    return m_commands.ReadXChan();
}

QString CModule::ReadYChan(unsigned char)
{
    return m_commands.ReadYChan();
}

QString CModule::Sleep(bool on)
{
    return m_commands.Sleep(on);
}

QString CModule::ReadEEPROM(const QString& address)
{
    return m_commands.ReadEEPROM(address);
}

QString CModule::WriteEEPROM(const QString& address, const QString& value)
{
    return m_commands.WriteEEPROM(address, value);
}

QString CModule::EnResetEE(bool on)
{
    return m_cells.UpdateConfigBit(CellMap::kResetEepromBit, on);
}

QString CModule::StupEnCorrection(bool on)
{
    return m_cells.UpdateConfigBit(CellMap::kStartupCorrectionBit, on);
}

QString CModule::StupAngleOn(bool on)
{
    return m_cells.UpdateConfigBit(CellMap::kStartupAngleBit, on);
}

// Sends the command and waits; true when the parser completed it with an
// answer of its own.
bool CModule::WaitForCommand(int command)
{
    m_link.ClearReply();
    m_link.SendCommand(LoadMessage(command));
    if (!m_link.LastSendSucceeded())
        return false;
    m_link.WaitForReply();
    return !m_link.Reply().isEmpty();
}

QString CModule::CommandRequest(int command, const QString& failure)
{
    return m_link.TextRequest([=, this] {
        if (WaitForCommand(command))
            return LoadMessage(Msg::Ok);
        if (!m_link.TimedOut()) // else the time-out is the failure
            m_link.NoteFailure(failure);
        return failure;
    });
}

QString CModule::PotSetup()
{
    return CommandRequest(Msg::CmdPotSetup, QStringLiteral("Error in potsetup"));
}

QString CModule::SetGain(int cell, const QString& value)
{
    const QString written = m_link.TextRequest(
        [&, this] { return m_cells.WriteCellText(QString::number(cell), value); });
    return written == LoadMessage(Msg::Ok) ? PotSetup() : written;
}

QString CModule::SetSignal1(bool on)
{
    return CommandRequest(on ? Msg::CmdSignal1On : Msg::CmdSignal1Off, LoadMessage(Msg::CommError));
}

QString CModule::SetSignal2(bool on)
{
    return CommandRequest(on ? Msg::CmdSignal2On : Msg::CmdSignal2Off, LoadMessage(Msg::CommError));
}

QString CModule::ReadSignals()
{
    return CommandRequest(Msg::CmdReadSignals, LoadMessage(Msg::CommError));
}

QString CModule::EnableTempCorr(bool on)
{
    return m_cells.UpdateTemperatureCorrection(on);
}

QString CModule::TemperatureCoef(const QString& axis, const QString& mTenSlope,
                                 const QString& mTenOff, const QString& fiftySlope,
                                 const QString& fiftyOff)
{
    return m_cells.WriteTemperatureCoefs(axis, {mTenSlope, mTenOff, fiftySlope, fiftyOff});
}
