// Finding the module's port and hearing why a port failed: the port list
// against simulators on pseudo-terminals and the port map, open failures
// said once with what to do, and a user without rights to the device.
#include "CliFixture.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace {

class Ports : public CliFixture {
protected:
    // The port list's object for device; fails the test when it is missing.
    static QJsonObject entryOf(const QJsonObject& list, const QString& device)
    {
        const QJsonArray ports = list.value("ports").toArray();
        for (const QJsonValue& port : ports)
            if (port.toObject().value("device").toString() == device)
                return port.toObject();
        ADD_FAILURE() << "no entry for " << device.toStdString();
        return {};
    }

    static int lineCount(const QByteArray& text) { return static_cast<int>(text.count('\n')); }
};

TEST_F(Ports, MappedDevicesWithTheirNumbersAndTheProbeFindsTheModule)
{
    startSimulator();
    Simulator silent;
    ASSERT_TRUE(silent.start({"--silent"})) << silent.error().toStdString();
    // One device through the environment, one through the map file.
    const QString config = path("config");
    QDir().mkpath(config + "/tk28950");
    QFile map(config + "/tk28950/ports.conf");
    ASSERT_TRUE(map.open(QIODevice::WriteOnly));
    map.write(("# bench\n7 " + silent.device() + "\n").toUtf8());
    map.close();
    m_tool.setVariable("XDG_CONFIG_HOME", config);
    m_tool.setVariable("TK28950_PORT_4", m_sim.device());

    const ToolResult listed = m_tool.run({"--json", "ports", "--probe"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QJsonObject module = entryOf(listed.json(), m_sim.device());
    EXPECT_EQ(module.value("ports").toArray(), QJsonArray{4});
    EXPECT_EQ(module.value("access").toString(), "free");
    EXPECT_TRUE(module.value("module").toBool());
    EXPECT_TRUE(module.value("version").toString().startsWith("TK28950-V"));
    const QJsonObject quiet = entryOf(listed.json(), silent.device());
    EXPECT_EQ(quiet.value("ports").toArray(), QJsonArray{7});
    EXPECT_FALSE(quiet.value("module").toBool());

    const ToolResult text = m_tool.run({"ports"});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    const QString line = text.outLines().filter(m_sim.device()).value(0);
    EXPECT_TRUE(line.contains("port 4") && line.contains("free")) << line.toStdString();
    EXPECT_FALSE(line.contains("module")) << "no probe without --probe";
}

TEST_F(Ports, APortHeldByAnotherHostIsInUse)
{
    startSimulator();
    m_tool.setVariable("TK28950_PORT_5", m_sim.device());
    QProcess holder;
    holder.start(ToolProcess::defaultProgram(),
                 {"--device", m_sim.device(), "monitor", "--interval", "100"});
    ASSERT_TRUE(holder.waitForReadyRead(30000)); // the port is open
    const QJsonObject entry = entryOf(m_tool.run({"--json", "ports"}).json(), m_sim.device());
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(entry.value("access").toString(), "in use");
}

TEST_F(Ports, AMissingDeviceIsSaidOnceWithTheCandidates)
{
    const ToolResult result = m_tool.run({"--device", path("gone"), "version"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(lineCount(result.err), 1) << result.err.toStdString();
    EXPECT_EQ(result.err.count(path("gone").toUtf8()), 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains((path("gone") + ": no such device").toUtf8()))
        << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("serial ports here") ||
                result.err.contains("no serial ports found"))
        << result.err.toStdString();
}

TEST_F(Ports, AFileThatIsNoSerialPortIsSaidToBeNone)
{
    const ToolResult result = m_tool.run({"--device", "/dev/null", "version"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(lineCount(result.err), 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("/dev/null: not a serial port")) << result.err.toStdString();
}

// Runs as a user made for the test, who is in no group that may open the
// simulator's pseudo-terminal.
TEST_F(Ports, PermissionDeniedNamesTheGroupToJoin)
{
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    const QString useradd = QStandardPaths::findExecutable("useradd");
    if (geteuid() != 0 || setpriv.isEmpty() || useradd.isEmpty())
        GTEST_SKIP() << "needs root, setpriv and useradd to act as another user";
    const QString user = "tk28950-test";
    QProcess::execute(useradd,
                      {"--system", "--no-create-home", "--shell", "/usr/sbin/nologin", user});
    startSimulator();
    ToolProcess unprivileged(setpriv);
    unprivileged.setVariable("TK28950_PORT_6", m_sim.device());
    const QStringList asUser{"--reuid=" + user, "--regid=" + user, "--clear-groups",
                             ToolProcess::defaultProgram()};

    const ToolResult opened = unprivileged.run(asUser + QStringList{"--port", "6", "version"});
    EXPECT_EQ(opened.exitCode, 3);
    EXPECT_EQ(lineCount(opened.err), 1) << opened.err.toStdString();
    EXPECT_TRUE(opened.err.contains("Permission denied")) << opened.err.toStdString();
    EXPECT_TRUE(opened.err.contains("dialout")) << opened.err.toStdString();
    EXPECT_EQ(opened.err.count("adduser"), 1) << "the hint is given once";

    const ToolResult listed = unprivileged.run(asUser + QStringList{"--json", "ports"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_EQ(entryOf(listed.json(), m_sim.device()).value("access").toString(),
              "permission denied");
}

} // namespace
