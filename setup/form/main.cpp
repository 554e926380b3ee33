// PrjTK28950: the operator's setup program for one TK28950 inclinometer module.
#include "ControlClient.h"
#include "ControlStartup.h"
#include "FrmTK28950.h"
#include "LibraryLocation.h"
#include "MessageBoxes.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PrjTK28950"));
    QApplication::setApplicationVersion(QStringLiteral(TK28950_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sets up and tests a TK28950 inclinometer module on a serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/setup/icon.png")));

    StartupControls controls = createStartupControls(LibraryLocation::fallbackLibrary());
    if (!controls.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(controls.error));
        MessageBoxes().show(controls.error);
        return 1;
    }
    FrmTK28950 window(std::move(controls.tk28950A), std::move(controls.tk28950B));
    window.show();
    return QApplication::exec();
}
