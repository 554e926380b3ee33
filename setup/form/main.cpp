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

namespace {

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("PrjTK28950"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TK28950_VERSION));
}

// Help and version are printed before the window system is reached, so
// that they need no display; this exits after printing them.
void answerHelpOrVersion(int argc, char* argv[], QCommandLineParser& parser)
{
    const QCoreApplication early(argc, argv);
    nameApplication();
    // The window system's options ("-reverse", "-stylesheet") are not known
    // here: read as one word each, their letters are not taken for -v or -h.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.parse(QCoreApplication::arguments());
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp();
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
}

} // namespace

int main(int argc, char* argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sets up and tests a TK28950 inclinometer module on a serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    answerHelpOrVersion(argc, argv, parser);
    QApplication app(argc, argv);
    nameApplication();
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
