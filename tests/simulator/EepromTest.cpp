// The simulated module's EEPROM: its cells, its file and its reset.
#include "SimulatorFixture.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {
using EepromTest = SimulatorFixture;

constexpr int UnusedCell = 150;

int cellAt(const QByteArray& cells, int address)
{
    return static_cast<quint8>(cells.at(address));
}

QByteArray countingCells()
{
    QByteArray cells(256, '\0');
    for (int i = 0; i < cells.size(); ++i)
        cells[i] = static_cast<char>(255 - i);
    return cells;
}

TEST_F(EepromTest, DefaultTableLooksLikeAConfiguredModule)
{
    ASSERT_TRUE(startWithHost());
    const QByteArray cells = simulator.eeprom(); // saved at start
    ASSERT_EQ(cells.size(), 256);
    EXPECT_EQ(cellAt(cells, 189) | cellAt(cells, 190) << 8, 1234); // serial number
    EXPECT_EQ(cellAt(cells, 187), 128);                            // gains
    EXPECT_EQ(cellAt(cells, 188), 128);
    EXPECT_EQ(cellAt(cells, 9) & 0x10, 0) << "the EEPROM reset must be allowed";
    EXPECT_EQ(cellAt(cells, 201), 0x12); // zoom 4 on X, 2 on Y
    EXPECT_EQ(static_cast<qint16>(cellAt(cells, 202) | cellAt(cells, 203) << 8), -15);
    EXPECT_EQ(host->ask("i189"), "210\r\n");
    EXPECT_EQ(host->ask("i190"), "4\r\n");
}

TEST_F(EepromTest, WrittenCellsReadBackAndReachTheFile)
{
    ASSERT_TRUE(startWithHost());
    EXPECT_EQ(host->ask("h100077"), "0\r\n");
    EXPECT_EQ(host->ask("h255000"), "0\r\n");
    EXPECT_EQ(host->ask("i100"), "77\r\n");
    EXPECT_EQ(host->ask("i255"), "0\r\n");
    EXPECT_EQ(cellAt(simulator.eeprom(), 100), 77);
    EXPECT_EQ(cellAt(simulator.eeprom(), 255), 0);
}

TEST_F(EepromTest, CellsComeFromTheFileAndOutliveTheSimulator)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("module.bin");
    Simulator first;
    ASSERT_TRUE(first.start({"--eeprom", path}, {}));
    HostPort(first.device()).ask("h005099");
    first.stop();
    EXPECT_EQ(first.exitCode(), 0);

    ASSERT_TRUE(startWithHost({"--eeprom", path}));
    EXPECT_EQ(host->ask("i005"), "99\r\n");
    EXPECT_EQ(host->ask("i189"), "210\r\n");

    ASSERT_TRUE(startWithHost({}, countingCells()));
    EXPECT_EQ(host->ask("i000"), "255\r\n");
    EXPECT_EQ(host->ask("i200"), "55\r\n");
}

TEST_F(EepromTest, FileIsReplacedWholeOnEveryChange)
{
    ASSERT_TRUE(startWithHost());
    // A second name for the file as it is now: a file written in place would
    // change under it too, a file replaced leaves it alone.
    QTemporaryDir aside;
    const QString before = aside.filePath("before.bin");
    ASSERT_EQ(::link(QFile::encodeName(simulator.eepromPath()).constData(),
                     QFile::encodeName(before).constData()),
              0);
    const QByteArray original = readFileBytes(before);
    constexpr int Writes = 40;
    QByteArray commands;
    for (int i = 0; i < Writes; ++i)
        commands += QString::asprintf("h%03d%03d", UnusedCell, i).toLatin1();
    host->send(commands);
    // A reader looking at any moment finds a whole file, never a part of one.
    int answers = 0;
    while (answers < Writes) {
        ASSERT_EQ(simulator.eeprom().size(), 256);
        const QByteArray answer = host->readAnswer();
        ASSERT_EQ(answer, "0\r\n");
        ++answers;
    }
    EXPECT_EQ(cellAt(simulator.eeprom(), UnusedCell), Writes - 1);
    EXPECT_EQ(readFileBytes(before), original) << "the file was written in place";
    const QStringList left = QFileInfo(simulator.eepromPath()).dir().entryList(QDir::Files);
    EXPECT_EQ(left, (QStringList{"eeprom.bin", "stderr.txt", "trace.txt"}));
}

TEST_F(EepromTest, FileOfAnotherSizeIsRefused)
{
    for (int size : {1, 255, 257}) {
        EXPECT_FALSE(simulator.start({}, QByteArray(size, '\x01')));
        EXPECT_EQ(simulator.exitCode(), 2);
        EXPECT_TRUE(simulator.error().contains("exactly 256")) << qPrintable(simulator.error());
        EXPECT_EQ(simulator.eeprom().size(), size) << "a refused file must stay as it was";
    }
}

// The file is read within the size of the table: a FIFO (which would wait
// for a writer) and a file far too large are refused without being read.
TEST_F(EepromTest, AFifoOrAHugeFileIsRefusedUnread)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("eeprom.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(simulator.start({QStringLiteral("--eeprom"), fifo}));
    EXPECT_EQ(simulator.exitCode(), 2);
    EXPECT_TRUE(simulator.error().contains("not a regular file")) << qPrintable(simulator.error());

    const QString huge = dir.filePath(QStringLiteral("huge.bin"));
    constexpr qint64 kHugeSize = qint64(1) << 32; // sparse: it takes no room on the disk
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(kHugeSize));
    file.close();
    EXPECT_FALSE(simulator.start({QStringLiteral("--eeprom"), huge}));
    EXPECT_EQ(simulator.exitCode(), 2);
    EXPECT_TRUE(simulator.error().contains("holds more than 256 bytes, expected exactly 256"))
        << qPrintable(simulator.error());
    EXPECT_EQ(QFileInfo(huge).size(), kHugeSize);
}

TEST_F(EepromTest, EepromResetRestoresTheFactoryTableUnlessProtected)
{
    ASSERT_TRUE(startWithHost({"--eeprom-fill", "7"}));
    EXPECT_EQ(host->ask("i000"), "7\r\n");
    EXPECT_EQ(host->ask("i009"), "7\r\n");
    EXPECT_EQ(host->ask("l"), "g\r\n");
    EXPECT_EQ(host->ask("i189"), "210\r\n");
    EXPECT_EQ(host->ask("i150"), "255\r\n");

    host->ask("h009144"); // 0x90: reset protected
    host->ask("h150077");
    EXPECT_EQ(host->ask("l"), "N\r\n");
    EXPECT_EQ(host->ask("i150"), "77\r\n");
    EXPECT_EQ(cellAt(simulator.eeprom(), UnusedCell), 77);

    host->ask("h009128"); // 0x80: allowed again
    EXPECT_EQ(host->ask("l"), "g\r\n");
    EXPECT_EQ(host->ask("i150"), "255\r\n");
    EXPECT_EQ(cellAt(simulator.eeprom(), UnusedCell), 255);
}
} // namespace
