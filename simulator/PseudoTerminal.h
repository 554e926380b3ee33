#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class HostWatch;
class QSocketNotifier;

// The module's end of the line: the master side of a pseudo-terminal whose
// slave device a host opens as its serial port. The simulator keeps the
// slave open itself, so that a host closing it is no hangup and the next
// host finds it working. Bytes for the host are lost while no host has the
// device open, as on a line with nobody listening; once the simulator sees
// the last host close it, whatever that host left unread is discarded.
class PseudoTerminal : public QObject {
    Q_OBJECT
public:
    explicit PseudoTerminal(QObject* parent = nullptr);
    ~PseudoTerminal() override;

    bool open(QString& error);
    QString devicePath() const { return m_devicePath; }
    bool hostPresent();
    // Bytes for the host are written whether or not a host has the device
    // open, and what a closing host left unread stays for the next one.
    void keepUnreadForNextHost() { m_keepUnread = true; }
    void write(const QByteArray& bytes);

signals:
    void received(const QByteArray& bytes); // from the host
    void written(const QByteArray& bytes);  // handed to the host
    void hostsGone();

private:
    bool openMaster(QString& error);
    bool openSlave(QString& error);
    void readFromHost();
    void writePending();
    void discardUnread();

    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QByteArray m_pending;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    HostWatch* m_hosts = nullptr;
    bool m_keepUnread = false;
    quint64 m_hostsGoneCount = 0;
};
