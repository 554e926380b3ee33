// coef load: one axis's coefficient table from a file, through the control's
// own loader, after the tool has checked the file.
#include "ChannelReading.h"
#include "CoefFile.h"
#include "CommandContext.h"
#include "Commands.h"
#include "ControlTexts.h"
#include "Progress.h"
#include "TK28950Dispids.h"
#include "ValueText.h"

#include <QFileInfo>

namespace Commands {

ExitCode coefLoad(CommandContext& context)
{
    const QString axis = ChannelReading::name(ChannelReading::parseAxis(context.argument(0)));
    const QString path = QFileInfo(context.argument(1)).absoluteFilePath();
    CoefFile::check(path);
    ModuleSession& module = context.module();
    Progress progress(context.global().quiet);
    progress.startBusy(QStringLiteral("%1 %2").arg(context.name(), axis));
    const QString what = QStringLiteral("%1 %2").arg(context.name(), axis);
    const QString result = ValueText::text(module.invoke(
        component::InvokeKind::Method, tk28950::dispid::LoadCoef, {axis, path}, what));
    progress.finish();
    if (result != ControlTexts::kOk)
        throw moduleError(QStringLiteral("%1: %2").arg(what, result));
    context.output().result({{"command", context.name()},
                             {"axis", axis},
                             {"file", context.argument(1)},
                             {"cells", CoefFile::kValues}},
                            QStringLiteral("%1 coefficients of axis %2 loaded from %3")
                                .arg(CoefFile::kValues)
                                .arg(axis, context.argument(1)));
    return ExitCode::Success;
}

} // namespace Commands
