// The serial port wrapper on real pseudo-terminals: line settings really
// applied, exclusive opening, failures that name their reason, and the
// resolution of port numbers to devices.
#include "ConfigFolders.h"
#include "PtyPeer.h"
#include "TestOwner.h"
#include "link/CMSComm.h"
#include "link/PortMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Sets an environment variable for the scope of one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

bool OpenPort(CMSComm& comm, int port, const QString& settings = QStringLiteral("38400,n,8,1"))
{
    return comm.Create() && comm.SetCommPort(qint16(port)) && comm.SetSettings(settings) &&
           comm.SetRThreshold(1) && comm.SetInputMode(1) && comm.SetPortOpen(true);
}

} // namespace

TEST(SerialPort, OpenedDeviceRunsRawAt38400With8N1AndNoFlowControl)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.isOpen());
    // Start from a cooked terminal, so that every setting must be made.
    termios cooked{};
    ASSERT_EQ(tcgetattr(peer.slaveFd(), &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    cooked.c_oflag |= OPOST;
    cooked.c_iflag |= ICRNL | IXON;
    cooked.c_cflag |= CRTSCTS | PARENB | CSTOPB;
    cfsetspeed(&cooked, B9600);
    ASSERT_EQ(tcsetattr(peer.slaveFd(), TCSANOW, &cooked), 0);

    ScopedEnv port("TK28950_PORT_3", peer.devicePath().toLocal8Bit());
    CMSComm comm;
    ASSERT_TRUE(OpenPort(comm, 3)) << comm.ErrorText().toStdString();
    EXPECT_TRUE(comm.PortOpen());

    termios now{};
    ASSERT_EQ(tcgetattr(peer.slaveFd(), &now), 0);
    EXPECT_EQ(cfgetispeed(&now), speed_t(B38400));
    EXPECT_EQ(cfgetospeed(&now), speed_t(B38400));
    EXPECT_EQ(now.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(now.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    EXPECT_EQ(now.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
    EXPECT_EQ(now.c_oflag & OPOST, tcflag_t(0));
    EXPECT_EQ(now.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF), tcflag_t(0));
}

TEST(SerialPort, BytesFlowBothWaysUnchangedWithAReceiveNotification)
{
    PtyPeer peer;
    ScopedEnv port("TK28950_PORT_3", peer.devicePath().toLocal8Bit());
    CMSComm comm;
    ASSERT_TRUE(OpenPort(comm, 3)) << comm.ErrorText().toStdString();
    QByteArray input;
    QObject::connect(&comm, &CMSComm::OnComm, [&] {
        EXPECT_EQ(comm.CommEvent(), CMSComm::kEventReceive);
        EXPECT_GT(comm.InBufferCount(), 0);
        input += comm.Input();
    });
    const QByteArray bytes("i009\r\n\x00\xB0 h187040", 17);
    comm.SetOutput(bytes);
    EXPECT_TRUE(peer.waitForReceived(int(bytes.size())));
    EXPECT_EQ(peer.received(), bytes);
    peer.write(bytes);
    EXPECT_TRUE(WaitUntil([&] { return input.size() >= bytes.size(); }));
    EXPECT_EQ(input, bytes);
}

// What the device received before the port was opened (a late answer meant
// for an earlier program) is not read as if it had just arrived.
TEST(SerialPort, InputWaitingBeforeTheOpeningIsDiscarded)
{
    PtyPeer peer;
    ScopedEnv port("TK28950_PORT_3", peer.devicePath().toLocal8Bit());
    peer.write("128\r\n");
    ASSERT_TRUE(WaitUntil([&] {
        int waiting = 0;
        return ::ioctl(peer.slaveFd(), FIONREAD, &waiting) == 0 && waiting == 5;
    }));
    CMSComm comm;
    ASSERT_TRUE(OpenPort(comm, 3)) << comm.ErrorText().toStdString();
    QByteArray input;
    QObject::connect(&comm, &CMSComm::OnComm, [&] { input += comm.Input(); });
    peer.write("7\r\n");
    EXPECT_TRUE(WaitUntil([&] { return input.size() >= 3; }));
    EXPECT_EQ(input, "7\r\n");
}

// The far end going away is one notification, with the reason, and the
// port is closed.
TEST(SerialPort, DeviceGoingAwayIsReportedOnceAndClosesThePort)
{
    auto peer = std::make_unique<PtyPeer>();
    ScopedEnv port("TK28950_PORT_3", peer->devicePath().toLocal8Bit());
    CMSComm comm;
    ASSERT_TRUE(OpenPort(comm, 3)) << comm.ErrorText().toStdString();
    int lost = 0;
    QObject::connect(&comm, &CMSComm::OnComm, [&] {
        if (comm.CommEvent() == CMSComm::kEventDeviceLost)
            ++lost;
    });
    peer.reset();
    EXPECT_TRUE(WaitUntil([&] { return lost > 0; }));
    EXPECT_FALSE(WaitUntil([&] { return lost > 1; }, 200));
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_TRUE(comm.ErrorText().startsWith(comm.DevicePath() + ": device disconnected ("))
        << qPrintable(comm.ErrorText());
}

TEST(SerialPort, SecondOpenOfTheSameDeviceFailsHereAndInAnotherProcess)
{
    PtyPeer peer;
    ScopedEnv port("TK28950_PORT_3", peer.devicePath().toLocal8Bit());
    CMSComm first;
    ASSERT_TRUE(OpenPort(first, 3)) << first.ErrorText().toStdString();

    CMSComm second;
    EXPECT_FALSE(OpenPort(second, 3));
    EXPECT_FALSE(second.PortOpen());
    EXPECT_EQ(second.ErrorText(),
              peer.devicePath() + QStringLiteral(": in use by another program"));

    const QByteArray path = peer.devicePath().toLocal8Bit();
    const pid_t child = fork();
    if (child == 0) {
        const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        _exit(fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 1) << "another process could lock the open device";

    // Released with the port, the device opens again.
    first.Destroy();
    EXPECT_TRUE(OpenPort(second, 3)) << second.ErrorText().toStdString();
}

TEST(SerialPort, FailuresNameTheDeviceAndTheReason)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyUSB7"));
    ScopedEnv port("TK28950_PORT_4", missing.toLocal8Bit());
    CMSComm comm;
    EXPECT_FALSE(OpenPort(comm, 4));
    EXPECT_EQ(comm.ErrorText(), missing + QStringLiteral(": no such device"));

    // A file that opens but is no terminal: the reason says so in plain
    // words, and the file is left as it was.
    for (const QString& notAPort :
         {dir.filePath(QStringLiteral("capture.txt")), QStringLiteral("/dev/null")}) {
        QFile file(notAPort);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.close();
        ScopedEnv mapped("TK28950_PORT_5", notAPort.toLocal8Bit());
        EXPECT_FALSE(OpenPort(comm, 5));
        EXPECT_FALSE(comm.PortOpen());
        EXPECT_EQ(comm.ErrorText(), notAPort + QStringLiteral(": not a serial port"));
    }

    EXPECT_FALSE(OpenPort(comm, 0));
    EXPECT_FALSE(comm.ErrorText().isEmpty());
    EXPECT_FALSE(OpenPort(comm, -2));
    EXPECT_FALSE(comm.PortOpen());

    CMSComm notCreated;
    EXPECT_FALSE(notCreated.SetPortOpen(true));
    EXPECT_FALSE(notCreated.ErrorText().isEmpty());
}

TEST(SerialPort, SettingsTextIsParsedAndMalformedOnesRefused)
{
    CMSComm comm;
    ASSERT_TRUE(comm.Create());
    for (const char* good : {"38400,n,8,1", "9600,E,7,2", " 115200 , o , 8 , 1.5 "})
        EXPECT_TRUE(comm.SetSettings(QString::fromLatin1(good))) << good;
    for (const char* bad : {"", "38400", "38400,n,8", "fast,n,8,1", "38400,x,8,1", "38400,n,9,1",
                            "38400,n,8,3", "-1,n,8,1", "38400,n,8,1,1"}) {
        EXPECT_FALSE(comm.SetSettings(QString::fromLatin1(bad))) << bad;
        EXPECT_TRUE(comm.ErrorText().contains(QString::fromLatin1(bad))) << bad;
    }
    EXPECT_FALSE(comm.SetInputMode(2));
    EXPECT_FALSE(comm.SetRThreshold(-1));
}

TEST(PortMap, EnvironmentThenMapFileThenFirstSerialPorts)
{
    QTemporaryDir config;
    ScopedEnv home("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("tk28950")));
    QFile map(PortMap::configFile());
    ASSERT_EQ(map.fileName(), config.path() + QStringLiteral("/tk28950/ports.conf"));
    ASSERT_TRUE(map.open(QIODevice::WriteOnly));
    map.write("# bench wiring\n"
              "2 /dev/ttyUSB0   # the adapter\n"
              "  3\t/dev/serial/by-id/usb-adapter-if00\n"
              "#4 /dev/ttyUSB9\n"
              "x /dev/null\n"
              "12\n");
    map.close();

    EXPECT_EQ(PortMap::DevicePath(2), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(PortMap::DevicePath(3), QStringLiteral("/dev/serial/by-id/usb-adapter-if00"));
    EXPECT_EQ(PortMap::DevicePath(4), QStringLiteral("/dev/ttyS3"));
    EXPECT_EQ(PortMap::DevicePath(12), QStringLiteral("/dev/ttyS11"));
    EXPECT_EQ(PortMap::DevicePath(1), QStringLiteral("/dev/ttyS0"));
    {
        ScopedEnv port("TK28950_PORT_2", "/dev/ttyACM1");
        EXPECT_EQ(PortMap::DevicePath(2), QStringLiteral("/dev/ttyACM1"));
    }
    EXPECT_TRUE(PortMap::DevicePath(0).isEmpty());
    EXPECT_TRUE(PortMap::DevicePath(-1).isEmpty());
}

// The map file is in the same settings folder as the registry and the
// tool's configuration, wherever the environment puts that folder.
TEST(PortMap, MapFileIsInTheUsersSettingsFolder)
{
    QTemporaryDir home;
    ScopedEnv homeVariable("HOME", home.path().toLocal8Bit());
    {
        ScopedEnv unset("XDG_CONFIG_HOME", QByteArray());
        EXPECT_EQ(PortMap::configFile(),
                  home.path() + QStringLiteral("/.config/tk28950/ports.conf"));
        EXPECT_EQ(QFileInfo(PortMap::configFile()).path(), component::userConfigFolder());
    }
    ScopedEnv config("XDG_CONFIG_HOME", "/srv/bench-config");
    EXPECT_EQ(QFileInfo(PortMap::configFile()).path(), component::userConfigFolder());
}

// A map file that is a FIFO nobody writes to is no map: looking a port up
// neither waits for a writer nor reads without end.
TEST(PortMap, AFifoInPlaceOfTheMapIsNotWaitedOn)
{
    QTemporaryDir config;
    ScopedEnv home("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("tk28950")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(PortMap::configFile()).constData(), 0600), 0);
    EXPECT_EQ(PortMap::DevicePath(2), QStringLiteral("/dev/ttyS1"));
}
