#include "Simulator.h"
#include "TestFiles.h"

#include "TraceReader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <functional>
#include <sys/prctl.h>

namespace {
constexpr int StartTimeoutMs = 10000;
constexpr int StopTimeoutMs = 5000;
constexpr int PollIntervalMs = 5;

// Lets the caller's event loop run (its serial port, its timers) while waiting.
void pauseBriefly()
{
    if (!QCoreApplication::instance()) {
        QThread::msleep(PollIntervalMs);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(PollIntervalMs, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        pauseBriefly();
    }
    return true;
}
} // namespace

Simulator::Simulator() = default;

Simulator::~Simulator()
{
    stop();
}

QString Simulator::executable()
{
    const QString configured = qEnvironmentVariable("TK28950_SIM");
    if (!configured.isEmpty())
        return configured;
    const QString testBinary = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(testBinary).dir().filePath(QStringLiteral("tk28950-sim"));
}

bool Simulator::start(const QStringList& extraArgs, const QByteArray& eeprom)
{
    stop();
    m_process.reset();
    m_device.clear();
    m_error.clear();
    m_receivedOffset = m_sentOffset = 0;
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid())
        return fail(QStringLiteral("cannot make a temporary folder"));
    if (!eeprom.isEmpty()) {
        QFile file(eepromPath());
        if (!file.open(QIODevice::WriteOnly) || file.write(eeprom) != eeprom.size())
            return fail(QStringLiteral("cannot write %1").arg(eepromPath()));
    }
    m_process = std::make_unique<QProcess>();
    m_process->setProgram(executable());
    m_process->setArguments(QStringList{"--eeprom", eepromPath(), "--trace", tracePath()} +
                            extraArgs);
    m_process->setStandardErrorFile(m_dir->filePath(QStringLiteral("stderr.txt")));
    // A test that crashes takes its simulator with it.
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process->start();
    if (!m_process->waitForStarted(StartTimeoutMs))
        return fail(
            QStringLiteral("cannot start %1: %2").arg(executable(), m_process->errorString()));
    return waitForDevicePath();
}

bool Simulator::waitForDevicePath()
{
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!m_process->canReadLine()) {
        if (m_process->state() == QProcess::NotRunning)
            return fail(QStringLiteral("tk28950-sim ended with code %1: %2")
                            .arg(m_process->exitCode())
                            .arg(errorOutput()));
        if (deadline.hasExpired())
            return fail(QStringLiteral("tk28950-sim printed no device path within 10 s"));
        m_process->waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    m_device = QString::fromLocal8Bit(m_process->readLine().trimmed());
    return true;
}

bool Simulator::fail(const QString& message)
{
    m_error = message;
    stop();
    return false;
}

void Simulator::stop()
{
    if (!isRunning())
        return;
    m_process->terminate();
    if (!m_process->waitForFinished(StopTimeoutMs)) {
        m_process->kill();
        m_process->waitForFinished(StopTimeoutMs);
    }
}

bool Simulator::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

bool Simulator::waitForFinished(int timeoutMs)
{
    return !isRunning() || m_process->waitForFinished(timeoutMs);
}

qint64 Simulator::processId() const
{
    return isRunning() ? m_process->processId() : 0;
}

int Simulator::exitCode() const
{
    if (!m_process || isRunning() || m_process->exitStatus() != QProcess::NormalExit)
        return -1;
    return m_process->exitCode();
}

QString Simulator::device() const
{
    return m_device;
}

QString Simulator::eepromPath() const
{
    return m_dir ? m_dir->filePath(QStringLiteral("eeprom.bin")) : QString();
}

QString Simulator::tracePath() const
{
    return m_dir ? m_dir->filePath(QStringLiteral("trace.txt")) : QString();
}

QString Simulator::errorOutput() const
{
    return QString::fromLocal8Bit(readFileBytes(m_dir->filePath(QStringLiteral("stderr.txt"))))
        .trimmed();
}

QByteArray Simulator::eeprom() const
{
    return readFileBytes(eepromPath());
}

QByteArray Simulator::received() const
{
    return readTrace(tracePath()).fromHost.mid(m_receivedOffset);
}

QByteArray Simulator::sent() const
{
    return readTrace(tracePath()).toHost.mid(m_sentOffset);
}

bool Simulator::waitForReceived(int n, int timeoutMs) const
{
    return waitUntil([this, n] { return received().size() >= n; }, timeoutMs);
}

bool Simulator::waitForSent(int n, int timeoutMs) const
{
    return waitUntil([this, n] { return sent().size() >= n; }, timeoutMs);
}

void Simulator::clearTrace()
{
    const TraceBytes trace = readTrace(tracePath());
    m_receivedOffset = trace.fromHost.size();
    m_sentOffset = trace.toHost.size();
}

QString Simulator::error() const
{
    return m_error;
}

void Simulator::mapToPort(int n) const
{
    qputenv(QByteArray("TK28950_PORT_") + QByteArray::number(n), m_device.toLocal8Bit());
}
