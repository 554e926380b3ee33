#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QProcess;
class QTemporaryDir;

// Runs tk28950-sim as a child process on a pseudo-terminal of its own.
class Simulator {
public:
    Simulator();
    ~Simulator(); // stops the process
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Starts the simulator with extra arguments. eeprom: 256 bytes to start
    // with (empty: the simulator's defaults). Traces to a file and keeps its
    // EEPROM in a file, both in a QTemporaryDir of its own. Returns false
    // (and sets error()) when it does not start or prints no device path within 10 s.
    bool start(const QStringList& extraArgs = {}, const QByteArray& eeprom = {});
    void stop();
    QString device() const;    // the pseudo-terminal path it printed
    QByteArray eeprom() const; // the 256 cells as now saved in its file
    QByteArray
    received() const;        // every byte received from the host so far, in order (from the trace)
    QByteArray sent() const; // every byte sent to the host so far
    // Waits (running the Qt event loop) until received() has at least n bytes or timeoutMs passes.
    bool waitForReceived(int n, int timeoutMs = 5000) const;
    void clearTrace(); // forget what was received and sent so far (remember an offset)
    QString error() const;
    static QString
    executable(); // $TK28950_SIM if set, else tk28950-sim beside the running test binary
    // Maps port number n to device() for this process (sets TK28950_PORT_<n>).
    void mapToPort(int n) const;

    // Waits like waitForReceived until sent() has at least n bytes.
    bool waitForSent(int n, int timeoutMs = 5000) const;
    bool isRunning() const;
    // Waits for a simulator that ends by itself (--exit-after-ms); true once it has.
    bool waitForFinished(int timeoutMs = 5000);
    qint64 processId() const; // 0 when not running
    // The exit code of a simulator that has ended (-1 while it runs or when it crashed).
    int exitCode() const;
    QString eepromPath() const;
    QString tracePath() const;

private:
    bool fail(const QString& message);
    bool waitForDevicePath();
    QString errorOutput() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    QString m_device;
    QString m_error;
    qsizetype m_receivedOffset = 0;
    qsizetype m_sentOffset = 0;
};
