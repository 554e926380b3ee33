#include "LiveOptions.h"

#include "SerialPorts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <sys/stat.h>

namespace {

constexpr int kHighestPort = 15;
constexpr int kMaxIntervalMs = 3600000;

struct Bad {
    QString message;
};

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Live view of a TK28950 inclinometer module: X and Y against time, a bubble level, the "
        "temperature and statistics over the window shown.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"device", "Read the module on the serial device PATH.", "PATH"},
        {"port", "Read the module on port N (1 to 15) of the port map.", "N"},
        {"interval",
         "Milliseconds from one X and Y reading to the next; 0: as fast as the line "
         "allows (0).",
         "MS"},
        {"window", "Seconds of readings shown: 10, 60 or 600 (60).", "S"},
        {"record", "Record the readings to FILE as CSV lines \"time_ms,x,y\".", "FILE"},
        {"temperature", "Record the temperature too, as a fourth column \"temperature_c\"."},
        {"snapshot", "Save the view as a PNG picture in FILE when the view ends.", "FILE"},
        {"quit-after", "End after S seconds (connects at once; no display needed).", "S"},
    });
}

double number(const QCommandLineParser& parser, const QString& name, double minimum, double maximum,
              bool integer)
{
    const QString text = parser.value(name);
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < minimum || value > maximum ||
        (integer && value != std::floor(value)))
        throw Bad{QStringLiteral("--%1: \"%2\" is not %3 from %4 to %5")
                      .arg(name, text, integer ? "a whole number" : "a number")
                      .arg(minimum)
                      .arg(maximum)};
    return value;
}

// The device must be there and be a terminal device; anything else (a file,
// a folder, a pipe) would never answer.
void checkDevice(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        const QString reason = qt_error_string(errno);
        const QString hint = SerialPorts::openFailureHint(reason);
        throw Bad{QStringLiteral("--device: %1: %2%3")
                      .arg(path, reason, hint.isEmpty() ? QString() : "; " + hint)};
    }
    if (!S_ISCHR(status.st_mode))
        throw Bad{QStringLiteral("--device: %1 is not a serial device").arg(path)};
}

void read(const QCommandLineParser& parser, LiveOptions& options)
{
    if (!parser.positionalArguments().isEmpty())
        throw Bad{
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first())};
    if (parser.isSet("device") && parser.isSet("port"))
        throw Bad{QStringLiteral("--device and --port name the module twice: give one")};
    if (parser.isSet("device")) {
        options.device = parser.value("device");
        checkDevice(options.device);
    }
    if (parser.isSet("port"))
        options.port = int(number(parser, "port", 1, kHighestPort, true));
    if (parser.isSet("interval"))
        options.intervalMs = int(number(parser, "interval", 0, kMaxIntervalMs, true));
    if (parser.isSet("window")) {
        options.windowS = int(number(parser, "window", 1, 600, true));
        if (std::ranges::find(kWindowChoicesS, options.windowS) == std::end(kWindowChoicesS))
            throw Bad{QStringLiteral("--window: %1 is not 10, 60 or 600").arg(options.windowS)};
    }
    options.recordPath = parser.value("record");
    options.recordTemperature = parser.isSet("temperature");
    if (options.recordTemperature && options.recordPath.isEmpty())
        throw Bad{QStringLiteral("--temperature goes with --record FILE")};
    options.snapshotPath = parser.value("snapshot");
    if (parser.isSet("quit-after"))
        options.quitAfterS = number(parser, "quit-after", 0.001, 31 * 24 * 3600, false);
    if (options.headless() && options.device.isEmpty() && options.port == 0)
        throw Bad{QStringLiteral("--quit-after needs the module: --device PATH or --port N")};
}

} // namespace

LiveCommandLine parseLiveOptions(const QStringList& arguments, LiveOptions& options,
                                 QString& message)
{
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments)) {
        message = parser.errorText();
        return LiveCommandLine::Bad;
    }
    if (parser.isSet("help") || parser.isSet("help-all")) {
        // Read before the application exists, whose name the text would
        // otherwise take from it.
        message = parser.helpText().replace(QLatin1String("<executable_name>"),
                                            QCoreApplication::applicationName());
        return LiveCommandLine::ShowedHelp;
    }
    if (parser.isSet("version")) {
        message = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                QCoreApplication::applicationVersion());
        return LiveCommandLine::ShowedHelp;
    }
    try {
        read(parser, options);
    } catch (const Bad& bad) {
        message = bad.message;
        return LiveCommandLine::Bad;
    }
    return LiveCommandLine::Run;
}
