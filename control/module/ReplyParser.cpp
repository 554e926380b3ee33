#include "ReplyParser.h"

#include "CModule.h"

#include "TextNumbers.h"
#include "link/ModuleLink.h"
#include "resources/MessageTable.h"
#include "resources/ModuleAnswers.h"

#include <QHash>

namespace {

bool IsErrorAnswer(const QString& line)
{
    return line.contains(u'E');
}

constexpr int kCompleted = CModuleLink::kCompleted;
constexpr int kUnpaired = CModuleLink::kUnpaired;
constexpr int kXReading = CModuleLink::kXReading;
constexpr int kYReading = CModuleLink::kYReading;
constexpr int kCommError = CModuleLink::kCommError;
constexpr int kSilent = CModuleLink::kSilent;

} // namespace

CReplyParser::CReplyParser(IReplyLink& link, CModule& module) : m_link(link), m_module(module) {}

bool CReplyParser::Signal(int index) const
{
    return index >= 1 && index <= 4 && m_bSignal[index - 1];
}

// The line is not the shape of an answer to command: whatever it is (a
// stale answer to another command, a damaged one), it is no value.
int CReplyParser::WrongShape(const PendingCommand& command, const QString& line, const char* shape)
{
    m_link.FailWait(QStringLiteral("the answer \"%1\" to %2 is not %3")
                        .arg(line, command.text, QLatin1String(shape)));
    // A refusal of a command the module is not asked again: the host is
    // told it was refused, not that the line failed.
    if (ModuleAnswers::isRefusal(line)) {
        m_link.SetReply(line);
        return kUnpaired;
    }
    return kCommError;
}

// How the answer to one command is understood. A toggle or a signal
// setting that the module asks for again is sent by resend, for the state on.
struct CReplyParser::Row {
    Msg::Text command;
    bool byFirstLetter; // EEPROM commands carry their digits after the letter
    Answer answer;
    QString (CModule::*resend)(bool on) = nullptr;
    bool on = false;
};

int CReplyParser::ParseReply(const PendingCommand& command, const QString& line)
{
    if (command.raw)
        return AnswerRawCommand(command, line);
    const Row* row = RowFor(command.text);
    return row ? (this->*row->answer)(command, line) : kUnpaired;
}

const CReplyParser::Row* CReplyParser::RowFor(const QString& command)
{
    static const Row kRows[] = {
        {Msg::CmdTemperature, false, &CReplyParser::AnswerTemperature},
        {Msg::CmdCorrection, false, &CReplyParser::AnswerToggle, &CModule::Correction},
        {Msg::CmdAngleOutput, false, &CReplyParser::AnswerToggle, &CModule::OutputAngle},
        {Msg::CmdDac, false, &CReplyParser::AnswerToggle, &CModule::EnableDAC},
        {Msg::CmdReset, false, &CReplyParser::AnswerReset},
        {Msg::CommandMarker, false, &CReplyParser::AnswerRawCommand},
        {Msg::CmdVersion, false, &CReplyParser::AnswerVersion},
        {Msg::CmdEepromReset, false, &CReplyParser::AnswerEepromReset},
        {Msg::CmdXChannel, false, &CReplyParser::AnswerXReading},
        {Msg::CmdYChannel, false, &CReplyParser::AnswerYReading},
        {Msg::CmdSleep, false, &CReplyParser::AnswerSleep},
        {Msg::CmdPotSetup, false, &CReplyParser::AnswerPotSetup},
        {Msg::CmdSignal1On, false, &CReplyParser::AnswerSignal, &CModule::SetSignal1, true},
        {Msg::CmdSignal2On, false, &CReplyParser::AnswerSignal, &CModule::SetSignal2, true},
        {Msg::CmdSignal1Off, false, &CReplyParser::AnswerSignal, &CModule::SetSignal1, false},
        {Msg::CmdSignal2Off, false, &CReplyParser::AnswerSignal, &CModule::SetSignal2, false},
        {Msg::CmdReadSignals, false, &CReplyParser::AnswerSignalRead},
        {Msg::CmdEepromRead, true, &CReplyParser::AnswerCellRead},
        {Msg::CmdEepromWrite, true, &CReplyParser::AnswerCellWrite},
    };
    // The rows by their command text, and the EEPROM rows by their letter,
    // so that every line finds its row at once.
    struct Index {
        QHash<QString, const Row*> byText;
        QHash<QChar, const Row*> byFirstLetter;
    };
    static const Index kIndex = [] {
        Index index;
        for (const Row& row : kRows) {
            const QString text = LoadMessage(row.command);
            if (row.byFirstLetter)
                index.byFirstLetter.insert(text.front(), &row);
            else
                index.byText.insert(text, &row);
        }
        return index;
    }();
    // An exact command comes first, so that only an EEPROM command can
    // match by its letter.
    if (const Row* row = kIndex.byText.value(command))
        return row;
    return command.isEmpty() ? nullptr : kIndex.byFirstLetter.value(command.front());
}

// The context kept with a command, when it is one of the two expected.
QString CReplyParser::ContextOf(const PendingCommand& command, int first, int second)
{
    const QString& context = command.context;
    return context == LoadMessage(first) || context == LoadMessage(second) ? context : QString();
}

int CReplyParser::AnswerTemperature(const PendingCommand& command, const QString& line)
{
    const QString unit = ContextOf(command, Msg::Fahrenheit, Msg::Centigrade);
    if (unit.isEmpty())
        return kUnpaired;
    if (!ModuleAnswers::isSignedDecimal(line))
        return WrongShape(command, line, "a temperature");
    m_link.SetReply(ModuleAnswers::degreesText(TextNumbers::LeadingDouble(line),
                                               unit == LoadMessage(Msg::Fahrenheit)));
    return kCompleted;
}

// A toggle inverts the function and the module answers the new state; the
// toggle is sent again until the state is the one asked for.
int CReplyParser::AnswerToggle(const PendingCommand& command, const QString& line)
{
    const QString requested = ContextOf(command, Msg::On, Msg::Off);
    const bool nowOn = line == QLatin1String("1");
    if (requested.isEmpty() || (!nowOn && line != QLatin1String("0")))
        return kUnpaired;
    const bool wantOn = requested == LoadMessage(Msg::On);
    if (nowOn == wantOn) {
        m_link.SetReply(nowOn ? QStringLiteral("On") : QStringLiteral("Off"));
        return kCompleted;
    }
    const Row* row = RowFor(command.text);
    return m_link.Resend(command, [&, this] { (m_module.*row->resend)(wantOn); });
}

int CReplyParser::AnswerReset(const PendingCommand&, const QString& line)
{
    m_link.SetReply(line);
    return kCompleted;
}

int CReplyParser::AnswerVersion(const PendingCommand& command, const QString& line)
{
    if (!ModuleAnswers::isVersion(line))
        return WrongShape(command, line, "a version text");
    m_link.SetReply(line);
    return kCompleted;
}

int CReplyParser::AnswerRawCommand(const PendingCommand&, const QString& line)
{
    m_link.SetReply(line);
    m_link.ClearPending();
    return kCompleted;
}

int CReplyParser::AnswerEepromReset(const PendingCommand&, const QString& line)
{
    const bool done = line.toLower() == QLatin1String("g");
    m_link.SetReply(LoadMessage(done ? Msg::EepromDefaults : Msg::EepromProtected));
    return kCompleted;
}

int CReplyParser::AnswerXReading(const PendingCommand& command, const QString& line)
{
    if (!ModuleAnswers::isSignedDecimal(line))
        return WrongShape(command, line, "a reading");
    m_link.SetReply(line);
    return kXReading;
}

int CReplyParser::AnswerYReading(const PendingCommand& command, const QString& line)
{
    if (!ModuleAnswers::isSignedDecimal(line))
        return WrongShape(command, line, "a reading");
    m_link.SetReply(line);
    return kYReading;
}

int CReplyParser::AnswerSleep(const PendingCommand&, const QString&)
{
    m_link.ClearPending();
    m_link.SetReply(QStringLiteral("Awake"));
    return kCompleted;
}

int CReplyParser::AnswerCellRead(const PendingCommand& command, const QString& line)
{
    if (IsErrorAnswer(line))
        return m_link.Resend(command, [&, this] { m_module.ReadEEPROM(command.text.mid(1)); });
    if (!ModuleAnswers::cellValue(line))
        return WrongShape(command, line, "a cell value (0 to 255)");
    m_link.SetReply(line);
    return kCompleted;
}

// The hosts judge a write by the same rule: an answer that does not
// acknowledge it is the module refusing it.
int CReplyParser::AnswerCellWrite(const PendingCommand& command, const QString& line)
{
    if (IsErrorAnswer(line))
        return m_link.Resend(command, [&, this] {
            m_module.WriteEEPROM(command.text.mid(1, 3), command.text.mid(4));
        });
    if (!ModuleAnswers::isWriteAcknowledged(line)) {
        m_link.FailWait(
            QStringLiteral("the module refused %1 with \"%2\"").arg(command.text, line));
        return kCommError;
    }
    m_link.SetReply(line);
    return kCompleted;
}

int CReplyParser::AnswerPotSetup(const PendingCommand& command, const QString& line)
{
    if (IsErrorAnswer(line))
        return m_link.Resend(command, [this] { m_module.PotSetup(); });
    if (line.contains(QLatin1String("OK"))) {
        m_link.SetReply(line);
        return kCompleted;
    }
    m_link.FailWait(
        QStringLiteral("the answer \"%1\" to %2 is not \"OK\"").arg(line, command.text));
    m_link.ShowMessage(QStringLiteral("Error in potsetup"), QStringLiteral("ocx"));
    return kUnpaired;
}

int CReplyParser::AnswerSignal(const PendingCommand& command, const QString& line)
{
    const Row* row = RowFor(command.text);
    if (IsErrorAnswer(line))
        return m_link.Resend(command, [&, this] { (m_module.*row->resend)(row->on); });
    m_link.SetReply(LoadMessage(row->on ? Msg::On : Msg::Off));
    return kSilent;
}

int CReplyParser::AnswerSignalRead(const PendingCommand& command, const QString& line)
{
    if (IsErrorAnswer(line))
        return m_link.Resend(command, [this] { m_module.ReadSignals(); });
    const QVector<int> values = TextNumbers::LeadingIntList(line, 4);
    for (int i = 0; i < 4; ++i)
        m_bSignal[i] = i < values.size() && values[i] != 0;
    m_link.SetReply(LoadMessage(Msg::Ok));
    return kSilent;
}
