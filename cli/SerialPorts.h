#pragma once
// The machine's serial ports as an operator needs to tell them apart: what
// the system says about each one (its USB identity), which port number
// leads to it, and whether this user may open it now.
#include <QJsonObject>
#include <QList>
#include <QString>

namespace SerialPorts {

enum class Access { Free, PermissionDenied, InUse, Missing, Failed };

struct Port {
    QString device;    // "/dev/ttyUSB0"
    QString byId;      // its name under /dev/serial/by-id, or empty
    QString vendorId;  // "0403", or empty when not a USB device
    QString productId; // "6001"
    QString serialNumber;
    QString description;    // as the adapter reports it
    QList<int> portNumbers; // the port numbers that resolve to the device
    Access access = Access::Free;
    QString accessText; // why it cannot be opened, when it cannot
};

// The ports the system knows of, and every device the port map or
// TK28950_PORT_<N> names, sorted by device.
QList<Port> survey();

// Whether this user may open the device now, with the reason when not.
Access accessOf(const QString& device, QString* reason);

// One line for people and one object for scripts.
QString describe(const Port& port);
QJsonObject toJson(const Port& port);

// What to add to the reason the control gave why a device could not be
// opened, so that the operator knows what to do: the candidate ports when
// there is no such device. Empty when nothing helps.
QString openFailureHint(const QString& reason);

} // namespace SerialPorts
