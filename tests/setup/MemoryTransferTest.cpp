// The EEPROM file transfers of the "Memory" tab against simulated modules.
#include "SetupWindow.h"
#include "Simulator.h"
#include "TestFiles.h"

#include <QFile>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QString kSaved = QStringLiteral("EEPROM data have been saved in File successfully.");
const QString kWritten = QStringLiteral("Data have been written into EEPROM successfully.");
const QString kWriteFailed = QStringLiteral("Writting into EEPROM failed!");
const QString kTimeOut = QStringLiteral("TK28950 TIME OUT");

// Runs one transfer in a window of its own on the given memory port.
QVector<CapturedBox> transfer(const char* button, int port, const QString& path,
                              const TransferTiming& timing = SetupWindow::fastTiming())
{
    SetupWindow window(timing);
    window.selectMemoryPort(port);
    window.type("TxtEEPROMFile", path);
    window.click(button);
    return window.boxes;
}

QStringList texts(const QVector<CapturedBox>& boxes)
{
    QStringList result;
    for (const CapturedBox& box : boxes)
        result.append(box.text);
    return result;
}

} // namespace

TEST(MemoryTransfer, SaveAndWriteBackMakeTwoModulesEqual)
{
    Simulator first;
    Simulator second;
    ASSERT_TRUE(startSimulator(first, 1));
    ASSERT_TRUE(startSimulator(second, 2, {"--eeprom-fill", "7"}));
    QTemporaryDir dir;
    // Folders are made along "/"; a backslash is part of the file's name.
    const QString path = dir.filePath(R"(new folder/C:\Temp\EEPROMData.txt)");

    {
        SetupWindow window;
        window.type("TxtEEPROMFile", "  " + path + " ");
        QStringList duringTransfer;
        QTimer::singleShot(200, [&] {
            for (const char* name : {"CmdSaveEEPROM", "CmdWriteEEPROM", "LstPortNum"})
                duringTransfer.append(window.find<QWidget>(name)->isEnabled() ? "enabled"
                                                                              : "disabled");
            duringTransfer.append(window.find<QProgressBar>("PrgbarEEPROM")->isVisible()
                                      ? "progress shown"
                                      : "progress hidden");
        });
        window.click("CmdSaveEEPROM");
        ASSERT_EQ(window.boxTexts(), QStringList{kSaved});
        EXPECT_EQ(window.boxes.first().title, "Memory Access");
        EXPECT_EQ(duringTransfer,
                  (QStringList{"disabled", "disabled", "disabled", "progress shown"}));
        EXPECT_TRUE(window.find<QWidget>("CmdSaveEEPROM")->isEnabled());
        EXPECT_TRUE(window.find<QWidget>("LstPortNum")->isEnabled());
        EXPECT_TRUE(window.find<QProgressBar>("PrgbarEEPROM")->isHidden());
    }

    const QByteArray content = readFileBytes(path);
    const QByteArray cells = first.eeprom();
    EXPECT_TRUE(content.startsWith("Address\tValue\r\n0\t"));
    EXPECT_EQ(content.count("\r\n"), 257);
    EXPECT_EQ(content.count('\n'), 257);
    EXPECT_TRUE(content.endsWith("\r\n"));
    const QStringList values = valuesOf(content);
    ASSERT_EQ(values.size(), 256);
    for (int n = 0; n < 256; ++n)
        ASSERT_EQ(values[n], QString::number(cell(cells, n))) << "cell " << n;

    ASSERT_NE(second.eeprom(), cells);
    EXPECT_EQ(texts(transfer("CmdWriteEEPROM", 2, path)), QStringList{kWritten});
    EXPECT_EQ(second.eeprom(), cells);
}

// A lost answer costs a read, not the save: the cell is read once more and
// the file holds exactly what the module holds.
TEST(MemoryTransfer, ALostAnswerIsReadAgainAndTheSaveIsExact)
{
    Simulator module;
    // With this seed a few reads go unanswered, none twice, the reset never.
    ASSERT_TRUE(startSimulator(module, 1, {"--drop", "0.01", "--seed", "3"}));
    QTemporaryDir dir;
    const QString path = dir.filePath("EEPROMData.txt");

    EXPECT_EQ(texts(transfer("CmdSaveEEPROM", 1, path)), QStringList{kSaved});
    const QStringList values = valuesOf(readFileBytes(path));
    ASSERT_EQ(values.size(), 256);
    const QByteArray cells = module.eeprom();
    const QByteArray sent = module.received();
    int readTwice = 0;
    for (int n = 0; n < 256; ++n) {
        EXPECT_EQ(values[n], QString::number(cell(cells, n))) << "cell " << n;
        const qsizetype reads = sent.count(readCommand(n));
        EXPECT_LE(reads, 2) << "cell " << n;
        readTwice += reads == 2;
    }
    EXPECT_GT(readTwice, 0) << "choose another seed: no read was lost";
}

// A cell that cannot be read at either attempt leaves the previous file as
// it was and puts the data beside it; writing those data back skips that
// cell.
TEST(MemoryTransfer, UnreadableCellsKeepTheGoodFileAndAreSkippedOnWriteBack)
{
    constexpr int kLost = 37;
    Simulator first;
    Simulator second;
    ASSERT_TRUE(startSimulator(first, 1, {"--drop-cell", QString::number(kLost)}));
    ASSERT_TRUE(startSimulator(second, 2, {"--eeprom-fill", "7"}));
    QTemporaryDir dir;
    const QString path = dir.filePath("EEPROMData.txt");
    ASSERT_TRUE(writeFileBytes(path, "previous"));

    const QVector<CapturedBox> boxes = transfer("CmdSaveEEPROM", 1, path);
    const QString incomplete = path + ".incomplete";
    EXPECT_EQ(texts(boxes),
              QStringList{QStringLiteral("1 of 256 cells could not be read (cell %1). The data "
                                         "were saved in File: %2; File: %3 was not changed.")
                              .arg(kLost)
                              .arg(incomplete, path)});
    EXPECT_EQ(readFileBytes(path), "previous");
    EXPECT_EQ(first.received().count(readCommand(kLost)), 2);
    const QStringList values = valuesOf(readFileBytes(incomplete));
    ASSERT_EQ(values.size(), 256);
    const QByteArray source = first.eeprom();
    for (int n = 0; n < 256; ++n)
        EXPECT_EQ(values[n], n == kLost ? kTimeOut : QString::number(cell(source, n)))
            << "cell " << n;

    // The header is line 1.
    EXPECT_EQ(texts(transfer("CmdWriteEEPROM", 2, incomplete)),
              QStringList{QStringLiteral("1 line of %1 was skipped (not an address and a value "
                                         "from 0 to 255): line %2; all other cells were written.")
                              .arg(incomplete)
                              .arg(kLost + 2)});
    const QByteArray written = second.eeprom();
    for (int n = 0; n < 256; ++n)
        EXPECT_EQ(cell(written, n), n == kLost ? 7 : cell(source, n)) << "cell " << n;

    // A complete save replaces the old file and removes the data of the
    // incomplete one beside it.
    EXPECT_EQ(texts(transfer("CmdSaveEEPROM", 2, path)), QStringList{kSaved});
    EXPECT_FALSE(QFile::exists(incomplete));
    EXPECT_EQ(valuesOf(readFileBytes(path)).size(), 256);
}

TEST(MemoryTransfer, ATimeOutIsNotAConnectionAndTheOldFileStays)
{
    Simulator silent;
    ASSERT_TRUE(startSimulator(silent, 1, {"--silent"}));
    QTemporaryDir dir;
    const QString path = dir.filePath("EEPROMData.txt");
    ASSERT_TRUE(writeFileBytes(path, "previous"));

    SetupWindow window;
    window.type("TxtEEPROMFile", path);
    window.click("CmdSaveEEPROM");
    ASSERT_EQ(window.boxTexts(), QStringList{"GetConnectionToInclinometer Failed."});
    EXPECT_EQ(window.boxes.first().title, "PrjTK28950");
    EXPECT_EQ(window.boxes.first().informative,
              "The module did not answer the reset within 3000 ms.");
    EXPECT_EQ(readFileBytes(path), "previous");
    EXPECT_FALSE(QFile::exists(path + ".incomplete"));
    EXPECT_TRUE(window.find<QWidget>("CmdSaveEEPROM")->isEnabled());
    EXPECT_TRUE(window.find<QWidget>("CmdWriteEEPROM")->isEnabled());
}

// Files made elsewhere: lines ended by LF only or CR only, in any order,
// with a header anywhere, TAB or blank between address and value.
TEST(MemoryTransfer, FilesWithAnyLineEndsAreWrittenCompletely)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1, {"--eeprom-fill", "0"}));
    QTemporaryDir dir;
    const QString lfOnly = dir.filePath("lf.txt");
    ASSERT_TRUE(
        writeFileBytes(lfOnly, "Address\tValue\n5\t50\n3 30\n\n  address\tvalue\n200\t255\n"));
    const QString crOnly = dir.filePath("cr.txt");
    ASSERT_TRUE(writeFileBytes(crOnly, "Address\tValue\r6\t60\r7\t70"));

    EXPECT_EQ(texts(transfer("CmdWriteEEPROM", 1, lfOnly)), QStringList{kWritten});
    EXPECT_EQ(texts(transfer("CmdWriteEEPROM", 1, crOnly)), QStringList{kWritten});
    const QByteArray cells = module.eeprom();
    EXPECT_EQ(cell(cells, 5), 50);
    EXPECT_EQ(cell(cells, 3), 30);
    EXPECT_EQ(cell(cells, 200), 255);
    EXPECT_EQ(cell(cells, 6), 60);
    EXPECT_EQ(cell(cells, 7), 70);
    EXPECT_EQ(cell(cells, 4), 0);
}

// Every command is answered "E" until the control gives up on it: the first
// write fails, the module gives no version answer either, and the transfer
// stops instead of sending into a line it cannot trust.
TEST(MemoryTransfer, AModuleThatStopsAnsweringStopsTheWriteBack)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1, {"--eeprom-fill", "9", "--error-repeat", "1000"}));
    QTemporaryDir dir;
    const QString path = dir.filePath("data.txt");
    ASSERT_TRUE(writeFileBytes(
        path, "Address\tValue\r\n1\t10\r\n2\t20\r\n3\tTK28950 TIME OUT\r\n4\t300\r\n"));
    TransferTiming timing = SetupWindow::fastTiming();
    timing.replyBoundMs = 500;
    timing.resyncBoundMs = 1000;

    EXPECT_EQ(texts(transfer("CmdWriteEEPROM", 1, path, timing)),
              QStringList{"Writing into EEPROM was not complete: 2 of 2 writes failed (cells 1 "
                          "and 2). The module stopped answering properly, so the remaining cells "
                          "were not written. 2 lines of " +
                          path +
                          " were skipped (not an address and a value from 0 to 255): lines 4 "
                          "and 5."});
    EXPECT_EQ(module.eeprom(), QByteArray(256, char(9)));
    EXPECT_EQ(module.received().count("h002020"), 0);
}

TEST(MemoryTransfer, ATransferOnAnotherPortThanTheConnectedOneIsRefused)
{
    Simulator first;
    Simulator second;
    ASSERT_TRUE(startSimulator(first, 1));
    ASSERT_TRUE(startSimulator(second, 2));
    QTemporaryDir dir;
    const QString path = dir.filePath("data.txt");
    ASSERT_TRUE(writeFileBytes(path, "Address\tValue\r\n1\t10\r\n"));

    SetupWindow window;
    window.type("TxtEEPROMFile", path);
    window.click("CmdWriteEEPROM");
    ASSERT_EQ(window.boxTexts(), QStringList{kWritten});
    window.boxes.clear();
    second.clearTrace();
    window.selectMemoryPort(2);
    window.click("CmdWriteEEPROM");
    window.click("CmdSaveEEPROM");
    const QString refused = QStringLiteral("Port 2 is selected, but the memory transfer is "
                                           "connected to port 1. Select port 1, or restart the "
                                           "program to use port 2.");
    EXPECT_EQ(window.boxTexts(), (QStringList{refused, refused}));
    EXPECT_EQ(window.boxes.first().title, "Memory Access");
    EXPECT_TRUE(second.received().isEmpty());
    EXPECT_TRUE(window.find<QWidget>("CmdWriteEEPROM")->isEnabled());
}

TEST(MemoryTransfer, PathsAndPortsThatCannotServe)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1));
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.txt");
    const QString empty = dir.filePath("empty.txt");
    ASSERT_TRUE(writeFileBytes(empty, ""));
    const QString headerOnly = dir.filePath("header.txt");
    ASSERT_TRUE(writeFileBytes(headerOnly, "Address\tValue\r\n"));

    EXPECT_EQ(texts(transfer("CmdWriteEEPROM", 1, missing)),
              (QStringList{"File: " + missing + " does not exist.", kWriteFailed}));
    EXPECT_EQ(texts(transfer("CmdWriteEEPROM", 1, "")),
              (QStringList{"Please enter the file path first.", kWriteFailed}));
    EXPECT_EQ(texts(transfer("CmdSaveEEPROM", 1, "  ")),
              (QStringList{"Please enter the file path first.", "Saving data in file failed!"}));
    for (const QString& nothing : {empty, headerOnly})
        EXPECT_EQ(texts(transfer("CmdWriteEEPROM", 1, nothing)),
                  QStringList{"Nothing to write: File: " + nothing + " holds no EEPROM data."});

    const QStringList folder = texts(transfer("CmdWriteEEPROM", 1, dir.path()));
    ASSERT_EQ(folder.size(), 3);
    EXPECT_TRUE(folder[0].startsWith("Reading file: " + dir.path() + " failed. Err: "));
    EXPECT_EQ(folder[1], "Error in reading File: " + dir.path());
    EXPECT_EQ(folder[2], kWriteFailed);

    // A folder stands where the file should be saved.
    const QStringList saveOnFolder = texts(transfer("CmdSaveEEPROM", 1, dir.path()));
    ASSERT_EQ(saveOnFolder.size(), 2);
    EXPECT_TRUE(saveOnFolder[0].startsWith("Saving file: " + dir.path() + " failed. Err: "));
    EXPECT_EQ(saveOnFolder[1], "Saving data in file failed!");

    SetupWindow window;
    window.find<QListWidget>("LstPortNum")->clearSelection();
    window.click("CmdSaveEEPROM");
    window.click("CmdWriteEEPROM");
    EXPECT_EQ(window.boxTexts(),
              (QStringList{"Please select valid port number first, then try again.",
                           "Please select a valid port number first, then try again."}));
    EXPECT_EQ(window.boxes.last().title, "Memory Access");
}

TEST(MemoryTransfer, ClosingTheWindowStopsATransfer)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1));
    QTemporaryDir dir;
    const QString path = dir.filePath("EEPROMData.txt");
    ASSERT_TRUE(writeFileBytes(path, "previous"));

    SetupWindow window;
    window.type("TxtEEPROMFile", path);
    QTimer::singleShot(300, &window.form(), [&] { window.form().close(); });
    window.click("CmdSaveEEPROM");
    EXPECT_TRUE(window.boxes.isEmpty());
    EXPECT_EQ(readFileBytes(path), "previous");
    EXPECT_FALSE(QFile::exists(path + ".incomplete"));
}

TEST(MemoryTransfer, WriteBackRefusesWhatIsNoDataFileBeforeWritingAnything)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1));
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = dir.filePath("huge.txt");
    ASSERT_TRUE(writeFileBytes(huge, "0\t1\r\n"));
    ASSERT_TRUE(QFile::resize(huge, 100 << 20));
    for (const QString& path : {QStringLiteral("/dev/zero"), fifo, huge}) {
        const QStringList boxes = texts(transfer("CmdWriteEEPROM", 1, path));
        ASSERT_EQ(boxes.size(), 3) << path.toStdString();
        EXPECT_TRUE(boxes[0].startsWith("Reading file: " + path + " failed. Err: it is"))
            << boxes[0].toStdString();
        EXPECT_EQ(boxes[2], kWriteFailed);
    }
    // The program connects before it takes the path; no cell is written.
    EXPECT_FALSE(module.received().contains('h')) << module.received().toStdString();
}

// A file saved by a Windows editor (with a byte order mark) that names a
// cell twice alike is written with one write per cell; one that gives a cell
// two values is refused before anything is written.
TEST(MemoryTransfer, WriteBackWritesARepeatedCellOnceAndRefusesACellWithTwoValues)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1, {"--eeprom-fill", "0"}));
    QTemporaryDir dir;
    const QString alike = dir.filePath("alike.txt");
    ASSERT_TRUE(writeFileBytes(alike, "\xEF\xBB\xBF"
                                      "Address\tValue\r\n5\t7\r\n5\t7\r\n6\t1\r\n"));
    EXPECT_EQ(texts(transfer("CmdWriteEEPROM", 1, alike)), QStringList{kWritten});
    EXPECT_EQ(module.received().count("h005007"), 1) << module.received().toStdString();
    EXPECT_EQ(cell(module.eeprom(), 6), 1);

    module.clearTrace();
    const QString twoValues = dir.filePath("two-values.txt");
    ASSERT_TRUE(writeFileBytes(twoValues, "Address\tValue\r\n5\t7\r\n6\t1\r\n5\t8\r\n"));
    const QStringList boxes = texts(transfer("CmdWriteEEPROM", 1, twoValues));
    EXPECT_TRUE(boxes.contains("Nothing was written: File: " + twoValues +
                               " names a cell twice: lines 2 and 4 both name cell 5, with the "
                               "values 7 and 8."))
        << boxes.join('\n').toStdString();
    EXPECT_FALSE(module.received().contains('h')) << module.received().toStdString();
}
