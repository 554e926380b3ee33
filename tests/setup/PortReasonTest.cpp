// Why a port cannot be opened, and which device each port number opens, as
// the operator sees them.
#include "AsUserWithoutRights.h"
#include "SetupWindow.h"
#include "Simulator.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QListWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

TEST(PortReasons, APortTheOperatorMayNotOpenNamesTheGroupToJoin)
{
    QTemporaryDir dir;
    const QString device = dir.filePath("ttyLocked");
    ASSERT_TRUE(mapLockedDevice(device, 8));
    SetupWindow window;
    window.selectPort(8);
    window.selectMemoryPort(8);
    {
        AsUserWithoutRights asUser;
        const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR);
        if (fd >= 0) {
            ::close(fd);
            GTEST_SKIP() << "this run may open any file";
        }
        window.click("CmdInitialize");
        window.click("CmdSaveEEPROM");
    }
    qunsetenv("TK28950_PORT_8");
    EXPECT_EQ(window.boxTexts(), (QStringList{"Port already open", "Port already open",
                                              "GetConnectionToInclinometer Failed."}));
    // The reason once for "Init", under the first of its two boxes, and
    // once for the transfer.
    EXPECT_EQ(window.boxes[1].informative, "");
    for (const CapturedBox& box : {window.boxes[0], window.boxes[2]}) {
        EXPECT_TRUE(box.informative.startsWith("Port 8 could not be opened: " + device +
                                               ": Permission denied; "))
            << box.informative.toStdString();
        EXPECT_EQ(box.informative.count("join the group dialout"), 1)
            << box.informative.toStdString();
    }
}

TEST(PortReasons, PortListsNameTheDeviceOfEachNumber)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 3));
    const QByteArray missing = "/nonexistent/tk28950-tty";
    qputenv("TK28950_PORT_9", missing);
    SetupWindow window;
    auto* combo = window.find<QComboBox>("CmbPortNum");
    auto* list = window.find<QListWidget>("LstPortNum");
    EXPECT_EQ(combo->itemData(2, Qt::ToolTipRole).toString(), "Port 3 opens " + module.device());
    EXPECT_EQ(list->item(2)->toolTip(), "Port 3 opens " + module.device());
    const QString none = "Port 9: no device (" + missing + " does not exist)";
    EXPECT_EQ(combo->itemData(8, Qt::ToolTipRole).toString(), none);
    EXPECT_EQ(list->item(8)->toolTip(), none);

    // A device that appears later is named the next time a tip is shown.
    module.mapToPort(9);
    const QPoint inside(5, 5);
    QHelpEvent help(QEvent::ToolTip, inside, list->viewport()->mapToGlobal(inside));
    QCoreApplication::sendEvent(list->viewport(), &help);
    EXPECT_EQ(list->item(8)->toolTip(), "Port 9 opens " + module.device());
    qunsetenv("TK28950_PORT_9");
}
