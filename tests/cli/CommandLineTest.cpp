// The command line itself: help, and what is refused before a control is
// even created.
#include "ToolProcess.h"

#include <gtest/gtest.h>

namespace {

ToolResult runTool(const QStringList& arguments)
{
    return ToolProcess().run(arguments);
}

TEST(CommandLine, HelpListsEveryCommandAndTheExitStatus)
{
    const ToolResult help = runTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command :
         {"version", "reset", "temperature", "read x|y", "get NAME", "set NAME VALUE", "call NAME",
          "raw TEXT", "eeprom read ADDR", "eeprom write ADDR VALUE", "eeprom dump FILE",
          "eeprom restore FILE", "eeprom diff FILE", "coef load x|y FILE", "monitor"})
        EXPECT_TRUE(help.out.contains(command)) << command;
    EXPECT_TRUE(help.out.contains("Exit status"));
}

TEST(CommandLine, EachCommandHasItsOwnHelp)
{
    const ToolResult dump = runTool({"eeprom", "dump", "--help"});
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_TRUE(dump.out.contains("eeprom dump FILE"));
    EXPECT_TRUE(dump.out.contains("CR LF"));

    const ToolResult monitor = runTool({"monitor", "--help"});
    EXPECT_TRUE(monitor.out.contains("--interval MS"));
    EXPECT_TRUE(monitor.out.contains("--count N"));

    const ToolResult group = runTool({"eeprom", "--help"});
    EXPECT_EQ(group.exitCode, 0);
    EXPECT_TRUE(group.out.contains("eeprom restore FILE"));
}

TEST(CommandLine, UsageErrorsExitWithTwoAndSayWhat)
{
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command \"frobnicate\""},
        {{"eeprom"}, "eeprom needs a command: read, write, dump, restore, diff"},
        {{"eeprom", "erase"}, "unknown eeprom command \"erase\""},
        {{"eeprom", "read"}, "eeprom read needs ADDR"},
        {{"eeprom", "read", "1", "2"}, "too many arguments"},
        {{"--port", "abc", "version"}, "--port: \"abc\" is not a whole number"},
        {{"--port", "0", "version"}, "--port: \"0\""},
        {{"--timeout", "-5", "version"}, "--timeout: \"-5\""},
        {{"--port", "1", "--device", "/dev/null", "version"}, "either --port or --device"},
        {{"version", "--fahrenheit"}, "unknown option --fahrenheit"},
        {{"version", "--port"}, "--port needs a value N"},
    };
    for (const auto& test : cases) {
        const ToolResult result = runTool(test.arguments);
        EXPECT_EQ(result.exitCode, 2) << test.arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(test.message))
            << test.arguments.join(' ').toStdString() << ": " << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

TEST(CommandLine, JsonReportsAUsageErrorAsAnObject)
{
    const ToolResult result = runTool({"--json", "eeprom", "erase"});
    EXPECT_EQ(result.exitCode, 2);
    const QJsonObject object = result.json();
    EXPECT_EQ(object.value("ok"), false);
    EXPECT_EQ(object.value("exit_code"), 2);
    EXPECT_TRUE(object.value("error").toString().contains("erase"));
}

TEST(CommandLine, OptionsMayFollowTheCommandAndDashDashEndsThem)
{
    // A value that starts with a dash is an argument, and options may come
    // last; both reach the usual refusal of a port that does not exist.
    const ToolResult result =
        runTool({"set", "TemperatureOffset", "-1.5", "--device", "/nonexistent/tty"});
    EXPECT_EQ(result.exitCode, 3) << result.err.toStdString();

    const ToolResult dashed = runTool({"--device", "/nonexistent/tty", "raw", "--", "--json"});
    EXPECT_EQ(dashed.exitCode, 3) << dashed.err.toStdString();
    EXPECT_TRUE(dashed.out.isEmpty()) << "--json after -- is an argument";
}

TEST(CommandLine, VersionOfTheTool)
{
    const ToolResult result = runTool({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.startsWith("tk28950 "));
}

} // namespace
