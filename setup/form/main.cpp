// PrjTK28950: the operator's setup program for one TK28950 inclinometer module.
#include "ControlClient.h"
#include "FrmTK28950.h"
#include "MessageBoxes.h"
#include "TK28950Dispids.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

namespace
{

std::unique_ptr<ControlClient> createControl(QString* error)
{
    auto control = std::make_unique<ControlClient>();
    if (control->create(QString::fromLatin1(tk28950::kProgId),
                        QString::fromLatin1(tk28950::kControlClsid)))
        return control;
    *error = control->createError();
    return nullptr;
}

QString registrationHelp(const QString& error)
{
    const QString library =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libTK28950.so"));
    return QStringLiteral("The TK28950 control cannot be created: %1.\n\n"
                          "Register it with:\ntk28950-regsvr %2")
        .arg(error, library);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PrjTK28950"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/setup/icon.png")));

    QString error;
    std::unique_ptr<ControlClient> tk28950A = createControl(&error);
    std::unique_ptr<ControlClient> tk28950B = tk28950A ? createControl(&error) : nullptr;
    if (!tk28950B) {
        MessageBoxes().show(registrationHelp(error));
        return 1;
    }
    FrmTK28950 window(std::move(tk28950A), std::move(tk28950B));
    window.show();
    return QApplication::exec();
}
