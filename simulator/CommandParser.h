#pragma once

#include <QByteArray>
#include <QList>

// One command as the module understood it from the byte stream.
struct WireCommand {
    QByteArray text; // the bytes that made up the command
    bool valid = false;
};

// Cuts the host's byte stream into commands. Commands have no terminator:
// "i" takes exactly three digits (an address), "h" exactly six (address and
// value), every other command is a single letter. Line ends and blanks
// between commands are ignored. An unknown byte, a non-digit inside a digit
// field, or an address or value above 255 makes an invalid command; a
// non-digit that cuts a digit field short is then read as the start of the
// next command, so that every command the host sent gets exactly one answer.
class CommandParser {
public:
    QList<WireCommand> feed(char byte);

private:
    void startCommand(char byte, QList<WireCommand>& complete);
    WireCommand finishDigitField() const;
    static bool isSingleLetterCommand(char byte);

    QByteArray m_partial; // "i" or "h" and the digits read so far
    int m_digitsWanted = 0;
};
