#include "EepromCells.h"

#include "ModuleSession.h"

#include "QuotedInput.h"
#include "TK28950Dispids.h"

#include <QRegularExpression>

namespace EepromCells {
namespace {

QString cellName(int address)
{
    return QStringLiteral("cell %1").arg(address);
}

QString describeAnswer(const Answer& answer)
{
    return component::quotedInput(answer.text);
}

} // namespace

int read(ModuleSession& module, int address)
{
    const Answer answer =
        module.exchange(tk28950::dispid::ReadEEPROM, {QString::number(address)}, cellName(address));
    static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,3}$"));
    const QString text = answer.text.trimmed();
    if (answer.event != AnswerEvent::DataReady || !decimal.match(text).hasMatch() ||
        text.toInt() > 255)
        throw moduleError(QStringLiteral("%1: the answer %2 is not a value from 0 to 255")
                              .arg(cellName(address), describeAnswer(answer)));
    return text.toInt();
}

void write(ModuleSession& module, int address, int value)
{
    const QString what = QStringLiteral("%1: write of %2").arg(cellName(address)).arg(value);
    const Answer answer = module.exchange(tk28950::dispid::WriteEEPROM,
                                          {QString::number(address), QString::number(value)}, what);
    if (answer.event != AnswerEvent::DataReady || !isAcknowledgement(answer.text))
        throw moduleError(QStringLiteral("%1: not acknowledged, the answer was %2")
                              .arg(what, describeAnswer(answer)));
}

bool isAcknowledgement(const QString& answer)
{
    static const QRegularExpression leadingNumber(QStringLiteral("^\\s*[+-]?([0-9]+)"));
    const QRegularExpressionMatch match = leadingNumber.match(answer);
    if (!match.hasMatch())
        return true;
    static const QRegularExpression zeros(QStringLiteral("^0+$"));
    return zeros.match(match.captured(1)).hasMatch();
}

} // namespace EepromCells
