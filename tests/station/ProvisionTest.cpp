// Batches of simulated modules provisioned through the tool: each module
// ends as the recipe intends or fails at its step, whatever the others do.
#include "StationFixture.h"

#include <QJsonArray>
#include <QJsonObject>

#include <csignal>
#include <thread>

namespace {

using Provision = StationFixture;

// The tool's JSON objects by module number.
QMap<int, QJsonObject> byModule(const ToolResult& result)
{
    QMap<int, QJsonObject> modules;
    for (const QJsonObject& object : result.jsonLines())
        modules.insert(object["module"].toInt(), object);
    return modules;
}

void expectCells(const Simulator& module, int serialNumber)
{
    const QByteArray cells = module.eeprom();
    const QByteArray intended = StationFixture::intendedCells(serialNumber);
    ASSERT_EQ(cells.size(), 256);
    for (int address = 0; address < 256; ++address) {
        if (!StationFixture::isSettingCell(address)) {
            EXPECT_EQ(quint8(cells[address]), quint8(intended[address]))
                << "module " << serialNumber << " cell " << address;
        }
    }
}

} // namespace

TEST_F(Provision, FourModulesEndAsIntendedOrFailAtTheirStep)
{
    const QString recipe = writeRecipe(standardRecipe(), {1001, 1002, 1003, 1004});
    startModule(1001);
    startModule(1002, {QStringLiteral("--version-text"), QStringLiteral("TK28950-V2.0.0.1")});
    startModule(1003, {QStringLiteral("--temperature"), QStringLiteral("455")});
    startModule(1004);

    const ToolResult result =
        run(QStringList{"provision", recipe, "--json", "--batch", "17", "--station", "A"} +
            deviceArguments());
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    const QMap<int, QJsonObject> modules = byModule(result);
    ASSERT_EQ(modules.size(), 4) << result.out.toStdString();
    for (const int passing : {1, 4}) {
        EXPECT_EQ(modules[passing]["outcome"], "pass") << result.out.toStdString();
        EXPECT_EQ(modules[passing]["record"], "stored");
        EXPECT_EQ(modules[passing]["checks"].toArray().size(), 2);
    }
    EXPECT_EQ(modules[2]["outcome"], "fail");
    EXPECT_EQ(modules[2]["failed_step"], "identify");
    EXPECT_TRUE(modules[2]["reason"].toString().contains("TK28950-V2.0.0.1"));
    EXPECT_EQ(modules[3]["failed_step"], "check");
    EXPECT_TRUE(modules[3]["reason"].toString().startsWith("temperature = 45.5"))
        << modules[3]["reason"].toString().toStdString();

    expectCells(*m_modules[0], 1001);
    expectCells(*m_modules[2], 1003); // its cells were right; its measurement was not
    expectCells(*m_modules[3], 1004);
    EXPECT_EQ(m_modules[1]->eeprom(), moduleCells(1002)); // nothing written
    EXPECT_FALSE(m_modules[1]->received().contains('h'));
    // The settings read back through a run of their own.
    for (const int module : {0, 3}) {
        const ToolResult zoom = run({"--device", m_modules[module]->device(), "get", "ZoomX"});
        EXPECT_EQ(zoom.out.trimmed(), "8");
    }

    const ToolResult listed = run({"records", "list", "--json", "--batch", "17"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    // The module of the wrong version is not asked its serial number.
    QMap<int, QString> outcomes;
    for (const QJsonObject& record : listed.jsonLines()) {
        outcomes.insert(record["sn"].toInt(-1), record["outcome"].toString());
        EXPECT_EQ(record["station"], "A");
        EXPECT_EQ(record["recipe"], "test line");
        EXPECT_EQ(record["eeprom_before"].toArray().size(), record["sn"].isNull() ? 0 : 256);
    }
    EXPECT_EQ(outcomes,
              (QMap<int, QString>{{-1, "fail"}, {1001, "pass"}, {1003, "fail"}, {1004, "pass"}}));
}

TEST_F(Provision, AModuleUnpluggedMidApplyOrSilentFailsAndTheOthersPass)
{
    const QString recipe = writeRecipe(standardRecipe(), {1001, 1002, 1003, 1004});
    startModule(1001);
    // Ten milliseconds an answer: the cable is pulled long before the image is all written.
    Simulator& unplugged = startModule(1002, {QStringLiteral("--delay"), QStringLiteral("10")});
    startModule(1003);
    startModule(1004, {QStringLiteral("--silent")});
    const auto pid = static_cast<pid_t>(unplugged.processId());
    ASSERT_GT(pid, 0);
    // Pulled once it took twenty cells of the image.
    std::thread puller([&unplugged, pid] {
        while (unplugged.received().count('h') < 20)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ::kill(pid, SIGKILL);
    });
    const ToolResult result = run(QStringList{"provision", recipe, "--json"} + deviceArguments());
    puller.join();
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    const QMap<int, QJsonObject> modules = byModule(result);
    ASSERT_EQ(modules.size(), 4) << result.out.toStdString();
    EXPECT_EQ(modules[1]["outcome"], "pass") << result.out.toStdString();
    EXPECT_EQ(modules[4]["failed_step"], "identify");
    EXPECT_EQ(modules[3]["outcome"], "pass");
    EXPECT_EQ(modules[2]["failed_step"], "apply");
    EXPECT_TRUE(modules[2]["reason"].toString().contains("device disconnected"))
        << modules[2]["reason"].toString().toStdString();
    expectCells(*m_modules[0], 1001);
    expectCells(*m_modules[2], 1003);
}

TEST_F(Provision, AMissingCoefficientFileFailsTheModuleBeforeAnyCellIsWritten)
{
    const QString recipe = writeRecipe(standardRecipe(), {1001});
    startModule(1001);
    startModule(1009);
    const ToolResult result = run(QStringList{"provision", recipe} + deviceArguments());
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_FALSE(m_modules[1]->received().contains('h'));
    EXPECT_EQ(m_modules[1]->eeprom(), moduleCells(1009));
    // The summary table names the module, its serial number and the step.
    const QStringList lines = result.outLines();
    EXPECT_TRUE(lines.filter(m_modules[1]->device()).filter("1009").filter("apply").size() >= 1)
        << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("coef/1009-x.coef")) << result.out.toStdString();
}
