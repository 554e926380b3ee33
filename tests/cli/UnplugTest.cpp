// A module that goes away in the middle of a transfer, as when its cable is
// pulled: the tool ends with one clear error instead of hanging, the file it
// was given stays as it was, and a module that comes back on the same path
// serves the next run.
#include "CliFixture.h"
#include "TestFiles.h"

#include <QDir>

#include <csignal>
#include <thread>

namespace {

class Unplug : public CliFixture {
protected:
    ~Unplug() override
    {
        if (m_killer.joinable())
            m_killer.join();
    }

    void startOnLink(const QByteArray& eeprom = {})
    {
        startSimulator({QStringLiteral("--link"), link()}, eeprom);
    }
    QString link() const { return path(QStringLiteral("module")); }
    ToolResult runOnLink(const QStringList& arguments) const
    {
        return m_tool.run(QStringList{QStringLiteral("--device"), link()} + arguments);
    }

    // Kills the simulator outright once it has received at least bytes
    // bytes, from a thread of its own while the tool runs.
    void killAfterReceiving(int bytes)
    {
        const auto pid = static_cast<pid_t>(m_sim.processId());
        ASSERT_GT(pid, 0);
        m_killer = std::thread([this, pid, bytes] {
            while (m_sim.received().size() < bytes)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ::kill(pid, SIGKILL);
        });
    }
    void waitForKill()
    {
        m_killer.join();
        ASSERT_TRUE(m_sim.waitForFinished());
    }

    // The tool names the lost device in its closing message; beside it
    // stands at most the control's own note on the port.
    static void expectClearError(const ToolResult& result)
    {
        EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
        const QList<QByteArray> lines = result.err.trimmed().split('\n');
        EXPECT_LE(lines.size(), 2) << result.err.toStdString();
        EXPECT_TRUE(lines.last().contains("device disconnected")) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    }

    std::thread m_killer;
};

QByteArray cells(int seed)
{
    QByteArray bytes(256, 0);
    for (int address = 0; address < 256; ++address)
        bytes[address] = static_cast<char>((address * 13 + seed) % 256);
    return bytes;
}

} // namespace

TEST_F(Unplug, ADumpCutShortKeepsTheOldFileAndTheNextModuleIsDumped)
{
    startOnLink(cells(1));
    const QString file = path("dump.txt");
    const QByteArray old = dataFile(cells(7));
    ASSERT_TRUE(writeFileBytes(file, old));
    killAfterReceiving(4 * 40);
    expectClearError(runOnLink({"eeprom", "dump", file}));
    waitForKill();
    EXPECT_EQ(readFileBytes(file), old);
    // The killed simulator leaves its link behind, and once another program
    // takes its terminal's number the link is listed as a file: count only
    // the files the tool may have written.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::NoSymLinks),
              QStringList{QStringLiteral("dump.txt")})
        << "no temporary file left";

    startOnLink(cells(2));
    const ToolResult again = runOnLink({"eeprom", "dump", file});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(readFileBytes(file), dataFile(cells(2)));
}

TEST_F(Unplug, ARestoreCutShortFailsAndTheNextModuleIsRestoredAndVerified)
{
    startOnLink(cells(1));
    const QString file = writeFile("module.txt", dataFile(cells(3)));
    killAfterReceiving(7 * 40);
    expectClearError(runOnLink({"eeprom", "restore", file}));
    waitForKill();
    EXPECT_EQ(readFileBytes(file), dataFile(cells(3)));

    startOnLink(cells(1));
    const ToolResult again = runOnLink({"eeprom", "restore", file});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(m_sim.eeprom(), cells(3));
}
