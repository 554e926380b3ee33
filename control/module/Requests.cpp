// Waiting requests that run one command to its end: pot setup (also after
// a gain write) and the signal outputs.
#include "CModule.h"

#include "CellMap.h"
#include "resources/MessageTable.h"

namespace {

QString PotSetupFailedText()
{
    return QStringLiteral("Error in potsetup");
}

} // namespace

// Sends the command and waits; true when the parser completed it with an
// answer of its own.
bool CModule::WaitForCommand(int command)
{
    ClearReply();
    SendWith(LoadMessage(command));
    if (!LastSendSucceeded())
        return false;
    WaitForReply();
    return !m_strReply.isEmpty();
}

QString CModule::CommandRequest(int command, const QString& failure)
{
    return TextRequest(
        [=, this] { return WaitForCommand(command) ? LoadMessage(Msg::Ok) : failure; });
}

QString CModule::PotSetup()
{
    return CommandRequest(Msg::CmdPotSetup, PotSetupFailedText());
}

QString CModule::SetGain(int cell, const QString& value)
{
    const QString written =
        TextRequest([&, this] { return WriteCellText(QString::number(cell), value); });
    return written == LoadMessage(Msg::Ok) ? PotSetup() : written;
}

QString CModule::SetGainX(const QString& value)
{
    return SetGain(CellMap::kGainX, value);
}

QString CModule::SetGainY(const QString& value)
{
    return SetGain(CellMap::kGainY, value);
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
