#include "AnswerShape.h"

#include "ControlTexts.h"
#include "ModuleAnswers.h"

// The rules live with the control, which judges the same answers.
namespace AnswerShape {

std::optional<int> cellValue(const QString& answer)
{
    return ModuleAnswers::cellValue(answer);
}

std::optional<int> cellNumber(const QString& text)
{
    return text == text.trimmed() ? ModuleAnswers::cellValue(text) : std::nullopt;
}

bool isRefusal(const QString& answer)
{
    return ModuleAnswers::isRefusal(answer);
}

bool isTimeOut(const QString& answer)
{
    return answer.trimmed().compare(ControlTexts::kTimeOut, Qt::CaseInsensitive) == 0;
}

bool isSignedDecimal(const QString& answer)
{
    return ModuleAnswers::isSignedDecimal(answer);
}

bool isVersion(const QString& answer)
{
    return ModuleAnswers::isVersion(answer);
}

} // namespace AnswerShape
