#include "CMSComm.h"

#include "ByteTrace.h"
#include "PortMap.h"
#include "QuotedInput.h"

#include <QSerialPort>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QSerialPort::Parity ParityOf(char letter)
{
    switch (letter) {
    case 'e':
        return QSerialPort::EvenParity;
    case 'o':
        return QSerialPort::OddParity;
    case 'm':
        return QSerialPort::MarkParity;
    case 's':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits StopBitsOf(int halfBits)
{
    switch (halfBits) {
    case 3:
        return QSerialPort::OneAndHalfStop;
    case 4:
        return QSerialPort::TwoStop;
    default:
        return QSerialPort::OneStop;
    }
}

// The group whose members may use the device: its own group when that group
// may read and write it, otherwise the group serial devices usually have.
QString DeviceGroup(const QString& device)
{
    struct stat info {};
    const bool groupMayUse = ::stat(device.toLocal8Bit().constData(), &info) == 0 &&
                             info.st_gid != 0 && (info.st_mode & S_IRGRP) &&
                             (info.st_mode & S_IWGRP);
    const struct group* group = groupMayUse ? ::getgrgid(info.st_gid) : nullptr;
    return group ? QString::fromLocal8Bit(group->gr_name) : QStringLiteral("dialout");
}

// Why a device could not be opened, in the operator's words, with what to
// do about a missing permission.
QString OpenFailure(const QString& device, int error)
{
    switch (error) {
    case EBUSY:
    case EWOULDBLOCK:
        return QStringLiteral("in use by another program");
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return QStringLiteral("no such device");
    case ENOTTY:
        return QStringLiteral("not a serial port");
    case EACCES:
    case EPERM:
        return QStringLiteral("%1; to use this port, join the group %2 (sudo adduser $USER %2) "
                              "and log in again")
            .arg(qt_error_string(error), DeviceGroup(device));
    default:
        return qt_error_string(error);
    }
}

} // namespace

CMSComm::CMSComm(QObject* parent) : QObject(parent) {}

CMSComm::~CMSComm()
{
    Destroy();
}

bool CMSComm::Create()
{
    if (m_serial)
        return true;
    m_serial = std::make_unique<QSerialPort>();
    connect(m_serial.get(), &QSerialPort::readyRead, this, &CMSComm::OnReadyRead);
    connect(m_serial.get(), &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { OnSerialError(e); });
    return true;
}

void CMSComm::Destroy()
{
    if (m_serial) {
        m_serial->close();
        m_serial.reset();
    }
    ReleaseLock();
}

bool CMSComm::IsCreated() const
{
    return m_serial != nullptr;
}

bool CMSComm::SetCommPort(qint16 port)
{
    if (PortOpen())
        return Fail(QStringLiteral("%1: the port number cannot change while the port is open")
                        .arg(m_device));
    m_port = port;
    return true;
}

bool CMSComm::SetSettings(const QString& settings)
{
    LineSettings parsed;
    if (!ParseSettings(settings, &parsed))
        return Fail(QStringLiteral("Invalid port settings %1 (expected baud,parity,data "
                                   "bits,stop bits, for example 38400,n,8,1)")
                        .arg(component::quotedInput(settings)));
    m_settings = settings;
    m_line = parsed;
    return !PortOpen() || ApplySettings();
}

bool CMSComm::SetRThreshold(qint16 count)
{
    if (count < 0)
        return Fail(QStringLiteral("Invalid receive threshold %1").arg(count));
    m_rThreshold = count;
    return true;
}

bool CMSComm::SetSThreshold(qint16 count)
{
    if (count < 0)
        return Fail(QStringLiteral("Invalid send threshold %1").arg(count));
    m_sThreshold = count;
    return true;
}

bool CMSComm::SetInputMode(qint32 mode)
{
    if (mode != 0 && mode != 1)
        return Fail(QStringLiteral("Invalid input mode %1 (0 text, 1 binary)").arg(mode));
    m_inputMode = mode;
    return true;
}

bool CMSComm::PortOpen() const
{
    return m_serial && m_serial->isOpen();
}

bool CMSComm::SetPortOpen(bool open)
{
    if (!m_serial)
        return Fail(QStringLiteral("The serial port control has not been created"));
    if (!open) {
        m_serial->close();
        ReleaseLock();
        return true;
    }
    if (PortOpen())
        return FailOnDevice(QStringLiteral("port already open"));
    m_device = PortMap::DevicePath(m_port);
    if (m_device.isEmpty())
        return Fail(QStringLiteral("Port %1 names no serial device").arg(m_port));
    if (!LockDevice())
        return false;
    m_serial->setPortName(m_device);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        const QString reason = m_serial->errorString();
        ReleaseLock();
        return FailOnDevice(reason);
    }
    if (!ApplySettings()) {
        m_serial->close();
        ReleaseLock();
        return false;
    }
    // Whatever the device received before it was ours (a late answer to an
    // earlier program) is no answer to anything we will send.
    m_serial->clear(QSerialPort::Input);
    m_error.clear();
    return true;
}

void CMSComm::SetOutput(const QByteArray& bytes)
{
    if (!PortOpen())
        return;
    ByteTrace::Sent(bytes);
    m_serial->write(bytes);
    m_serial->flush();
}

// A port closed because its device is gone has nothing more to give.
QByteArray CMSComm::Input()
{
    const QByteArray bytes = PortOpen() ? m_serial->readAll() : QByteArray();
    ByteTrace::Received(bytes);
    return bytes;
}

qint16 CMSComm::InBufferCount() const
{
    return m_serial ? qint16(qMin<qint64>(m_serial->bytesAvailable(), 32767)) : 0;
}

bool CMSComm::ParseSettings(const QString& text, LineSettings* out)
{
    const QStringList fields = text.trimmed().toLower().split(QLatin1Char(','));
    if (fields.size() != 4)
        return false;
    bool baudOk = false;
    bool bitsOk = false;
    const qint32 baud = fields[0].trimmed().toInt(&baudOk);
    const QString parity = fields[1].trimmed();
    const int dataBits = fields[2].trimmed().toInt(&bitsOk);
    const QString stop = fields[3].trimmed();
    const int stopHalfBits = stop == QLatin1String("1")     ? 2
                             : stop == QLatin1String("1.5") ? 3
                             : stop == QLatin1String("2")   ? 4
                                                            : 0;
    if (!baudOk || baud <= 0 || !bitsOk || dataBits < 5 || dataBits > 8 || stopHalfBits == 0 ||
        parity.size() != 1 || !QStringLiteral("neoms").contains(parity))
        return false;
    out->baud = baud;
    out->parity = parity.at(0).toLatin1();
    out->dataBits = dataBits;
    out->stopBits = stopHalfBits;
    return true;
}

bool CMSComm::ApplySettings()
{
    const bool applied = m_serial->setBaudRate(m_line.baud) &&
                         m_serial->setDataBits(QSerialPort::DataBits(m_line.dataBits)) &&
                         m_serial->setParity(ParityOf(m_line.parity)) &&
                         m_serial->setStopBits(StopBitsOf(m_line.stopBits)) &&
                         m_serial->setFlowControl(QSerialPort::NoFlowControl);
    return applied || FailOnDevice(m_serial->errorString());
}

// The device's own exclusive mode does not hold against a privileged
// process, so an advisory lock on a descriptor of our own guards the device
// against a second open from this process or any other.
bool CMSComm::LockDevice()
{
    const QByteArray path = m_device.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FailOnDevice(OpenFailure(m_device, errno));
    // A file that is no terminal (a regular file, /dev/null) opens and locks
    // like a port, but no settings apply to it.
    const int error = !::isatty(fd) ? ENOTTY : ::flock(fd, LOCK_EX | LOCK_NB) != 0 ? errno : 0;
    if (error != 0) {
        ::close(fd);
        return FailOnDevice(OpenFailure(m_device, error));
    }
    m_lockFd = fd;
    return true;
}

void CMSComm::ReleaseLock()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
}

void CMSComm::OnReadyRead()
{
    m_commEvent = kEventReceive;
    if (m_rThreshold > 0 && m_serial->bytesAvailable() >= m_rThreshold)
        emit OnComm();
}

// A resource error on an open port means the device is gone, and so does a
// read error on a line that has hung up (the far end of a pseudo-terminal
// closed: reads find the end of the file). The owner is told from the event
// loop, not from inside the port's own signal, so that it may release the
// port in its handler.
void CMSComm::OnSerialError(int error)
{
    if (!PortOpen())
        return;
    const bool gone =
        error == QSerialPort::ResourceError || (error == QSerialPort::ReadError && HungUp());
    if (!gone)
        return;
    // A hung-up line leaves the port's own text at whatever the last failed
    // call set, which says nothing about the device; the hang-up is the news.
    const QString reason = error == QSerialPort::ResourceError ? m_serial->errorString()
                                                               : QStringLiteral("the line hung up");
    m_error = m_device + QStringLiteral(": device disconnected (") + reason + QLatin1Char(')');
    m_serial->close();
    ReleaseLock();
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_commEvent = kEventDeviceLost;
            emit OnComm();
        },
        Qt::QueuedConnection);
}

bool CMSComm::HungUp() const
{
    pollfd line{static_cast<int>(m_serial->handle()), POLLIN, 0};
    return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL));
}

bool CMSComm::Fail(const QString& text)
{
    m_error = text;
    return false;
}

bool CMSComm::FailOnDevice(const QString& reason)
{
    return Fail(m_device + QStringLiteral(": ") + reason);
}
