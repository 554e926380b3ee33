// tk28950 ports: which of the machine's serial ports is the module.
#include "AnswerShape.h"
#include "CommandContext.h"
#include "Commands.h"
#include "SerialPorts.h"
#include "TK28950Dispids.h"

#include <QJsonArray>

namespace {

// The version the module on device answers, or why none came.
QString probe(const CommandContext& context, const QString& device, bool* isModule)
{
    try {
        const std::unique_ptr<ModuleSession> session = context.sessionOn(device);
        session->open();
        const Answer answer = session->request(
            tk28950::dispid::Version, {}, QStringLiteral("version"),
            {AnswerEvent::DataReady, AnswerShape::isVersion, QStringLiteral("a version text")});
        *isModule = true;
        return answer.text;
    } catch (const ToolError& error) {
        *isModule = false;
        return error.message;
    }
}

} // namespace

namespace Commands {

ExitCode listPorts(CommandContext& context)
{
    const bool probing = context.hasOption(QStringLiteral("probe"));
    const QList<SerialPorts::Port> ports = SerialPorts::survey();
    QJsonArray objects;
    QStringList lines;
    for (const SerialPorts::Port& port : ports) {
        QJsonObject object = SerialPorts::toJson(port);
        QString line = SerialPorts::describe(port);
        if (probing && port.access == SerialPorts::Access::Free) {
            bool isModule = false;
            const QString answer = probe(context, port.device, &isModule);
            object.insert(QStringLiteral("module"), isModule);
            object.insert(isModule ? QStringLiteral("version") : QStringLiteral("probe"), answer);
            line += isModule ? QStringLiteral("  module %1").arg(answer)
                             : QStringLiteral("  no module (%1)").arg(answer);
        }
        objects << object;
        lines << line;
    }
    const QString text =
        lines.isEmpty() ? QStringLiteral("no serial ports found") : lines.join('\n');
    context.output().result({{"command", context.name()}, {"ports", objects}}, text);
    return ExitCode::Success;
}

} // namespace Commands
