#include "ControlStartup.h"

#include "ControlClient.h"
#include "TK28950Dispids.h"

namespace {

std::unique_ptr<ControlClient> createControl(QString* error)
{
    auto control = std::make_unique<ControlClient>();
    if (control->create(QString::fromLatin1(tk28950::kProgId),
                        QString::fromLatin1(tk28950::kControlClsid)))
        return control;
    *error = control->createError();
    return nullptr;
}

} // namespace

StartupControls createStartupControls(const QString& library)
{
    StartupControls controls;
    QString error;
    controls.tk28950A = createControl(&error);
    if (controls.tk28950A)
        controls.tk28950B = createControl(&error);
    if (controls.tk28950B)
        return controls;
    controls.tk28950A.reset();
    controls.error = QStringLiteral("The TK28950 control cannot be created: %1.\n\n"
                                    "Register it with:\ntk28950-regsvr %2")
                         .arg(error, library);
    return controls;
}
