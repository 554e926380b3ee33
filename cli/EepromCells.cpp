#include "EepromCells.h"

#include "ModuleSession.h"
#include "TK28950Dispids.h"

#include "AnswerShape.h"

#include <QRegularExpression>

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
    const Answer answer = module.request(
        tk28950::dispid::ReadEEPROM, {QString::number(address)}, cellName(address),
        [](const Answer& answer) {
            return answer.event == AnswerEvent::DataReady && AnswerShape::isCellValue(answer.text)
                       ? QString()
                       : QStringLiteral("the answer %1 is not a value from 0 to 255")
                             .arg(describeAnswer(answer));
        });
    return answer.text.toInt();
}

void write(ModuleSession& module, int address, int value)
{
    const QString what = QStringLiteral("%1: write of %2").arg(cellName(address)).arg(value);
    module.request(tk28950::dispid::WriteEEPROM, {QString::number(address), QString::number(value)},
                   what, [](const Answer& answer) {
                       return answer.event == AnswerEvent::DataReady &&
                                      isAcknowledgement(answer.text)
                                  ? QString()
                                  : QStringLiteral("not acknowledged, the answer was %1")
                                        .arg(describeAnswer(answer));
                   });
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
