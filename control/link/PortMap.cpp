#include "PortMap.h"

#include "BoundedFile.h"
#include "ConfigFolders.h"

#include <QRegularExpression>

namespace {

// A map of fifteen ports with comments fits many times over; a FIFO, a
// device or a larger file is no map, and is never waited on or read whole.
constexpr qint64 kMaxMapBytes = 64 * 1024;

// The device named for port in the map file, or the empty text.
QString LookUpMapFile(int port)
{
    const component::BoundedFile file =
        component::readBoundedFile(PortMap::configFile(), kMaxMapBytes);
    if (!file.ok())
        return {};
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QByteArray& line : file.content.split('\n')) {
        const QString text = QString::fromLocal8Bit(line);
        const QString trimmed = text.left(text.indexOf(QLatin1Char('#'))).trimmed();
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
