// A module that goes away (an adapter pulled): during a save, during a
// write-back, and while the window is idle. The operator hears of it once,
// the transfer stops, and no file is lost.
#include "SetupWindow.h"
#include "Simulator.h"
#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kDisconnected = QStringLiteral("Device disconnected");

// Ends the simulator, and with it the device, once it has received count
// commands that start with letter.
void stopAfter(Simulator& module, char letter, int count, QObject* context)
{
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [&module, letter, count, poll] {
        if (module.received().count(letter) >= count) {
            poll->stop();
            module.stop();
        }
    });
    poll->start(5);
}

TEST(Disconnect, DuringASaveTheOldFileStaysAndTheCellsReadAreKeptAside)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1));
    QTemporaryDir dir;
    const QString path = dir.filePath("EEPROMData.txt");
    ASSERT_TRUE(writeFileBytes(path, "previous"));
    SetupWindow window;
    window.type("TxtEEPROMFile", path);
    stopAfter(module, 'i', 40, &window.form());
    window.click("CmdSaveEEPROM");

    ASSERT_EQ(window.boxes.size(), 1) << window.boxTexts().join('\n').toStdString();
    EXPECT_TRUE(window.boxes.first().text.contains(
        "The device was disconnected, so the remaining cells were not read."))
        << window.boxes.first().text.toStdString();
    EXPECT_EQ(readFileBytes(path), "previous");
    // What was read before the device went away is the module's.
    const QStringList kept = valuesOf(readFileBytes(path + ".incomplete"));
    ASSERT_EQ(kept.size(), 256);
    int read = 0;
    for (int address = 0; address < 256 && !kept[address].isEmpty(); ++address, ++read)
        EXPECT_EQ(kept[address], QString::number(cell(module.eeprom(), address)));
    EXPECT_GE(read, 30);
    EXPECT_LT(read, 256);
}

TEST(Disconnect, DuringAWriteBackTheRestIsNotSent)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1, {"--eeprom-fill", "9"}));
    QTemporaryDir dir;
    const QString path = dir.filePath("EEPROMData.txt");
    QByteArray data = "Address\tValue\r\n";
    for (int address = 0; address < 256; ++address)
        data += QByteArray::number(address) + "\t7\r\n";
    ASSERT_TRUE(writeFileBytes(path, data));
    SetupWindow window;
    window.type("TxtEEPROMFile", path);
    stopAfter(module, 'h', 40, &window.form());
    window.click("CmdWriteEEPROM");

    ASSERT_EQ(window.boxes.size(), 1) << window.boxTexts().join('\n').toStdString();
    const QString text = window.boxes.first().text;
    EXPECT_TRUE(text.startsWith("Writing into EEPROM was not complete: ")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("The device was disconnected, so the remaining cells were not "
                              "written."))
        << text.toStdString();
    EXPECT_EQ(readFileBytes(path), data);
}

TEST(Disconnect, WhileIdleIsShownOnceAndButtonsSaySoUntilInit)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1));
    SetupWindow window;
    window.click("CmdInitialize");
    window.boxes.clear();
    const QString offset = window.text("GlobalXoff");

    module.stop();
    ASSERT_TRUE(window.waitForBoxes(1));
    EXPECT_EQ(window.boxTexts(), QStringList{kDisconnected});
    window.boxes.clear();
    // Neither silence nor the values of a control that is not initialised.
    for (const char* button : {"Temperature", "Version", "SetGlobalOff"})
        window.click(button);
    EXPECT_EQ(window.boxTexts(), (QStringList{kDisconnected, kDisconnected, kDisconnected}));
    EXPECT_EQ(window.boxes.first().informative, "Connect the module again and press \"Init\".");
    EXPECT_EQ(window.text("GlobalXoff"), offset);

    window.boxes.clear();
    ASSERT_TRUE(startSimulator(module, 1));
    window.click("CmdInitialize");
    window.click("Version");
    ASSERT_TRUE(window.waitForBoxes(2));
    EXPECT_EQ(window.boxTexts(), (QStringList{"TK28950 Ready", "TK28950-V1.2.0.1"}));
}

// The adapter comes back as another port: the next transfer connects to
// the port now chosen instead of asking for a restart.
TEST(Disconnect, TheNextTransferConnectsToThePortNowChosen)
{
    Simulator first;
    ASSERT_TRUE(startSimulator(first, 1));
    QTemporaryDir dir;
    const QString path = dir.filePath("EEPROMData.txt");
    SetupWindow window;
    window.type("TxtEEPROMFile", path);
    stopAfter(first, 'i', 10, &window.form());
    window.click("CmdSaveEEPROM");
    ASSERT_EQ(window.boxes.size(), 1);
    EXPECT_TRUE(window.boxes.first().text.contains("The device was disconnected"));

    // A port that cannot be opened first: the link is then bound to none.
    qputenv("TK28950_PORT_9", "/nonexistent/tk28950-tty");
    window.boxes.clear();
    window.selectMemoryPort(9);
    window.click("CmdSaveEEPROM");
    qunsetenv("TK28950_PORT_9");
    Simulator second;
    ASSERT_TRUE(startSimulator(second, 2));
    window.selectMemoryPort(2);
    window.click("CmdSaveEEPROM");
    EXPECT_EQ(window.boxTexts(), (QStringList{"GetConnectionToInclinometer Failed.",
                                              "EEPROM data have been saved in File "
                                              "successfully."}));
    const QStringList values = valuesOf(readFileBytes(path));
    ASSERT_EQ(values.size(), 256);
    EXPECT_EQ(values[255], QString::number(cell(second.eeprom(), 255)));
}

// A button of several steps stops at the step that finds the device gone:
// the boxes keep what the operator typed, rather than the values of a
// control that is no longer initialised.
TEST(Disconnect, AButtonOfSeveralStepsStopsAtTheFirstThatFindsTheDeviceGone)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1));
    SetupWindow window;
    window.click("CmdInitialize");
    window.boxes.clear();
    window.type("txtGainX", "140");
    window.type("txtGainY", "150");

    stopAfter(module, 'h', 1, &window.form());
    window.click("cmdSetGain");
    EXPECT_EQ(window.boxTexts(), QStringList{kDisconnected});
    EXPECT_EQ(window.text("txtGainX"), "140");
    EXPECT_EQ(window.text("txtGainY"), "150");
}

} // namespace
