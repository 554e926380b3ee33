#include "CommandLine.h"

#include "ArgumentConversion.h"

#include "QuotedInput.h"
#include "ToolError.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace CommandLine {
namespace {

const QVector<OptionSpec>& globalOptions()
{
    static const QVector<OptionSpec> options{
        {"port", "N", "serial port number, resolved through the port map (default 1)"},
        {"device", "PATH", "serial device to use instead of a port number"},
        {"json", "", "print one JSON object per command on standard output"},
        {"trace", "", "write every byte to and from the module, timed, on standard error"},
        {"timeout", "MS",
         "a fixed bound for one answer (default: learnt from the line's round trips, "
         "20 to 1000 ms, 250 ms at first)"},
        {"retries", "N",
         "how often a request whose answer was lost or wrong is tried again (default 3)"},
        {"single-read", "",
         "read each cell, property and reading once; by default a value is read until two reads "
         "agree"},
        {"quiet", "", "print only results and errors, no progress (also -q)"},
        {"verbose", "", "say which library and port are used (also -v; -vv: and --trace)"},
        {"help", "", "show help (also after a command: tk28950 eeprom dump --help)"},
        {"version", "", "show the tool's version"},
    };
    return options;
}

const OptionSpec* findOption(const QVector<OptionSpec>& options, const QString& name)
{
    const auto found = std::find_if(options.begin(), options.end(),
                                    [&](const OptionSpec& option) { return option.name == name; });
    return found == options.end() ? nullptr : &*found;
}

// The short options: -h, -q, and -v, -vv, ... (more detail each).
bool isShortOption(const QString& token)
{
    static const QRegularExpression shortOption(QStringLiteral("^-(h|q|v+)$"));
    return shortOption.match(token).hasMatch();
}

bool looksLikeOption(const QString& token)
{
    return isShortOption(token) || (token.startsWith(QLatin1String("--")) && token.size() > 2);
}

class Parser {
public:
    Parser(const QStringList& tokens, const QVector<CommandSpec>& commands,
           const GlobalOptions& defaults)
        : m_tokens(tokens), m_commands(commands)
    {
        m_result.global.timeoutMs = defaults.timeoutMs;
        m_result.global.retries = defaults.retries;
    }

    Invocation run()
    {
        bool optionsEnded = false;
        for (m_next = 0; m_next < m_tokens.size();) {
            const QString token = m_tokens.at(m_next++);
            if (!optionsEnded && token == QLatin1String("--"))
                optionsEnded = true;
            else if (!optionsEnded && looksLikeOption(token))
                takeOption(token);
            else
                takeWord(token);
        }
        if (!m_result.help && !m_result.version)
            checkComplete();
        return m_result;
    }

private:
    void takeOption(const QString& token)
    {
        if (token == QLatin1String("-h"))
            return void(m_result.help = true);
        if (token == QLatin1String("-q"))
            return void(m_result.global.quiet = true);
        if (isShortOption(token)) {
            for (qsizetype level = 1; level < token.size(); ++level)
                takeGlobal(*findOption(globalOptions(), QStringLiteral("verbose")), {});
            return;
        }
        const qsizetype equals = token.indexOf(QLatin1Char('='));
        const QString name = token.mid(2, equals < 0 ? -1 : equals - 2);
        const std::optional<QString> inlineValue =
            equals < 0 ? std::nullopt : std::optional<QString>(token.mid(equals + 1));
        if (const OptionSpec* global = findOption(globalOptions(), name))
            return takeGlobal(*global, optionValue(*global, inlineValue));
        if (m_result.command)
            if (const OptionSpec* own = findOption(m_result.command->options, name))
                return void(m_result.options.insert(name, optionValue(*own, inlineValue)));
        throw usageError(QStringLiteral("unknown option --%1").arg(name));
    }

    QString optionValue(const OptionSpec& option, const std::optional<QString>& inlineValue)
    {
        if (option.valueName.isEmpty()) {
            if (inlineValue)
                throw usageError(QStringLiteral("--%1 takes no value").arg(option.name));
            return QString();
        }
        const QString value = inlineValue                ? *inlineValue
                              : m_next < m_tokens.size() ? m_tokens.at(m_next++)
                                                         : QString();
        if (value.isEmpty())
            throw usageError(
                QStringLiteral("--%1 needs a value %2").arg(option.name, option.valueName));
        return value;
    }

    void takeGlobal(const OptionSpec& option, const QString& value)
    {
        GlobalOptions& global = m_result.global;
        const QString what = QStringLiteral("--") + option.name;
        if (option.name == QLatin1String("port"))
            global.ports << *(global.port = ArgumentConversion::toInteger(value, 1, 32767, what));
        else if (option.name == QLatin1String("device"))
            global.devices << (global.device = value);
        else if (option.name == QLatin1String("timeout"))
            global.timeoutMs = ArgumentConversion::toInteger(value, 1, kMaxTimeoutMs, what);
        else if (option.name == QLatin1String("retries"))
            global.retries = ArgumentConversion::toInteger(value, 0, kMaxRetries, what);
        else if (option.name == QLatin1String("single-read"))
            global.singleRead = true;
        else if (option.name == QLatin1String("json"))
            global.json = true;
        else if (option.name == QLatin1String("trace"))
            global.trace = true;
        else if (option.name == QLatin1String("quiet"))
            global.quiet = true;
        else if (option.name == QLatin1String("verbose"))
            global.trace = std::exchange(global.verbose, true) || global.trace;
        else if (option.name == QLatin1String("help"))
            m_result.help = true;
        else if (option.name == QLatin1String("version"))
            m_result.version = true;
    }

    void takeWord(const QString& token)
    {
        if (m_result.command)
            return void(m_result.arguments << token);
        const QString words = m_result.group.isEmpty() ? token : m_result.group + ' ' + token;
        for (const CommandSpec& command : m_commands)
            if (command.name == words) {
                m_result.command = &command;
                m_result.group.clear();
                return;
            }
        for (const CommandSpec& command : m_commands)
            if (command.name.startsWith(words + ' ')) {
                m_result.group = words;
                return;
            }
        if (m_result.group.isEmpty())
            throw usageError(
                QStringLiteral("unknown command %1").arg(component::quotedInput(token)));
        throw usageError(QStringLiteral("unknown %1 command %2")
                             .arg(m_result.group, component::quotedInput(token)));
    }

    void checkComplete() const
    {
        if (!m_result.global.device.isEmpty() && m_result.global.port)
            throw usageError(QStringLiteral("give either --port or --device, not both"));
        if (!m_result.group.isEmpty())
            throw usageError(
                QStringLiteral("%1 needs a command: %2").arg(m_result.group, subcommands()));
        if (!m_result.command)
            throw usageError(QStringLiteral("no command given; try tk28950 --help"));
        const CommandSpec& command = *m_result.command;
        const qsizetype count = m_result.arguments.size();
        if (count < command.minArguments)
            throw usageError(QStringLiteral("%1 needs %2").arg(command.name, command.arguments));
        if (command.maxArguments >= 0 && count > command.maxArguments)
            throw usageError(QStringLiteral("too many arguments for %1 (usage: %1 %2)")
                                 .arg(command.name, command.arguments)
                                 .trimmed());
    }

    QString subcommands() const
    {
        QStringList names;
        for (const CommandSpec& command : m_commands)
            if (command.name.startsWith(m_result.group + ' '))
                names << command.name.mid(m_result.group.size() + 1);
        return names.join(QStringLiteral(", "));
    }

    const QStringList& m_tokens;
    const QVector<CommandSpec>& m_commands;
    qsizetype m_next = 0;
    Invocation m_result;
};

QString optionLines(const QVector<OptionSpec>& options)
{
    QString text;
    for (const OptionSpec& option : options) {
        const QString left = QStringLiteral("--%1 %2").arg(option.name, option.valueName).trimmed();
        text += QStringLiteral("  %1 %2\n").arg(left, -16).arg(option.description);
    }
    return text;
}

QString usageLine(const CommandSpec& command)
{
    QString line = command.name;
    if (!command.options.isEmpty())
        line += QStringLiteral(" [OPTIONS]");
    if (!command.arguments.isEmpty())
        line += ' ' + command.arguments;
    return line;
}

QString commandList(const QVector<CommandSpec>& commands, const QString& group)
{
    QString text;
    for (const CommandSpec& command : commands)
        if (group.isEmpty() || command.name.startsWith(group + ' '))
            text += QStringLiteral("  %1 %2\n")
                        .arg(QString(command.name + ' ' + command.arguments).trimmed(), -28)
                        .arg(command.summary);
    return text;
}

QString exitStatusText()
{
    return QStringLiteral(
        "Exit status:\n"
        "  0  every step succeeded\n"
        "  1  the module did not answer, answered with an error, or a verify failed\n"
        "  2  bad command line or bad input (nothing was sent to the module)\n"
        "  3  the control cannot be created or the port cannot be opened\n"
        "  4  a file cannot be read or written\n"
        "  5  eeprom diff: the module and the file differ\n");
}

} // namespace

Invocation parse(const QStringList& arguments, const QVector<CommandSpec>& commands,
                 const GlobalOptions& defaults)
{
    return Parser(arguments, commands, defaults).run();
}

QString generalHelp(const QVector<CommandSpec>& commands)
{
    return QStringLiteral("Usage: tk28950 [OPTIONS] COMMAND [ARGUMENTS]\n\n"
                          "Talks to a TK28950 inclinometer module through its control library.\n\n"
                          "Commands:\n") +
           commandList(commands, {}) + QStringLiteral("\nOptions:\n") +
           optionLines(globalOptions()) + '\n' + exitStatusText() +
           QStringLiteral("\nRun \"tk28950 COMMAND --help\" for a command's details, "
                          "\"man tk28950\" for everything.\n");
}

QString commandHelp(const CommandSpec& command)
{
    QString text = QStringLiteral("Usage: tk28950 [GLOBAL OPTIONS] %1\n\n%2\n")
                       .arg(usageLine(command), command.summary);
    if (!command.details.isEmpty())
        text += '\n' + command.details + '\n';
    if (!command.options.isEmpty())
        text += QStringLiteral("\nOptions:\n") + optionLines(command.options);
    text += QStringLiteral("\nGlobal options:\n") + optionLines(globalOptions());
    return text + '\n' + exitStatusText();
}

QString groupHelp(const QString& group, const QVector<CommandSpec>& commands)
{
    return QStringLiteral("Usage: tk28950 [OPTIONS] %1 COMMAND [ARGUMENTS]\n\nCommands:\n")
               .arg(group) +
           commandList(commands, group);
}

} // namespace CommandLine
