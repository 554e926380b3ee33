// tk28950: the command-line host of the TK28950 control, for production
// lines and service laptops.
#include "CommandContext.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Output.h"
#include "ToolConfig.h"
#include "ToolError.h"
#include "link/PortMap.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

void print(const QString& text)
{
    std::fputs(qUtf8Printable(text), stdout);
}

int runCommand(const Invocation& invocation, const Output& output)
{
    try {
        CommandContext context(invocation, output);
        return static_cast<int>(invocation.command->handler(context));
    } catch (const ToolError& error) {
        output.failure(invocation.command->name, error);
        return static_cast<int>(error.code);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tk28950"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TK28950_VERSION));
    const QVector<CommandSpec>& commands = Commands::table();
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    Invocation invocation;
    try {
        const GlobalOptions defaults = ToolConfig::defaults();
        invocation = CommandLine::parse(arguments, commands, defaults);
        ToolConfig::applyDevice(defaults, &invocation.global);
    } catch (const ToolError& error) {
        Output(arguments.contains(QStringLiteral("--json"))).failure({}, error);
        return static_cast<int>(error.code);
    }
    if (invocation.version) {
        print(QStringLiteral("tk28950 %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (invocation.help) {
        print(invocation.command           ? CommandLine::commandHelp(*invocation.command)
              : invocation.group.isEmpty() ? CommandLine::generalHelp(commands)
                                           : CommandLine::groupHelp(invocation.group, commands));
        return 0;
    }
    if (invocation.global.trace)
        qputenv("TK28950_TRACE", "1");
    // The control also logs why a port failed; the tool says it once itself,
    // so the log is shown only to the operator who asked for detail.
    if (!invocation.global.verbose)
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const GlobalOptions& global = invocation.global;
    const QString device =
        global.device.isEmpty() ? PortMap::DevicePath(global.port.value_or(1)) : global.device;
    return runCommand(invocation, Output(global.json, device));
}
