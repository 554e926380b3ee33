#include "PortMap.h"

#include "ConfigFolders.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// The device named for port in the map file, or the empty text.
QString LookUpMapFile(int port)
{
    QFile file(PortMap::configFile());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    while (!file.atEnd()) {
        const QString line = QString::fromLocal8Bit(file.readLine());
        const QString trimmed = line.left(line.indexOf(QLatin1Char('#'))).trimmed();
        const qsizetype split = trimmed.indexOf(blanks);
        if (split <= 0)
            continue;
        bool isNumber = false;
        if (trimmed.left(split).toInt(&isNumber) == port && isNumber)
            return trimmed.mid(split).trimmed();
    }
    return {};
}

} // namespace

namespace PortMap {

QString configFile()
{
    return component::userConfigFolder() + QStringLiteral("/ports.conf");
}

QString MappedPath(int port)
{
    if (port <= 0)
        return {};
    const QString fromEnvironment =
        qEnvironmentVariable(QStringLiteral("TK28950_PORT_%1").arg(port).toLatin1().constData());
    return fromEnvironment.isEmpty() ? LookUpMapFile(port) : fromEnvironment;
}

QString DevicePath(int port)
{
    if (port <= 0)
        return {};
    const QString mapped = MappedPath(port);
    return mapped.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(port - 1) : mapped;
}

} // namespace PortMap
