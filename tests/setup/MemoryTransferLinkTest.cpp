// The reply handshake of the memory transfer link, on its own.
#include "MemoryTransferLink.h"
#include "ControlClient.h"

#include <QTest>
#include <gtest/gtest.h>

TEST(MemoryTransferLink, RepliesAreKeptUpperCasedAndTrimmed)
{
    ControlClient control;
    MemoryTransferLink link(&control, [](const QString&, const QString&) {});
    emit control.dataReady("  ready  ");
    EXPECT_TRUE(link.dataReceived());
    EXPECT_EQ(link.receivedData(), "READY");
}

TEST(MemoryTransferLink, TheTimerStopsAtTheFirstTickAfterAReply)
{
    ControlClient control;
    MemoryTransferLink link(&control, [](const QString&, const QString&) {});
    QTimer* timer = link.dataReceivedTimer();
    timer->setInterval(10);
    timer->start();
    QTest::qWait(50);
    EXPECT_TRUE(timer->isActive()); // ticks without a reply change nothing
    EXPECT_FALSE(link.dataReceived());
    emit control.dataReady("7");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !timer->isActive(); }, 1000));
    EXPECT_TRUE(link.dataReceived());
}

TEST(MemoryTransferLink, AFailedCallIsReportedAndCountsAsFailure)
{
    ControlClient control; // never created: every call fails
    QStringList shown;
    MemoryTransferLink link(&control,
                            [&](const QString& text, const QString&) { shown.append(text); });
    EXPECT_FALSE(link.GetConnectionToInclinometer(1));
    EXPECT_EQ(link.ReadEEPROMValue("5"), QString());
    EXPECT_FALSE(link.WriteEEPROMValue("5", "1"));
    ASSERT_EQ(shown.size(), 3);
    EXPECT_TRUE(shown[0].startsWith("Error in getting connection to inclinometer. Err: "));
    EXPECT_TRUE(shown[1].startsWith("Error in reading EEPROM. Err: "));
    EXPECT_TRUE(shown[2].startsWith("Error in writting into EEPROM. Err: "));
    EXPECT_FALSE(link.dataReceivedTimer()->isActive());
}
