#include "EepromDataFile.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace EepromDataFile;

namespace {

} // namespace

TEST(EepromDataFile, LinesEndAtCrLfLoneCrOrLoneLf)
{
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\n\nb\n"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\r\r"), (QStringList{"", ""}));
    EXPECT_TRUE(SplitLines("").isEmpty());
    // 8-bit text: every byte is one character.
    EXPECT_EQ(SplitLines("\xb0\tx"), QStringList{QString::fromLatin1("\xb0\tx")});
}

TEST(EepromDataFile, WrittenFileIsHeaderAndOneCrLfLinePerCell)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("data.txt");
    QStringList values;
    for (int n = 0; n < kCells; ++n)
        values.append(QString::number(255 - n));
    values[7] = QString();
    values[8] = QStringLiteral("TK28950 TIME OUT");
    QString error;
    ASSERT_TRUE(Write(path, values, &error)) << error.toStdString();

    const QByteArray content = readFileBytes(path);
    EXPECT_TRUE(content.startsWith("Address\tValue\r\n0\t255\r\n1\t254\r\n"));
    EXPECT_TRUE(content.contains("\r\n7\t\r\n8\tTK28950 TIME OUT\r\n"));
    EXPECT_TRUE(content.endsWith("255\t0\r\n"));
    EXPECT_EQ(content.count("\r\n"), kCells + 1);
    EXPECT_EQ(content.count('\n'), kCells + 1);
    EXPECT_EQ(content, Format(values));

    QStringList lines;
    ASSERT_TRUE(ReadLines(path, &lines, &error));
    EXPECT_EQ(lines.size(), kCells + 1);
    EXPECT_EQ(lines.first(), headerLine());
}

TEST(EepromDataFile, FailedWriteKeepsThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("data.txt");
    ASSERT_TRUE(writeFileBytes(path, "previous"));
    QStringList values;
    for (int n = 0; n < kCells; ++n)
        values.append(QString::number(n));

    // Files of this process may grow to 100 bytes only: the write stops half way.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written = Write(path, values, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFileBytes(path), "previous");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"data.txt"});
}

TEST(EepromDataFile, WriteIntoAFolderPathFails)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(Write(dir.path(), {"1"}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
}

TEST(EepromDataFile, ReadingAMissingFileOrAFolderFails)
{
    QTemporaryDir dir;
    QStringList lines;
    QString error;
    EXPECT_FALSE(ReadLines(dir.filePath("missing.txt"), &lines, &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(ReadLines(dir.path(), &lines, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(EepromDataFile, AFileBeyondTheByteBoundIsRefusedButALargeGoodOneReads)
{
    QTemporaryDir dir;
    QStringList lines;
    QString error;
    // The longest file of short lines the line bound allows fits the byte bound.
    const QByteArray longest = QByteArray("255\t255\r\n").repeated(kMaxLines);
    ASSERT_LE(longest.size(), kMaxBytes);
    ASSERT_TRUE(writeFileBytes(dir.filePath("longest.txt"), longest));
    EXPECT_TRUE(ReadLines(dir.filePath("longest.txt"), &lines, &error)) << error.toStdString();
    EXPECT_EQ(lines.size(), kMaxLines);

    const QString tooLarge = dir.filePath("large.txt");
    ASSERT_TRUE(writeFileBytes(tooLarge, QByteArray(kMaxBytes + 1, ' ')));
    EXPECT_FALSE(ReadLines(tooLarge, &lines, &error));
    EXPECT_TRUE(error.contains(QString::number(kMaxBytes))) << error.toStdString();
}

TEST(EepromDataFile, LinesAreClassifiedAsHeaderCellOrInvalid)
{
    Cell cell{-1, -1, 0};
    for (const char* skipped : {"", "   ", "Address\tValue", "  ADDRESS\tVALUE", "addressbook"})
        EXPECT_EQ(ParseLine(QString::fromLatin1(skipped), &cell), LineKind::Skip) << skipped;

    EXPECT_EQ(ParseLine("5\t200", &cell), LineKind::Cell);
    EXPECT_EQ(cell.address, 5);
    EXPECT_EQ(cell.value, 200);
    EXPECT_EQ(ParseLine("  255 0  ", &cell), LineKind::Cell);
    EXPECT_EQ(cell.address, 255);
    EXPECT_EQ(cell.value, 0);
    EXPECT_EQ(ParseLine("007\t010", &cell), LineKind::Cell);
    EXPECT_EQ(cell.value, 10);

    for (const char* invalid :
         {"5", "5\t", "\t5\t1", "5\tTK28950 TIME OUT", "5\tab cd", "256\t1", "1\t256", "-1\t1",
          "1\t+1", "5  7", "5\t7\t", "1\t1.5", "99999999999999999999\t1"})
        EXPECT_EQ(ParseLine(QString::fromLatin1(invalid), &cell), LineKind::Invalid) << invalid;
}

TEST(EepromDataFile, ParseCellsRefusesTheWholeFileAndNamesTheLine)
{
    QVector<Cell> cells;
    QString error;
    ASSERT_TRUE(
        ParseCells({"Address\tValue", "3\t30", "", "1 10", "ADDRESS VALUE"}, &cells, &error));
    ASSERT_EQ(cells.size(), 2);
    EXPECT_EQ(cells[0].address, 3);
    EXPECT_EQ(cells[0].value, 30);
    EXPECT_EQ(cells[0].line, 2);
    EXPECT_EQ(cells[1].line, 4);

    cells.clear();
    EXPECT_FALSE(ParseCells({"Address\tValue", "3\t30", "4\tTK28950 TIME OUT"}, &cells, &error));
    EXPECT_TRUE(error.contains("line 3")) << error.toStdString();
    EXPECT_TRUE(cells.isEmpty());
}

TEST(EepromDataFile, CellValuesAreDecimalsFrom0To255)
{
    EXPECT_TRUE(IsCellValue("0"));
    EXPECT_TRUE(IsCellValue("255"));
    for (const char* text : {"", "256", "-1", "TK28950 TIME OUT", " 1", "1a"})
        EXPECT_FALSE(IsCellValue(QString::fromLatin1(text))) << text;
}

TEST(EepromDataFile, ACellNamedTwiceIsWrittenOnceOrRefusedWithBothLines)
{
    QVector<Cell> cells;
    QString error;
    ASSERT_TRUE(ParseCells({"Address\tValue", "5\t7", "6\t1", "5 7", "5\t7"}, &cells, &error));
    ASSERT_EQ(cells.size(), 2);
    EXPECT_EQ(cells[0].line, 2);
    EXPECT_EQ(cells[1].line, 3);

    cells.clear();
    EXPECT_FALSE(ParseCells({"Address\tValue", "5\t7", "6\t1", "5\t8"}, &cells, &error));
    EXPECT_EQ(error, "lines 2 and 4 both name cell 5, with the values 7 and 8");
    EXPECT_TRUE(cells.isEmpty());

    // The setup program writes line by line: the repeats are the lines it
    // leaves out, invalid lines are its own to report.
    QSet<int> repeats;
    ASSERT_TRUE(
        FindRepeats({"Address\tValue", "5\t7", "junk", "5\t7", "6\t1", "005 7"}, &repeats, &error));
    EXPECT_EQ(repeats, (QSet<int>{4, 6}));
    EXPECT_FALSE(FindRepeats({"5\t7", "junk", "5\t9"}, &repeats, &error));
    EXPECT_EQ(error, "lines 1 and 3 both name cell 5, with the values 7 and 9");
}

TEST(EepromDataFile, AByteOrderMarkAtTheStartIsSkipped)
{
    const QStringList lines = SplitLines("\xEF\xBB\xBF"
                                         "Address\tValue\r\n0\t1\r\n");
    EXPECT_EQ(lines, (QStringList{"Address\tValue", "0\t1"}));
    QVector<Cell> cells;
    QString error;
    ASSERT_TRUE(ParseCells(SplitLines("\xEF\xBB\xBF"
                                      "0\t1\r\n"),
                           &cells, &error))
        << error.toStdString();
    EXPECT_EQ(cells.size(), 1);
    // Only at the start: anywhere else it is no part of a cell.
    EXPECT_FALSE(ParseCells(SplitLines("0\t1\r\n\xEF\xBB\xBF"
                                       "1\t1\r\n"),
                            &cells, &error));
}
