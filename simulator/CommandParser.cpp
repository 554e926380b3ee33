#include "CommandParser.h"

namespace {
constexpr int AddressDigits = 3;
constexpr int MaxCellField = 255;

bool isDigit(char byte)
{
    return byte >= '0' && byte <= '9';
}

bool isSeparator(char byte)
{
    return byte == '\r' || byte == '\n' || byte == ' ';
}

bool fieldInRange(const QByteArray& digits)
{
    return digits.toInt() <= MaxCellField;
}
} // namespace

QList<WireCommand> CommandParser::feed(char byte)
{
    QList<WireCommand> complete;
    if (m_digitsWanted == 0) {
        startCommand(byte, complete);
        return complete;
    }
    if (!isDigit(byte)) {
        complete.append({m_partial, false});
        m_partial.clear();
        m_digitsWanted = 0;
        startCommand(byte, complete);
        return complete;
    }
    m_partial.append(byte);
    if (--m_digitsWanted == 0) {
        complete.append(finishDigitField());
        m_partial.clear();
    }
    return complete;
}

void CommandParser::startCommand(char byte, QList<WireCommand>& complete)
{
    if (isSeparator(byte))
        return;
    if (byte == 'i' || byte == 'h') {
        m_partial = QByteArray(1, byte);
        m_digitsWanted = byte == 'i' ? AddressDigits : 2 * AddressDigits;
        return;
    }
    complete.append({QByteArray(1, byte), isSingleLetterCommand(byte)});
}

WireCommand CommandParser::finishDigitField() const
{
    bool valid = fieldInRange(m_partial.mid(1, AddressDigits));
    if (m_partial.startsWith('h'))
        valid = valid && fieldInRange(m_partial.mid(1 + AddressDigits));
    return {m_partial, valid};
}

bool CommandParser::isSingleLetterCommand(char byte)
{
    static const QByteArray letters = "egxvlmbcdapsrtun";
    return letters.contains(byte);
}
