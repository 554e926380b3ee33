// Transfers against a module that answers late or after noise: every value
// saved or acknowledged is the answer to its own command, and the operator
// is told which cells failed.
#include "MemoryTransferLink.h"
#include "ScriptedModule.h"
#include "SetupWindow.h"
#include "TestFiles.h"

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

QByteArray readCommand(int address)
{
    return "i" + QByteArray::number(address).rightJustified(3, '0');
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

// A read that the control reports as timed out, and whose answer then
// comes: the cell is unreadable, and no later cell takes that answer.
TEST_F(LateAnswers, ASaveNeverShiftsACell)
{
    module.addFault({readCommand(100), kAfterTheTimeOut, false});
    module.addFault({readCommand(180), kAfterTheTimeOut, true});
    const QString path = dir.filePath("EEPROMData.txt");

    const QStringList boxes = save(path);
    EXPECT_EQ(module.faultsLeft(), 0);
    ASSERT_EQ(boxes.size(), 1);
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

// Noise first, then the answer after the next tick: the read waits for its
// own answer, and the file is exact.
TEST_F(LateAnswers, NoiseBeforeALateAnswerDoesNotEndTheRead)
{
    module.addFault({readCommand(7), kAfterTheNextTick, true});
    module.addFault({readCommand(8), 0, true});
    const QString path = dir.filePath("EEPROMData.txt");

    EXPECT_EQ(save(path), QStringList{"EEPROM data have been saved in File successfully."});
    const QStringList values = valuesOf(readFileBytes(path));
    ASSERT_EQ(values.size(), 256);
    for (int n = 0; n < 256; ++n)
        ASSERT_EQ(values[n], QString::number(cell(module.cells(), n))) << "cell " << n;
}

// A write acknowledged only after the control's time-out is made again once
// the link is back in step; the later writes are judged by their own answers,
// and an acknowledgement damaged by noise is none: that write is made again.
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
    module.addFault({"h005205", kAfterTheTimeOut, false});
    module.addFault({"h006206", 0, true});

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
    EXPECT_EQ(commands.count("h006206"), 2);
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
