#include "SerialPorts.h"

#include "link/PortMap.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QSerialPortInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace SerialPorts {
namespace {

constexpr int kHighestPort = 15;
// Debian's group of the serial devices.
const QString kSerialGroup = QStringLiteral("dialout");

QString canonical(const QString& path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

QString byIdName(const QString& device)
{
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    const QStringList names = byId.entryList(QDir::System | QDir::Files);
    for (const QString& name : names)
        if (canonical(byId.filePath(name)) == device)
            return name;
    return {};
}

QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

Port fromInfo(const QSerialPortInfo& info)
{
    Port port;
    port.device = canonical(info.systemLocation());
    if (info.hasVendorIdentifier())
        port.vendorId = hex4(info.vendorIdentifier());
    if (info.hasProductIdentifier())
        port.productId = hex4(info.productIdentifier());
    port.serialNumber = info.serialNumber();
    port.description = info.description();
    return port;
}

QString accessName(Access access)
{
    switch (access) {
    case Access::Free:
        return QStringLiteral("free");
    case Access::PermissionDenied:
        return QStringLiteral("permission denied");
    case Access::InUse:
        return QStringLiteral("in use");
    case Access::Missing:
        return QStringLiteral("missing");
    case Access::Failed:
        break;
    }
    return QStringLiteral("cannot be opened");
}

} // namespace

Access accessOf(const QString& device, QString* reason)
{
    const QByteArray path = QFile::encodeName(device);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        *reason = qt_error_string(error);
        if (error == EACCES || error == EPERM)
            return Access::PermissionDenied;
        if (error == EBUSY)
            return Access::InUse;
        if (error == ENOENT || error == ENODEV || error == ENXIO)
            return Access::Missing;
        return Access::Failed;
    }
    const bool terminal = ::isatty(fd);
    // Hosts of the control hold an exclusive lock on the device they use.
    const bool locked = terminal && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    if (!terminal) {
        *reason = QStringLiteral("not a serial port");
        return Access::Failed;
    }
    if (!locked)
        return Access::Free;
    *reason = QStringLiteral("in use by another program");
    return Access::InUse;
}

QList<Port> survey()
{
    QList<Port> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos)
        ports << fromInfo(info);
    for (int number = 1; number <= kHighestPort; ++number) {
        const QString device = canonical(PortMap::DevicePath(number));
        auto known = std::find_if(ports.begin(), ports.end(),
                                  [&](const Port& port) { return port.device == device; });
        if (known == ports.end()) {
            if (PortMap::MappedPath(number).isEmpty())
                continue; // the first serial ports count only when the system lists them
            Port mapped;
            mapped.device = device;
            known = ports.insert(ports.end(), mapped);
        }
        known->portNumbers << number;
    }
    for (Port& port : ports) {
        port.byId = byIdName(port.device);
        port.access = accessOf(port.device, &port.accessText);
    }
    std::sort(ports.begin(), ports.end(),
              [](const Port& a, const Port& b) { return a.device < b.device; });
    return ports;
}

QString describe(const Port& port)
{
    QStringList numbers;
    for (const int number : port.portNumbers)
        numbers << QString::number(number);
    QStringList fields{
        port.device,
        numbers.isEmpty() ? QStringLiteral("-") : QStringLiteral("port ") + numbers.join(','),
        port.byId.isEmpty() ? QStringLiteral("-") : port.byId,
        port.vendorId.isEmpty() ? QStringLiteral("-") : port.vendorId + ':' + port.productId,
        port.serialNumber.isEmpty() ? QStringLiteral("-") : port.serialNumber,
        QStringLiteral("\"%1\"").arg(port.description)};
    QString access = accessName(port.access);
    if (port.access == Access::PermissionDenied)
        access += QStringLiteral(" (join the %1 group)").arg(kSerialGroup);
    else if (port.access != Access::Free && port.access != Access::InUse)
        access += QStringLiteral(" (%1)").arg(port.accessText);
    fields << access;
    return fields.join(QStringLiteral("  "));
}

QJsonObject toJson(const Port& port)
{
    QJsonArray numbers;
    for (const int number : port.portNumbers)
        numbers << number;
    QJsonObject object{{"device", port.device},
                       {"by_id", port.byId},
                       {"vendor_id", port.vendorId},
                       {"product_id", port.productId},
                       {"serial_number", port.serialNumber},
                       {"description", port.description},
                       {"ports", numbers},
                       {"access", accessName(port.access)}};
    if (port.access != Access::Free)
        object.insert(QStringLiteral("reason"), port.accessText);
    return object;
}

QString openFailureHint(const QString& reason)
{
    // The control's reason for a missing permission says already which
    // group to join.
    if (!reason.endsWith(QLatin1String("no such device")))
        return {};
    QStringList candidates;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos)
        candidates << info.systemLocation();
    return candidates.isEmpty()
               ? QStringLiteral("no serial ports found; is the adapter plugged in?")
               : QStringLiteral("serial ports here: %1 (tk28950 ports tells them apart)")
                     .arg(candidates.join(QStringLiteral(", ")));
}

} // namespace SerialPorts
