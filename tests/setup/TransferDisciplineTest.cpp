// Transfers against a module that answers late or after noise: every value
// saved or acknowledged is the answer to its own command, and the operator
// is told which cells failed.
#include "MemoryTransferLink.h"
#include "ScriptedModule.h"
#include "SetupWindow.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int kPort = 12;
// Longer than the control's 3000 ms command time: the answer comes after
// the control has reported the read as timed out.
constexpr int kAfterTheTimeOut = 3500;
// Well after the next tick of the read handshake, within the command time.
constexpr int kAfterTheNextTick = 800;

// Every cell different from its neighbours, so that a shifted value shows.
QByteArray distinctCells()
{
    QByteArray cells(256, 0);
    for (int n = 0; n < 256; ++n)
        cells[n] = char((n * 7 + 3) % 256);
    return cells;
}

// The cells of a saved file that hold a number other than the module's; a
// cell that holds no number was not read, which the save reports.
QVector<int> wrongCells(const QByteArray& content)
{
    const QByteArray module = distinctCells();
    const QStringList values = valuesOf(content);
    QVector<int> wrong;
    for (int n = 0; n < values.size(); ++n) {
        bool number = false;
        const int value = values[n].toInt(&number);
        if (number && value != cell(module, n))
            wrong.append(n);
    }
    if (values.size() != 256)
        wrong.append(-1);
    return wrong;
}

class LateAnswers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(module.device().isEmpty());
        qputenv("TK28950_PORT_12", module.device().toLocal8Bit());
        window.selectMemoryPort(kPort);
    }
    void TearDown() override { qunsetenv("TK28950_PORT_12"); }

    QStringList save(const QString& path)
    {
        window.type("TxtEEPROMFile", path);
        window.click("CmdSaveEEPROM");
        return window.boxTexts();
    }

    ScriptedModule module{distinctCells()};
    SetupWindow window;
    QTemporaryDir dir;
};

} // namespace

// Both reads of a cell reported as timed out, and their answers then come:
// the cell is unreadable, and no later cell takes either answer. A late
// answer that came after noise is unreadable too: the noise (a lone line
// end and a stray byte) damaged its line.
TEST_F(LateAnswers, ASaveNeverShiftsACell)
{
    for (int read = 0; read < 2; ++read) {
        module.addFault({readCommand(100), kAfterTheTimeOut});
        module.addFault({readCommand(180), kAfterTheTimeOut, ScriptedModule::Damage::NoiseFirst});
    }
    const QString path = dir.filePath("EEPROMData.txt");

    const QStringList boxes = save(path);
    EXPECT_EQ(module.faultsLeft(), 0);
    EXPECT_EQ(module.commands().count(readCommand(100)), 2);
    EXPECT_EQ(module.commands().count(readCommand(180)), 2);
    ASSERT_EQ(boxes.size(), 1);
    // Cell 180's answer came after a lone line end and a stray byte: a
    // damaged line, which the control never takes as a value.
    EXPECT_TRUE(boxes[0].startsWith("2 of 256 cells could not be read (cells 100 and 180). "))
        << boxes[0].toStdString();
    EXPECT_FALSE(QFile::exists(path));
    const QStringList values = valuesOf(readFileBytes(path + ".incomplete"));
    ASSERT_EQ(values.size(), 256);
    for (int n = 0; n < 256; ++n) {
        const QString expected = (n == 100 || n == 180) ? QStringLiteral("TK28950 TIME OUT")
                                                        : QString::number(cell(module.cells(), n));
        EXPECT_EQ(values[n], expected) << "cell " << n;
    }
}

// Noise before an answer is the control's ErrorComm for the read under way:
// the read ends at once, and the cell is read again once the link is back
// in step, also when its first answer is still on its way.
TEST_F(LateAnswers, NoiseInAnAnswerCostsAReadNotAValue)
{
    module.addFault({readCommand(7), kAfterTheNextTick, ScriptedModule::Damage::NoiseFirst});
    module.addFault({readCommand(8), 0, ScriptedModule::Damage::NoiseFirst});
    const QString path = dir.filePath("EEPROMData.txt");

    EXPECT_EQ(save(path), QStringList{"EEPROM data have been saved in File successfully."});
    const QStringList values = valuesOf(readFileBytes(path));
    ASSERT_EQ(values.size(), 256);
    for (int n = 0; n < 256; ++n)
        ASSERT_EQ(values[n], QString::number(cell(module.cells(), n))) << "cell " << n;
    for (int address : {7, 8}) {
        const QVector<QByteArray>& commands = module.commands();
        const auto first = commands.indexOf(readCommand(address));
        const auto second = commands.indexOf(readCommand(address), first + 1);
        ASSERT_GT(second, first) << "cell " << address;
        EXPECT_TRUE(commands.mid(first, second - first).contains("v"));
    }
}

// Answers split by a lone line end, and answers that come after the control
// gave up on them, spread over a save as a noisy line brings them: each of
// those cells is read once more after the line is back in step, the late
// answers are never taken for it, and the file is complete and exact.
TEST_F(LateAnswers, SplitAndLateAnswersNeverReachAFile)
{
    const QVector<int> split{12, 58, 101, 147, 236};
    const QVector<int> late{64, 200};
    for (int address : split)
        module.addFault({readCommand(address), 0, ScriptedModule::Damage::Split});
    for (int address : late)
        module.addFault({readCommand(address), kAfterTheTimeOut});
    const QString path = dir.filePath("EEPROMData.txt");

    EXPECT_EQ(save(path), QStringList{"EEPROM data have been saved in File successfully."});
    EXPECT_EQ(module.faultsLeft(), 0);
    EXPECT_EQ(wrongCells(readFileBytes(path)), QVector<int>{});
    EXPECT_FALSE(QFile::exists(path + ".incomplete"));
    for (int address : late)
        EXPECT_EQ(module.commands().count(readCommand(address)), 2) << "cell " << address;
}

// A byte that is not printable, dropped from inside an answer, leaves a
// number that looks like a value: the control reports the damaged line,
// and the read ends as for any ErrorComm.
TEST_F(LateAnswers, AnAnswerThatLostAByteNeverReachesAFile)
{
    for (int address : {3, 99, 216})
        module.addFault({readCommand(address), 0, ScriptedModule::Damage::DroppedByte});
    const QString path = dir.filePath("EEPROMData.txt");

    save(path);
    EXPECT_EQ(module.faultsLeft(), 0);
    const QString written = QFile::exists(path) ? path : path + ".incomplete";
    EXPECT_EQ(wrongCells(readFileBytes(written)), QVector<int>{});
}

// A write acknowledged only after the control's time-out is made again once
// the link is back in step; the later writes are judged by their own answers.
TEST_F(LateAnswers, AWriteBackAcknowledgedLateIsCompleteAndInOrder)
{
    QByteArray file = "Address\tValue\r\n";
    QByteArray wanted = module.cells();
    for (int n = 0; n < 20; ++n) {
        file += QByteArray::number(n) + '\t' + QByteArray::number(200 + n) + "\r\n";
        wanted[n] = char(200 + n);
    }
    const QString path = dir.filePath("data.txt");
    ASSERT_TRUE(writeFileBytes(path, file));
    module.addFault({"h005205", kAfterTheTimeOut});
    module.addFault({"h006206", 0, ScriptedModule::Damage::NoiseFirst});

    window.type("TxtEEPROMFile", path);
    window.click("CmdWriteEEPROM");
    EXPECT_EQ(window.boxTexts(), QStringList{"Data have been written into EEPROM successfully."});
    EXPECT_EQ(module.cells(), wanted);
    // Cell 5 was written twice, with the link brought back in step between.
    const QVector<QByteArray>& commands = module.commands();
    const auto first = commands.indexOf("h005205");
    const auto second = commands.indexOf("h005205", first + 1);
    ASSERT_GT(second, first);
    EXPECT_TRUE(commands.mid(first, second - first).contains("v"));
    // Noise before the acknowledgement of cell 6 ended that attempt at once.
    EXPECT_EQ(commands.count("h006206"), 2);
}

// A write the module refuses ends its wait at once, at both attempts, and
// the write-back goes on with the next cell.
TEST_F(LateAnswers, ARefusedWriteDoesNotWaitOutItsBound)
{
    TransferTiming timing = SetupWindow::fastTiming();
    timing.replyBoundMs = 60000;
    window.form().setTiming(timing);
    const QString path = dir.filePath("data.txt");
    ASSERT_TRUE(writeFileBytes(path, "Address\tValue\r\n4\t40\r\n5\t50\r\n6\t60\r\n"));
    module.addFault({"h005050", 0, ScriptedModule::Damage::Refused});
    module.addFault({"h005050", 0, ScriptedModule::Damage::Refused});

    QElapsedTimer clock;
    clock.start();
    window.type("TxtEEPROMFile", path);
    window.click("CmdWriteEEPROM");
    EXPECT_LT(clock.elapsed(), timing.replyBoundMs);
    EXPECT_EQ(window.boxTexts(),
              QStringList{"Writing into EEPROM was not complete: 1 of 3 writes failed (cell 5)."});
    EXPECT_EQ(module.commands().count("h005050"), 2);
    EXPECT_EQ(cell(module.cells(), 4), 40);
    EXPECT_EQ(cell(module.cells(), 6), 60);
}

// On the normal path nothing is added to what goes over the line.
TEST_F(LateAnswers, AFaultlessSaveSendsTheResetAndOneReadPerCell)
{
    const QString path = dir.filePath("EEPROMData.txt");
    EXPECT_EQ(save(path), QStringList{"EEPROM data have been saved in File successfully."});
    QVector<QByteArray> expected{"x"};
    for (int n = 0; n < 256; ++n)
        expected.append(readCommand(n));
    EXPECT_EQ(module.commands(), expected);
}

TEST(TransferMessages, NameTheFirstTenFailedCellsThenCountTheRest)
{
    EXPECT_EQ(EepromTransfer::nameNumbers("cell", "cells", {42}), "cell 42");
    EXPECT_EQ(EepromTransfer::nameNumbers("cell", "cells", {3, 7, 9}), "cells 3, 7 and 9");
    QVector<int> many;
    for (int n = 0; n < 13; ++n)
        many.append(n * 2);
    EXPECT_EQ(EepromTransfer::nameNumbers("line", "lines", many),
              "lines 0, 2, 4, 6, 8, 10, 12, 14, 16, 18 and 3 more");
}
