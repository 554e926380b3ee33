// The reply parser: pairs each complete answer line with the oldest
// pending command, turns the answer into the reply text, keeps the module
// state some answers carry, sends a command again when the module asks for
// it, and returns the reply code that decides the event.
#include "CModule.h"

#include "TextNumbers.h"
#include "link/ModuleOwner.h"
#include "resources/MessageTable.h"
#include "resources/ModuleAnswers.h"

#include <array>

namespace {

bool IsErrorAnswer(const QString& line)
{
    return line.contains(u'E');
}

} // namespace

int CModule::ParseReply()
{
    if (m_pControl)
        m_pControl->StopCommandTimer();
    m_strReply.clear();
    const QString line = QString::fromLatin1(m_rxBuffer);
    m_rxBuffer.clear();
    if (m_pendingQueue.isEmpty())
        return kUnpaired;
    const TakenEntry command = TakePending();
    const AnswerRow row = RowFor(command.text);
    return row ? (this->*row)(command, line) : kUnpaired;
}

CModule::AnswerRow CModule::RowFor(const QString& command) const
{
    struct Row {
        int command;
        bool byFirstLetter; // EEPROM commands carry their digits after the letter
        AnswerRow answer;
    };
    static const std::array<Row, 19> kRows{{
        {Msg::CmdTemperature, false, &CModule::AnswerTemperature},
        {Msg::CmdCorrection, false, &CModule::AnswerToggle},
        {Msg::CmdAngleOutput, false, &CModule::AnswerToggle},
        {Msg::CmdDac, false, &CModule::AnswerToggle},
        {Msg::CmdReset, false, &CModule::AnswerText},
        {Msg::CommandMarker, false, &CModule::AnswerRawCommand},
        {Msg::CmdVersion, false, &CModule::AnswerText},
        {Msg::CmdEepromReset, false, &CModule::AnswerEepromReset},
        {Msg::CmdXChannel, false, &CModule::AnswerXReading},
        {Msg::CmdYChannel, false, &CModule::AnswerYReading},
        {Msg::CmdSleep, false, &CModule::AnswerSleep},
        {Msg::CmdPotSetup, false, &CModule::AnswerPotSetup},
        {Msg::CmdSignal1On, false, &CModule::AnswerSignal},
        {Msg::CmdSignal2On, false, &CModule::AnswerSignal},
        {Msg::CmdSignal1Off, false, &CModule::AnswerSignal},
        {Msg::CmdSignal2Off, false, &CModule::AnswerSignal},
        {Msg::CmdReadSignals, false, &CModule::AnswerSignalRead},
        // Tested after every exact command, so that only an EEPROM command
        // can match them.
        {Msg::CmdEepromRead, true, &CModule::AnswerCellRead},
        {Msg::CmdEepromWrite, true, &CModule::AnswerCellWrite},
    }};
    for (const Row& row : kRows) {
        const QString letter = LoadMessage(row.command);
        if (row.byFirstLetter ? command.startsWith(letter) : command == letter)
            return row.answer;
    }
    return nullptr;
}

// A context entry follows its command; when the pairing has gone out of
// step and another entry is at the front, it is left where it is.
QString CModule::TakeContext(int first, int second)
{
    if (m_pendingQueue.isEmpty())
        return {};
    const QString& front = m_pendingQueue.head();
    if (front != LoadMessage(first) && front != LoadMessage(second))
        return {};
    return TakePending().text;
}

int CModule::Resend(const TakenEntry& command, const std::function<void()>& send)
{
    if (command.info.resends >= kMaxResends) {
        EndWait(true);
        return kCommError;
    }
    m_nextResends = command.info.resends + 1;
    m_parserResend = true;
    send();
    m_parserResend = false;
    m_nextResends = 0;
    return kResent;
}

int CModule::AnswerTemperature(const TakenEntry&, const QString& line)
{
    const QString unit = TakeContext(Msg::Fahrenheit, Msg::Centigrade);
    if (unit.isEmpty())
        return kUnpaired;
    m_strReply = ModuleAnswers::degreesText(TextNumbers::LeadingDouble(line),
                                            unit == LoadMessage(Msg::Fahrenheit));
    return kCompleted;
}

// A toggle inverts the function and the module answers the new state; the
// toggle is sent again until the state is the one asked for.
int CModule::AnswerToggle(const TakenEntry& command, const QString& line)
{
    struct Toggle {
        int command;
        QString (CModule::*send)(bool on);
    };
    static const std::array<Toggle, 3> kToggles{{
        {Msg::CmdCorrection, &CModule::Correction},
        {Msg::CmdAngleOutput, &CModule::OutputAngle},
        {Msg::CmdDac, &CModule::EnableDAC},
    }};
    const QString requested = TakeContext(Msg::On, Msg::Off);
    const bool nowOn = line == QLatin1String("1");
    if (requested.isEmpty() || (!nowOn && line != QLatin1String("0")))
        return kUnpaired;
    const bool wantOn = requested == LoadMessage(Msg::On);
    if (nowOn == wantOn) {
        m_strReply = nowOn ? QStringLiteral("On") : QStringLiteral("Off");
        return kCompleted;
    }
    for (const Toggle& toggle : kToggles) {
        if (command.text == LoadMessage(toggle.command))
            return Resend(command, [&, this] { (this->*toggle.send)(wantOn); });
    }
    return kUnpaired;
}

int CModule::AnswerText(const TakenEntry&, const QString& line)
{
    m_strReply = line;
    return kCompleted;
}

int CModule::AnswerRawCommand(const TakenEntry&, const QString& line)
{
    m_strReply = line;
    ClearPending();
    return kCompleted;
}

int CModule::AnswerEepromReset(const TakenEntry&, const QString& line)
{
    const bool done = line.toLower() == QLatin1String("g");
    m_strReply = LoadMessage(done ? Msg::EepromDefaults : Msg::EepromProtected);
    return kCompleted;
}

int CModule::AnswerXReading(const TakenEntry&, const QString& line)
{
    m_strReply = line;
    return kXReading;
}

int CModule::AnswerYReading(const TakenEntry&, const QString& line)
{
    m_strReply = line;
    return kYReading;
}

int CModule::AnswerSleep(const TakenEntry&, const QString&)
{
    ClearPending();
    m_strReply = QStringLiteral("Awake");
    return kCompleted;
}

int CModule::AnswerCellRead(const TakenEntry& command, const QString& line)
{
    if (IsErrorAnswer(line))
        return Resend(command, [&, this] { ReadEEPROM(command.text.mid(1)); });
    m_strReply = line;
    return kCompleted;
}

// "0", or any answer without a leading non-zero number, acknowledges the
// write; a non-zero number is the module refusing it.
int CModule::AnswerCellWrite(const TakenEntry& command, const QString& line)
{
    if (IsErrorAnswer(line))
        return Resend(command,
                      [&, this] { WriteEEPROM(command.text.mid(1, 3), command.text.mid(4)); });
    if (TextNumbers::LeadingInt(line) != 0) {
        EndWait(true);
        return kCommError;
    }
    m_strReply = line;
    return kCompleted;
}

int CModule::AnswerPotSetup(const TakenEntry& command, const QString& line)
{
    if (IsErrorAnswer(line))
        return Resend(command, [this] { PotSetup(); });
    if (line.contains(QLatin1String("OK"))) {
        m_strReply = line;
        return kCompleted;
    }
    EndWait(true);
    if (m_pControl)
        m_pControl->ShowMessage(QStringLiteral("Error in potsetup"), QStringLiteral("ocx"));
    return kUnpaired;
}

int CModule::AnswerSignal(const TakenEntry& command, const QString& line)
{
    struct SignalSetting {
        int command;
        QString (CModule::*send)(bool on);
        bool on;
    };
    static const std::array<SignalSetting, 4> kSignals{{
        {Msg::CmdSignal1On, &CModule::SetSignal1, true},
        {Msg::CmdSignal2On, &CModule::SetSignal2, true},
        {Msg::CmdSignal1Off, &CModule::SetSignal1, false},
        {Msg::CmdSignal2Off, &CModule::SetSignal2, false},
    }};
    for (const SignalSetting& signal : kSignals) {
        if (command.text != LoadMessage(signal.command))
            continue;
        if (IsErrorAnswer(line))
            return Resend(command, [&, this] { (this->*signal.send)(signal.on); });
        m_strReply = LoadMessage(signal.on ? Msg::On : Msg::Off);
        return kSilent;
    }
    return kUnpaired;
}

int CModule::AnswerSignalRead(const TakenEntry& command, const QString& line)
{
    if (IsErrorAnswer(line))
        return Resend(command, [this] { ReadSignals(); });
    const QVector<int> values = TextNumbers::LeadingIntList(line, 4);
    for (int i = 0; i < 4; ++i)
        m_bSignal[i] = i < values.size() && values[i] != 0;
    m_strReply = LoadMessage(Msg::Ok);
    return kSilent;
}
