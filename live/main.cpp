// tk28950-live: a live view of a TK28950 module's readings.
#include "LiveOptions.h"
#include "LiveWindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

int fail(int code, const QString& reason)
{
    std::fprintf(stderr, "tk28950-live: %s\n", qPrintable(reason));
    return code;
}

// A run without a person needs no display: without one, it draws offscreen.
void chooseOffscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QStringList arguments(int argc, char* argv[])
{
    QStringList list;
    for (int index = 0; index < argc; ++index)
        list << QString::fromLocal8Bit(argv[index]);
    return list;
}

// Connects at once, reads for the time asked, saves the picture and ends;
// a device lost on the way ends it early, its recording kept.
int runHeadless(LiveWindow& window, const LiveOptions& options)
{
    if (!window.connectModule())
        return fail(Failure, window.told().last());
    QString lost;
    QObject::connect(&window, &LiveWindow::lostDevice, [&lost](const QString& reason) {
        lost = reason;
        QApplication::quit();
    });
    QTimer::singleShot(qRound64(options.quitAfterS * 1000), qApp, &QApplication::quit);
    QApplication::exec();
    if (!options.snapshotPath.isEmpty()) {
        const QString failure = window.saveSnapshot(options.snapshotPath);
        if (!failure.isEmpty())
            return fail(Failure, failure);
    }
    window.disconnectModule();
    std::printf("%lld readings of X and Y, %.1f a second at the end\n",
                static_cast<long long>(window.samples().size()), window.readingsPerSecond());
    if (window.recorder().isOpen())
        std::printf("%lld rows recorded to %s\n", static_cast<long long>(window.recorder().rows()),
                    qPrintable(window.recorder().path()));
    if (!options.snapshotPath.isEmpty())
        std::printf("picture saved to %s\n", qPrintable(options.snapshotPath));
    return lost.isEmpty() ? Success
                          : fail(Failure, QStringLiteral("lost the module: %1").arg(lost));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication::setApplicationName(QStringLiteral("tk28950-live"));
    QApplication::setApplicationVersion(QStringLiteral(TK28950_VERSION));
    LiveOptions options;
    QString message;
    switch (parseLiveOptions(arguments(argc, argv), options, message)) {
    case LiveCommandLine::ShowedHelp:
        std::fputs(qPrintable(message), stdout);
        return Success;
    case LiveCommandLine::Bad:
        return fail(UsageError, message);
    case LiveCommandLine::Run:
        break;
    }
    if (options.headless())
        chooseOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tk28950-live")));
    LiveWindow window(options);
    if (!options.recordPath.isEmpty()) {
        const QString failure =
            window.startRecording(options.recordPath, options.recordTemperature);
        if (!failure.isEmpty())
            return fail(UsageError, failure);
    }
    window.show();
    if (options.headless())
        return runHeadless(window, options);
    if (!options.device.isEmpty() || options.port != 0)
        window.connectModule();
    const int code = QApplication::exec();
    if (!options.snapshotPath.isEmpty()) {
        const QString failure = window.saveSnapshot(options.snapshotPath);
        if (!failure.isEmpty())
            return fail(Failure, failure);
    }
    return code;
}
