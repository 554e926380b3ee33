// Stations that share one PostgreSQL server: records from two stations at
// once, and a server that stops in the middle of a batch.
#include "PostgresServer.h"
#include "RecordStore.h"
#include "StationFixture.h"

#include <QSet>

#include <future>
#include <thread>

namespace {

class PostgresStore : public StationFixture {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.create()) << m_server.error().toStdString(); }

    QVector<ProvisionRecord> records() const
    {
        return RecordStore(StoreAddress::parse(m_server.url())).list();
    }

    PostgresServer m_server;
};

} // namespace

TEST_F(PostgresStore, TwoStationsWriteIntoOneNewStoreAtOnce)
{
    const QString recipe = writeRecipe(standardRecipe(), {1001, 1002, 1003, 1004});
    for (const int serialNumber : {1001, 1002, 1003, 1004})
        startModule(serialNumber);
    const QStringList devices = deviceArguments();
    const auto station = [&](const QString& name, const QStringList& modules) {
        return std::async(std::launch::async, [=, this] {
            return run(QStringList{"provision", recipe, "--station", name, "--batch", "5",
                                   "--records", m_server.url()} +
                       modules);
        });
    };
    auto first = station("A", devices.mid(0, 4));
    auto second = station("B", devices.mid(4, 4));
    for (auto* run : {&first, &second}) {
        const ToolResult result = run->get();
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString() << result.out.toStdString();
        EXPECT_FALSE(result.err.contains("spooled")) << result.err.toStdString();
    }
    const QVector<ProvisionRecord> stored = records();
    ASSERT_EQ(stored.size(), 4);
    QMap<QString, int> perStation;
    QSet<int> serialNumbers;
    for (const ProvisionRecord& record : stored) {
        ++perStation[record.station];
        serialNumbers.insert(record.sn.value_or(0));
        EXPECT_EQ(record.outcome, "pass");
    }
    EXPECT_EQ(perStation, (QMap<QString, int>{{"A", 2}, {"B", 2}}));
    EXPECT_EQ(serialNumbers, (QSet<int>{1001, 1002, 1003, 1004}));
}

TEST_F(PostgresStore, RecordsOfAServerStoppedMidBatchAreSpooledThenSentOnce)
{
    const QString recipe = writeRecipe(standardRecipe(), {1001, 1002});
    startModule(1001);
    // Ten milliseconds an answer: its run takes many seconds, the other's well under one.
    startModule(1002, {QStringLiteral("--delay"), QStringLiteral("10")});
    auto batch = std::async(std::launch::async, [&] {
        return run(QStringList{"provision", recipe, "--batch", "9", "--records", m_server.url()} +
                   deviceArguments());
    });
    while (records().isEmpty())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(m_server.stop()) << m_server.error().toStdString();
    const ToolResult result = batch.get();
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("is spooled")) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("1002")) << result.out.toStdString();

    ASSERT_TRUE(m_server.start()) << m_server.error().toStdString();
    ASSERT_EQ(records().size(), 1);
    const ToolResult synced = run({"records", "sync", "--records", m_server.url()});
    EXPECT_EQ(synced.exitCode, 0) << synced.err.toStdString();
    EXPECT_TRUE(synced.out.startsWith("1 spooled record(s) sent")) << synced.out.toStdString();
    const ToolResult again = run({"records", "sync", "--records", m_server.url()});
    EXPECT_TRUE(again.out.startsWith("0 spooled record(s) sent")) << again.out.toStdString();
    QSet<int> serialNumbers;
    for (const ProvisionRecord& record : records())
        serialNumbers.insert(record.sn.value_or(0));
    EXPECT_EQ(records().size(), 2);
    EXPECT_EQ(serialNumbers, (QSet<int>{1001, 1002}));
}
