// The progress bar: drawn on standard error when it is a terminal (here a
// real pseudo-terminal), absent otherwise (the other tests check that).
#include "CliFixture.h"

#include <fcntl.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

namespace {

class Progress : public CliFixture {};

TEST_F(Progress, DumpDrawsABarOnATerminal)
{
    startSimulator();
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    QByteArray screen;
    std::thread reader([&] {
        char buffer[4096];
        ssize_t count = 0;
        while ((count = ::read(master, buffer, sizeof buffer)) > 0)
            screen.append(buffer, count);
    });
    ToolProcess tool = m_tool;
    tool.setStandardErrorDescriptor(slave);
    const ToolResult result =
        tool.run({"--device", m_sim.device(), "eeprom", "dump", path("d.txt")});
    ::close(slave);
    reader.join();
    ::close(master);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(screen.contains("eeprom dump [")) << screen.left(200).toStdString();
    EXPECT_TRUE(screen.contains("] 256/256"));
    EXPECT_TRUE(screen.endsWith("\r\033[K")) << "the bar's line is cleared at the end";
}

} // namespace
