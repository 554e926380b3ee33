// The tool's command line as scripts and operators use it: quiet and
// verbose levels, progress without a terminal, stamped JSON, and the
// configuration files under the command line.
#include "CliFixture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace {

class Options : public CliFixture {
protected:
    // A configuration file for the tool in a folder of this test.
    void configure(const QByteArray& content)
    {
        const QString folder = path("config/tk28950");
        QDir().mkpath(folder);
        QFile file(folder + "/tk28950.conf");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        m_tool.setVariable("XDG_CONFIG_HOME", path("config"));
        m_tool.setVariable("TK28950_SYSCONFDIR", path("etc"));
    }
};

TEST_F(Options, ProgressIsPlainLinesWithPhasesAndQuietSilencesIt)
{
    startSimulator();
    const ToolResult dump = run({"eeprom", "dump", path("a.txt")});
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    EXPECT_TRUE(dump.err.contains("eeprom dump (read): 256/256 100%")) << dump.err.toStdString();
    EXPECT_FALSE(dump.err.contains('\r'));

    const ToolResult restore = run({"eeprom", "restore", path("a.txt")});
    ASSERT_EQ(restore.exitCode, 0) << restore.err.toStdString();
    EXPECT_TRUE(restore.err.contains("(verify): 512/512 100%")) << restore.err.toStdString();

    const ToolResult quiet = run({"-q", "eeprom", "dump", path("b.txt")});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err.toStdString();
    EXPECT_TRUE(quiet.err.isEmpty()) << quiet.err.toStdString();
}

TEST_F(Options, VerboseLevels)
{
    startSimulator();
    const ToolResult once = run({"-v", "version"});
    ASSERT_EQ(once.exitCode, 0) << once.err.toStdString();
    EXPECT_TRUE(once.err.contains("using the library")) << once.err.toStdString();
    EXPECT_FALSE(once.err.contains("> v"));
    const ToolResult twice = run({"-vv", "version"});
    ASSERT_EQ(twice.exitCode, 0) << twice.err.toStdString();
    EXPECT_TRUE(twice.err.contains(" > v")) << twice.err.toStdString();
}

TEST_F(Options, JsonObjectsNameDeviceTimeAndFormat)
{
    startSimulator();
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    const QJsonObject ok = run({"--json", "version"}).stampedJson();
    EXPECT_EQ(ok.value("device").toString(), m_sim.device());
    EXPECT_EQ(ok.value("format").toInt(), 1);
    const QDateTime time = QDateTime::fromString(ok.value("time").toString(), Qt::ISODateWithMs);
    EXPECT_TRUE(time.isValid() && time >= before) << ok.value("time").toString().toStdString();
    const QJsonObject failed = run({"--json", "eeprom", "read", "999"}).stampedJson();
    EXPECT_FALSE(failed.value("ok").toBool());
    EXPECT_EQ(failed.value("device").toString(), m_sim.device());
}

TEST_F(Options, ConfigurationFileSetsDefaultsTheCommandLineOverrides)
{
    startSimulator({"--silent"});
    configure("device = " + m_sim.device().toUtf8() + "\ntimeout = 40\nretries = 0\n");
    const ToolResult fromFile = m_tool.run({"version"});
    EXPECT_EQ(fromFile.exitCode, 1);
    EXPECT_TRUE(fromFile.err.contains("the first request waited 40 ms"))
        << fromFile.err.toStdString();
    const ToolResult overridden = m_tool.run({"--timeout", "30", "version"});
    EXPECT_TRUE(overridden.err.contains("waited 30 ms")) << overridden.err.toStdString();

    configure("timeout = soon\n");
    const ToolResult bad = m_tool.run({"--device", m_sim.device(), "version"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("timeout in " + path("config/tk28950/tk28950.conf").toUtf8()))
        << bad.err.toStdString();
}

} // namespace
