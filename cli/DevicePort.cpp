#include "DevicePort.h"

#include "ToolError.h"

namespace DevicePort {
namespace {
constexpr int kHighestPort = 15;

QByteArray variableFor(int port)
{
    return "TK28950_PORT_" + QByteArray::number(port);
}
} // namespace

int map(const QString& path)
{
    for (int port = kHighestPort; port >= 1; --port) {
        if (qEnvironmentVariableIsSet(variableFor(port).constData()))
            continue;
        qputenv(variableFor(port).constData(), path.toLocal8Bit());
        return port;
    }
    throw ToolError{ExitCode::NoControl,
                    QStringLiteral("cannot map %1 to a port number: TK28950_PORT_1 to "
                                   "TK28950_PORT_15 are all set")
                        .arg(path)};
}

} // namespace DevicePort
