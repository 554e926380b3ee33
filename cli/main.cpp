// tk28950: the command-line host of the TK28950 control, for production
// lines and service laptops.
#include "CommandContext.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Output.h"
#include "ToolError.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace {

void print(const QString& text)
{
    std::fputs(qUtf8Printable(text), stdout);
}

int runCommand(const Invocation& invocation, const Output& output)
{
    const QString name = invocation.command->name;
    // A call into the control that outlives its bound cannot be unwound
    // from inside the control's wait: report and leave.
    auto abandon = [&output, name](const ToolError& error) {
        output.failure(name, error);
        std::fflush(nullptr);
        std::_Exit(static_cast<int>(error.code));
    };
    try {
        CommandContext context(invocation, output, abandon);
        return static_cast<int>(invocation.command->handler(context));
    } catch (const ToolError& error) {
        output.failure(name, error);
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
        invocation = CommandLine::parse(arguments, commands);
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
    return runCommand(invocation, Output(invocation.global.json));
}
