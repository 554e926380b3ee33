#pragma once
// The serial port the control talks through: a thin wrapper over
// QSerialPort offering only the members the library relies on, with their
// classic meanings. Port numbers resolve to devices through PortMap.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QSerialPort;

class CMSComm : public QObject {
    Q_OBJECT
public:
    // CommEvent value of a receive notification.
    static constexpr int kEventReceive = 2;
    // CommEvent value when the device went away while open (an adapter
    // pulled, the far end of a pseudo-terminal closed); the port is then
    // closed and ErrorText() says why.
    static constexpr int kEventDeviceLost = 1100;

    explicit CMSComm(QObject* parent = nullptr);
    ~CMSComm() override;

    // Creates the underlying port object (not yet open). False if it cannot
    // be created; Destroy() releases it and, with it, the device.
    bool Create();
    void Destroy();
    bool IsCreated() const;

    // Property writes. Each returns false and sets ErrorText() when the
    // value is not accepted (for example a malformed settings text).
    bool SetCommPort(qint16 port);
    bool SetSettings(const QString& settings); // "38400,n,8,1"
    bool SetRThreshold(qint16 count);
    bool SetSThreshold(qint16 count);
    bool SetInputMode(qint32 mode); // 1: binary

    qint16 CommPort() const { return m_port; }
    bool PortOpen() const;
    // true opens the device named by CommPort exclusively and applies the
    // settings; false closes it. False with ErrorText() on failure, which
    // names the device and the system's reason (missing, permission, busy).
    bool SetPortOpen(bool open);

    void SetOutput(const QByteArray& bytes);
    QByteArray Input(); // every byte received and not yet read
    qint16 InBufferCount() const;
    qint16 CommEvent() const { return m_commEvent; }

    QString ErrorText() const { return m_error; }
    QString DevicePath() const { return m_device; }

signals:
    // Raised on the owner's thread after each communication event.
    void OnComm();

private:
    // The line parameters of a settings text such as "38400,n,8,1".
    struct LineSettings {
        qint32 baud = 38400;
        char parity = 'n';
        int dataBits = 8;
        int stopBits = 1;
    };
    static bool ParseSettings(const QString& text, LineSettings* out);

    bool Fail(const QString& text);
    bool FailOnDevice(const QString& reason);
    bool LockDevice();
    void ReleaseLock();
    bool ApplySettings();
    void OnReadyRead();
    void OnSerialError(int error);
    bool HungUp() const;

    std::unique_ptr<QSerialPort> m_serial;
    qint16 m_port = 0;
    QString m_settings;
    LineSettings m_line;
    qint16 m_rThreshold = 0;
    qint16 m_sThreshold = 0;
    qint32 m_inputMode = 0;
    qint16 m_commEvent = 0;
    QString m_error;
    QString m_device;
    int m_lockFd = -1;
};
