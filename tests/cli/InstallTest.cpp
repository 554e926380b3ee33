// The tool as installed: cmake --install of this build into a temporary
// prefix, then the installed tool finds the installed library and talks to a
// simulator.
#include "CliFixture.h"

#include <QFileInfo>
#include <QProcess>

namespace {

class Installed : public CliFixture {};

TEST_F(Installed, InstalledToolFindsItsLibraryAndWorks)
{
    const QString prefix = path("prefix");
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(TK28950_CMAKE_COMMAND),
                  {"--install", QStringLiteral(TK28950_BUILD_DIR), "--prefix", prefix});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
    EXPECT_TRUE(QFileInfo::exists(prefix + "/share/man/man1/tk28950.1.gz"));
    EXPECT_TRUE(QFileInfo::exists(prefix + "/share/bash-completion/completions/tk28950"));

    startSimulator();
    ToolProcess tool(prefix + "/bin/tk28950");
    tool.setVariable("TK28950_REGISTRY", path("registry.ini"));
    const ToolResult result =
        tool.run({"--verbose", "--device", m_sim.device(), "eeprom", "read", "9"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "128\n");
    EXPECT_TRUE(result.err.contains("using the library beside the tool: " + prefix.toUtf8()))
        << result.err.toStdString();
}

} // namespace
