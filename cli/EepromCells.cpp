#include "EepromCells.h"

#include "AnswerShape.h"
#include "ModuleSession.h"
#include "TK28950Dispids.h"

namespace EepromCells {
namespace {

QString cellName(int address)
{
    return QStringLiteral("cell %1").arg(address);
}

QString describeAnswer(const Answer& answer)
{
    return QStringLiteral("\"%1\"").arg(answer.text);
}

} // namespace

int read(ModuleSession& module, int address)
{
    const Answer answer =
        module.exchange(tk28950::dispid::ReadEEPROM, {QString::number(address)}, cellName(address));
    const std::optional<int> value = AnswerShape::cellValue(answer.text);
    if (answer.event != AnswerEvent::DataReady || !value)
        throw moduleError(QStringLiteral("%1: the answer %2 is not a value from 0 to 255")
                              .arg(cellName(address), describeAnswer(answer)));
    return *value;
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

} // namespace EepromCells
