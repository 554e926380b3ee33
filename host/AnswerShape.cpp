#include "AnswerShape.h"

#include "ModuleAnswers.h"

// The rules live with the control, which judges the same answers.
namespace AnswerShape {

std::optional<int> cellValue(const QString& answer)
{
    return ModuleAnswers::cellValue(answer);
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
