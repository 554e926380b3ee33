#include "EepromCells.h"

#include "AnswerShape.h"
#include "ModuleAnswers.h"
#include "ModuleSession.h"

#include "QuotedInput.h"
#include "TK28950Dispids.h"

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
    const Answer answer = module.request(
        tk28950::dispid::ReadEEPROM, {QString::number(address)}, cellName(address),
        [](const Answer& answer) {
            return answer.event == AnswerEvent::DataReady && AnswerShape::cellValue(answer.text)
                       ? QString()
                       : QStringLiteral("the answer %1 is not a value from 0 to 255")
                             .arg(describeAnswer(answer));
        });
    return *AnswerShape::cellValue(answer.text);
}

void write(ModuleSession& module, int address, int value)
{
    const QString what = QStringLiteral("%1: write of %2").arg(cellName(address)).arg(value);
    module.request(tk28950::dispid::WriteEEPROM, {QString::number(address), QString::number(value)},
                   what, [](const Answer& answer) {
                       return answer.event == AnswerEvent::DataReady &&
                                      ModuleAnswers::isWriteAcknowledged(answer.text)
                                  ? QString()
                                  : QStringLiteral("not acknowledged, the answer was %1")
                                        .arg(describeAnswer(answer));
                   });
}

} // namespace EepromCells
