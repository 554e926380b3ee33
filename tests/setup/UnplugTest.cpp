// The module's cable pulled in the middle of a save: the program tells the
// operator, keeps the previous file, and saves from a module plugged in
// again on the same device path.
#include "SetupWindow.h"
#include "Simulator.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString kSaved = QStringLiteral("EEPROM data have been saved in File successfully.");

QByteArray cells(int seed)
{
    QByteArray bytes(256, 0);
    for (int address = 0; address < 256; ++address)
        bytes[address] = static_cast<char>((address * 13 + seed) % 256);
    return bytes;
}

// Saves the module on port 1 into path; kills the module, as a pulled cable
// would end it, once it has received killAfter bytes (never when negative).
QVector<CapturedBox> save(const QString& path, Simulator& module, int killAfter)
{
    SetupWindow window;
    window.selectMemoryPort(1);
    window.type("TxtEEPROMFile", path);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (module.received().size() < killAfter)
            return;
        ::kill(static_cast<pid_t>(module.processId()), SIGKILL);
        watch.stop();
    });
    if (killAfter >= 0)
        watch.start(5);
    window.click("CmdSaveEEPROM");
    return window.boxes;
}

} // namespace

TEST(Unplug, ASaveCutShortKeepsTheOldFileAndTheModulePluggedInAgainIsSaved)
{
    QTemporaryDir dir;
    const QString link = dir.filePath("module");
    const QString file = dir.filePath("eeprom.txt");
    const QByteArray old = "Address\tValue\r\n0\t1\r\n";
    ASSERT_TRUE(writeFileBytes(file, old));
    qputenv("TK28950_PORT_1", QFile::encodeName(link));

    Simulator first;
    ASSERT_TRUE(first.start({"--link", link}, cells(1))) << first.error().toStdString();
    const QVector<CapturedBox> cut = save(file, first, 4 * 60);
    ASSERT_TRUE(first.waitForFinished());
    ASSERT_FALSE(cut.isEmpty());
    EXPECT_NE(cut.last().text, kSaved);
    EXPECT_LE(cut.size(), 3) << "the loss is told once, not for every cell";
    EXPECT_EQ(readFileBytes(file), old);

    Simulator second;
    ASSERT_TRUE(second.start({"--link", link}, cells(2))) << second.error().toStdString();
    const QVector<CapturedBox> saved = save(file, second, -1);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved.first().text, kSaved);
    const QByteArray content = readFileBytes(file);
    EXPECT_TRUE(
        content.contains("\r\n255\t" + QByteArray::number(quint8(cells(2).at(255))) + "\r\n"));
}
