#pragma once
// The reply parser: the one place where the module's answers are
// understood. The link pairs each complete line with the oldest pending
// command and hands both here; the parser turns the answer into the reply
// text, keeps the module state some answers carry (the signal flags),
// sends a command again when the module asks for it, and returns the reply
// code that decides the event.
#include "link/ReplyLink.h"

#include <QString>

class CModule;

class CReplyParser final : public IReplyParser {
public:
    // Commands are sent again through module's own operations.
    CReplyParser(IReplyLink& link, CModule& module);

    int ParseReply(const PendingCommand& command, const QString& line) override;

    bool Signal(int index) const; // 1 to 4

private:
    using Answer = int (CReplyParser::*)(const PendingCommand& command, const QString& line);
    struct Row;

    static const Row* RowFor(const QString& command);
    static QString ContextOf(const PendingCommand& command, int first, int second);

    int AnswerTemperature(const PendingCommand& command, const QString& line);
    int AnswerToggle(const PendingCommand& command, const QString& line);
    int WrongShape(const PendingCommand& command, const QString& line, const char* shape);
    int AnswerReset(const PendingCommand& command, const QString& line);
    int AnswerVersion(const PendingCommand& command, const QString& line);
    int AnswerRawCommand(const PendingCommand& command, const QString& line);
    int AnswerEepromReset(const PendingCommand& command, const QString& line);
    int AnswerXReading(const PendingCommand& command, const QString& line);
    int AnswerYReading(const PendingCommand& command, const QString& line);
    int AnswerSleep(const PendingCommand& command, const QString& line);
    int AnswerCellRead(const PendingCommand& command, const QString& line);
    int AnswerCellWrite(const PendingCommand& command, const QString& line);
    int AnswerPotSetup(const PendingCommand& command, const QString& line);
    int AnswerSignal(const PendingCommand& command, const QString& line);
    int AnswerSignalRead(const PendingCommand& command, const QString& line);

    IReplyLink& m_link;
    CModule& m_module;
    bool m_bSignal[4] = {false, false, false, false};
};
