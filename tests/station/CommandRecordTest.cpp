// The tool's own commands that change a module leave a record where a
// record store is configured, and only there.
#include "StationFixture.h"

#include <QFileInfo>
#include <QJsonObject>

using CommandRecords = StationFixture;

TEST_F(CommandRecords, ChangesByHandAreRecordedWhereAStoreIsConfigured)
{
    const Simulator& module = startModule(1001);
    const QString device = module.device();
    ASSERT_EQ(run({"--device", device, "set", "ZoomX", "4"}).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(path("data/tk28950/records.sqlite")));

    const QString store = QStringLiteral("sqlite:") + path("line.sqlite");
    m_tool.setVariable("TK28950_RECORDS", store);
    ASSERT_EQ(run({"--device", device, "set", "ZoomX", "8"}).exitCode, 0);
    // Refused before anything was sent: no record.
    EXPECT_EQ(run({"--device", device, "set", "ZoomX", "many"}).exitCode, 2);
    EXPECT_EQ(run({"--device", device, "coef", "load", "x", path("none.coef")}).exitCode, 4);
    const ToolResult listed = run({"records", "list", "--json"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QList<QJsonObject> records = listed.jsonLines();
    ASSERT_EQ(records.size(), 1) << listed.out.toStdString();
    EXPECT_EQ(records[0]["command"], "set ZoomX 8");
    EXPECT_EQ(records[0]["outcome"], "pass");
    EXPECT_TRUE(listed.out.contains(device.toUtf8())); // the device it changed
}
