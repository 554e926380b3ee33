#include "DevicePort.h"

#include "ControlError.h"

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
    const QByteArray device = path.toLocal8Bit();
    for (int port = kHighestPort; port >= 1; --port)
        if (qgetenv(variableFor(port).constData()) == device)
            return port;
    for (int port = kHighestPort; port >= 1; --port) {
        if (qEnvironmentVariableIsSet(variableFor(port).constData()))
            continue;
        qputenv(variableFor(port).constData(), device);
        return port;
    }
    throw ControlError(QStringLiteral("cannot map %1 to a port number: TK28950_PORT_1 to "
                                      "TK28950_PORT_15 are all set")
                           .arg(path));
}

} // namespace DevicePort
