#include "CommandLine.h"

#include <QCommandLineParser>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

namespace {
constexpr double NoLimit = std::numeric_limits<int>::max();

// An option that takes a number within a range.
struct NumberOption {
    const char* name;
    const char* valueName;
    const char* description;
    double minimum;
    double maximum;
    bool integer;
    std::function<void(SimulatorOptions&, double)> store;
};

const QList<NumberOption>& numberOptions()
{
    static const QList<NumberOption> options = {
        {"eeprom-fill", "N", "Start every EEPROM cell at N (0..255) instead of the factory table.",
         0, 255, true, [](SimulatorOptions& o, double v) { o.eepromFill = int(v); }},
        {"exit-after-ms", "MS", "End by itself after MS milliseconds.", 1, NoLimit, true,
         [](SimulatorOptions& o, double v) { o.exitAfterMs = int(v); }},
        {"temperature", "TENTHS", "Temperature answered to \"e\", in tenths of a degree (235).",
         -9999, 9999, true,
         [](SimulatorOptions& o, double v) { o.module.temperatureTenths = int(v); }},
        {"angle-x", "DEG", "X reading answered to \"c\", in degrees (1.25).", -99.999, 99.999,
         false, [](SimulatorOptions& o, double v) { o.module.angleX = v; }},
        {"angle-y", "DEG", "Y reading answered to \"d\", in degrees (-0.5).", -99.999, 99.999,
         false, [](SimulatorOptions& o, double v) { o.module.angleY = v; }},
        {"tilt-noise", "DEG",
         "Normally distributed noise added to every X and Y reading: its standard deviation in "
         "degrees (0).",
         0, 10, false, [](SimulatorOptions& o, double v) { o.module.tilt.noise = v; }},
        {"signal3", "N", "State of signal 3 reported by \"n\" (0).", -9999, 9999, true,
         [](SimulatorOptions& o, double v) { o.module.signal3 = int(v); }},
        {"signal4", "N", "State of signal 4 reported by \"n\" (0).", -9999, 9999, true,
         [](SimulatorOptions& o, double v) { o.module.signal4 = int(v); }},
        {"seed", "N", "Seed of the fault generator (1).", 0, std::numeric_limits<quint32>::max(),
         true, [](SimulatorOptions& o, double v) { o.faults.seed = quint32(v); }},
        {"drop", "P", "Probability (0..1) that an answer is lost; the command is carried out.", 0,
         1, false, [](SimulatorOptions& o, double v) { o.faults.dropProbability = v; }},
        {"drop-cell", "N",
         "The answer to every read of cell N (0..255) is lost; the cell can still be written.", 0,
         255, true, [](SimulatorOptions& o, double v) { o.faults.dropCell = int(v); }},
        {"error", "P", "Probability (0..1) of answering \"E\" instead; the command has no effect.",
         0, 1, false, [](SimulatorOptions& o, double v) { o.faults.errorProbability = v; }},
        {"noise", "P",
         "Probability (0..1) that an answer carries noise: blanks, NUL or 0xB0 bytes inside it, "
         "and/or a lone CR and a byte before it.",
         0, 1, false, [](SimulatorOptions& o, double v) { o.faults.noiseProbability = v; }},
        {"error-repeat", "N",
         "Answer every command \"E\" N times before carrying it out; identical commands in a row "
         "count together.",
         0, NoLimit, true, [](SimulatorOptions& o, double v) { o.faults.errorRepeat = int(v); }},
        {"delay", "MS",
         "The module takes MS milliseconds to work out each answer, one after another.", 0, NoLimit,
         true, [](SimulatorOptions& o, double v) { o.timing.delayMs = int(v); }},
        {"late-ms", "MS", "Every answer is held back MS milliseconds on its way to the host.", 0,
         NoLimit, true, [](SimulatorOptions& o, double v) { o.timing.lateMs = int(v); }},
        {"slow", "P",
         "Probability (0..1) that the module takes --slow-ms longer over an answer; the answers "
         "after it wait their turn.",
         0, 1, false, [](SimulatorOptions& o, double v) { o.faults.slowProbability = v; }},
        {"slow-ms", "MS", "How much longer a slow answer takes (1000).", 0, NoLimit, true,
         [](SimulatorOptions& o, double v) { o.faults.slowMs = int(v); }},
        {"split", "P",
         "Probability (0..1) that an answer carries a lone CR inside it (\"23\\r6\"): the line "
         "ends early and the byte after it is lost.",
         0, 1, false, [](SimulatorOptions& o, double v) { o.faults.splitProbability = v; }},
        {"flip", "P",
         "Probability (0..1) that one bit of one digit of an answer is flipped (\"52\" as "
         "\"56\"); nothing on the line shows it.",
         0, 1, false, [](SimulatorOptions& o, double v) { o.faults.flipProbability = v; }},
        {"stale", "P",
         "Probability (0..1) that the previous answer comes again before an answer, as an "
         "answer a host gave up on arrives late.",
         0, 1, false, [](SimulatorOptions& o, double v) { o.faults.staleProbability = v; }},
        {"stall-ms", "MS",
         "The module stalls once, MS milliseconds before an answer, then answers all it owes "
         "in order.",
         0, NoLimit, true, [](SimulatorOptions& o, double v) { o.faults.stallMs = int(v); }},
        {"stall-after", "N", "The stall of --stall-ms comes after N answered commands (10).", 0,
         NoLimit, true, [](SimulatorOptions& o, double v) { o.faults.stallAfter = int(v); }},
        {"pace", "BAUD",
         "Time bytes as a line at BAUD would (10 bits a byte), both ways; 0: no pacing.", 0,
         4000000, true, [](SimulatorOptions& o, double v) { o.timing.baud = int(v); }},
    };
    return options;
}

struct TextOption {
    const char* name;
    const char* valueName;
    const char* description;
    QString SimulatorOptions::*target;
};

const QList<TextOption>& textOptions()
{
    static const QList<TextOption> options = {
        {"link", "PATH", "Also make a symbolic link at PATH to the device (removed at exit).",
         &SimulatorOptions::linkPath},
        {"eeprom", "FILE",
         "Keep the 256 EEPROM cells in FILE: loaded if it exists (exactly 256 bytes), saved "
         "after every change.",
         &SimulatorOptions::eepromPath},
        {"trace", "FILE", "Trace every byte in (<) and out (>) to FILE; \"-\" for standard error.",
         &SimulatorOptions::tracePath},
    };
    return options;
}

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Simulated TK28950 inclinometer module on a pseudo-terminal. Prints the device path as "
        "the first line of standard output, then answers the module's commands until SIGTERM or "
        "SIGINT.");
    parser.addHelpOption();
    for (const TextOption& option : textOptions())
        parser.addOption({option.name, option.description, option.valueName});
    for (const NumberOption& option : numberOptions())
        parser.addOption({option.name, option.description, option.valueName});
    parser.addOption({"tilt",
                      "Move the module: \"sine:amplitude=DEG,period=S\" turns X and Y around "
                      "--angle-x and --angle-y on a circle of DEG degrees once every S seconds "
                      "(X a sine, Y a cosine).",
                      "PROFILE"});
    parser.addOption({"stuck-toggles", "Toggles \"g\", \"m\", \"b\" report their state but never "
                                       "change it."});
    parser.addOption({"silent", "Never answer anything."});
    parser.addOption({"version-text", "Answer \"v\" with TEXT (TK28950-V1.2.0.1).", "TEXT"});
    parser.addOption({"answers-outlive-host",
                      "Answers on their way when the host closes the device are still sent and "
                      "wait in it for the next host, as from a module that cannot know its host "
                      "left (otherwise they are lost with the host)."});
}

bool readNumber(const QCommandLineParser& parser, const NumberOption& option,
                SimulatorOptions& options)
{
    const QString text = parser.value(option.name);
    bool ok = false;
    const double value = option.integer ? double(text.toLongLong(&ok)) : text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < option.minimum || value > option.maximum) {
        std::fprintf(stderr, "tk28950-sim: bad value \"%s\" for --%s (%s from %g to %g)\n",
                     qPrintable(text), option.name, option.integer ? "an integer" : "a number",
                     option.minimum, option.maximum);
        return false;
    }
    option.store(options, value);
    return true;
}

bool readTilt(const QString& text, SimulatorOptions& options)
{
    QString error;
    if (parseTiltProfile(text, options.module.tilt, error))
        return true;
    std::fprintf(stderr, "tk28950-sim: bad value \"%s\" for --tilt: %s\n", qPrintable(text),
                 qPrintable(error));
    return false;
}

bool readValues(const QCommandLineParser& parser, SimulatorOptions& options)
{
    for (const TextOption& option : textOptions())
        options.*option.target = parser.value(option.name);
    for (const NumberOption& option : numberOptions()) {
        if (parser.isSet(option.name) && !readNumber(parser, option, options))
            return false;
    }
    if (parser.isSet("tilt") && !readTilt(parser.value("tilt"), options))
        return false;
    options.module.stuckToggles = parser.isSet("stuck-toggles");
    if (parser.isSet("version-text"))
        options.module.version = parser.value("version-text").toLatin1();
    options.faults.silent = parser.isSet("silent");
    options.timing.answersOutliveHost = parser.isSet("answers-outlive-host");
    return true;
}
} // namespace

CommandLineOutcome parseCommandLine(const QStringList& arguments, SimulatorOptions& options)
{
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "tk28950-sim: %s\n", qPrintable(parser.errorText()));
        return CommandLineOutcome::ExitUsageError;
    }
    if (parser.isSet("help")) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return CommandLineOutcome::ExitSuccess;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tk28950-sim: unexpected argument \"%s\"\n",
                     qPrintable(parser.positionalArguments().first()));
        return CommandLineOutcome::ExitUsageError;
    }
    return readValues(parser, options) ? CommandLineOutcome::Run
                                       : CommandLineOutcome::ExitUsageError;
}
