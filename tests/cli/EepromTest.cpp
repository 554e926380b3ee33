// Whole-EEPROM transfers: dump, restore with verify, diff, in the setup
// program's file format.
#include "CliFixture.h"
#include "TestFiles.h"

#include "EepromDataFile.h"

#include <QFile>
#include <QJsonArray>

namespace {

QByteArray readRequests()
{
    QByteArray requests;
    for (int address = 0; address < 256; ++address)
        requests += QStringLiteral("i%1").arg(address, 3, 10, QLatin1Char('0')).toLatin1();
    return requests;
}

// 256 cells that differ from the simulator's factory table and from each
// other's neighbours.
QByteArray pattern()
{
    QByteArray cells(256, 0);
    for (int address = 0; address < 256; ++address)
        cells[address] = static_cast<char>((address * 37 + 11) % 256);
    return cells;
}

class Eeprom : public CliFixture {};

TEST_F(Eeprom, DumpIsTheModulesEepromReadOneRequestPerCell)
{
    startSimulator();
    const QString file = path("dump.txt");
    const ToolResult result = run({"eeprom", "dump", file});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "256 cells saved to " + file.toUtf8() + "\n");
    EXPECT_FALSE(result.err.contains('\r'))
        << "no progress bar when standard error is not a terminal";

    EXPECT_EQ(readFileBytes(file), dataFile(m_sim.eeprom()));
    EXPECT_EQ(m_sim.received(), "v" + readRequests())
        << "the line brought in step, then one read per cell and nothing else";

    QStringList lines;
    QString error;
    ASSERT_TRUE(EepromDataFile::ReadLines(file, &lines, &error));
    QVector<EepromDataFile::Cell> cells;
    ASSERT_TRUE(EepromDataFile::ParseCells(lines, &cells, &error)) << error.toStdString();
    ASSERT_EQ(cells.size(), 256);
    for (const auto& cell : cells) {
        EXPECT_EQ(cell.line, cell.address + 2);
        EXPECT_EQ(cell.value, static_cast<quint8>(m_sim.eeprom().at(cell.address)));
    }
}

TEST_F(Eeprom, RestoreWithVerifyMakesASecondModuleEqual)
{
    startSimulator({}, pattern());
    const QString file = path("module-a.txt");
    ASSERT_EQ(run({"eeprom", "dump", file}).exitCode, 0);

    startSimulator({"--eeprom-fill", "7"});
    const ToolResult result = run({"--json", "eeprom", "restore", file});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.json(), (QJsonObject{{"command", "eeprom restore"},
                                          {"file", file},
                                          {"written", 256},
                                          {"verified", 256},
                                          {"ok", true}}));
    EXPECT_EQ(m_sim.eeprom(), pattern());
    const QByteArray received = m_sim.received();
    EXPECT_EQ(received.count('h'), 256);
    EXPECT_TRUE(received.endsWith(readRequests())) << "every written cell read back";
}

TEST_F(Eeprom, RestoreTakesEveryLineEndHeadersAnywhereAndSpaces)
{
    startSimulator({"--eeprom-fill", "0"});
    const QByteArray lfOnly = dataFile(pattern(), "\n");
    ASSERT_EQ(run({"eeprom", "restore", writeFile("lf.txt", lfOnly)}).exitCode, 0);
    EXPECT_EQ(m_sim.eeprom(), pattern()) << "an LF-only file restores completely";

    startSimulator({"--eeprom-fill", "0"});
    const QByteArray crOnly = "\xEF\xBB\xBF"
                              "5 9\r  ADDRESS\tVALUE\r6 10\r\r5 9\r";
    const ToolResult mixed = run({"--json", "eeprom", "restore", writeFile("cr.txt", crOnly)});
    ASSERT_EQ(mixed.exitCode, 0) << mixed.err.toStdString();
    EXPECT_EQ(mixed.json().value("written"), 2) << "a cell named twice alike is written once";
    EXPECT_EQ(mixed.json().value("verified"), 2);
    EXPECT_EQ(m_sim.eeprom().at(5), 9);
    EXPECT_EQ(m_sim.eeprom().at(6), 10);
    EXPECT_TRUE(m_sim.received().startsWith("vh005009h006010i005"));
}

TEST_F(Eeprom, RestoreRefusesAFileThatGivesACellTwoValues)
{
    startSimulator({"--eeprom-fill", "0"});
    const ToolResult result =
        run({"eeprom", "restore",
             writeFile("twice.txt", "Address\tValue\r\n5\t9\r\n6\t1\r\n5\t11\r\n")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains("lines 2 and 4 both name cell 5, with the values 9 and 11"))
        << result.err.toStdString();
    EXPECT_FALSE(m_sim.received().contains('h')) << "nothing is written";
}

TEST_F(Eeprom, DiffListsTheCellsThatDiffer)
{
    startSimulator();
    const QString file = path("before.txt");
    ASSERT_EQ(run({"eeprom", "dump", file}).exitCode, 0);
    const ToolResult same = run({"eeprom", "diff", file});
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_EQ(same.out, "the module holds the 256 cells of " + file.toUtf8() + "\n");

    ASSERT_EQ(run({"eeprom", "write", "9", "16"}).exitCode, 0);
    ASSERT_EQ(run({"eeprom", "write", "200", "1"}).exitCode, 0);
    const ToolResult differ = run({"eeprom", "diff", file});
    EXPECT_EQ(differ.exitCode, 5);
    EXPECT_EQ(differ.out, "Address\tModule\tFile\n9\t16\t128\n200\t1\t3\n");
    const ToolResult json = run({"--json", "eeprom", "diff", file});
    EXPECT_EQ(json.exitCode, 5);
    EXPECT_EQ(json.json().value("differences"),
              (QJsonArray{QJsonObject{{"address", 9}, {"module", 16}, {"file", 128}},
                          QJsonObject{{"address", 200}, {"module", 1}, {"file", 3}}}));
}

// "-" and /dev/stdout carry the data file itself; a dump that fails, or that
// would share standard output with --json, puts nothing there.
TEST_F(Eeprom, StandardInputAndOutputCarryTheDataFile)
{
    startSimulator({}, pattern());
    const ToolResult json = run({"--json", "eeprom", "dump", "-"});
    EXPECT_EQ(json.exitCode, 2);
    EXPECT_EQ(json.json().value("ok"), false);
    expectNoTrafficSoFar();
    const QByteArray expected = dataFile(pattern());
    for (const QString& target : {QStringLiteral("-"), QStringLiteral("/dev/stdout")}) {
        const ToolResult dump = run({"eeprom", "dump", target});
        EXPECT_EQ(dump.exitCode, 0) << dump.err.toStdString();
        EXPECT_EQ(dump.out, expected) << target.toStdString();
    }

    startSimulator({"--eeprom-fill", "7"});
    m_tool.setStandardInput(expected);
    const ToolResult restore = run({"eeprom", "restore", "-"});
    EXPECT_EQ(restore.exitCode, 0) << restore.err.toStdString();
    EXPECT_EQ(restore.out, "256 cells written from standard input and verified\n");
    EXPECT_EQ(m_sim.eeprom(), pattern());
    m_tool.setStandardInput("3\t200\n");
    const ToolResult diff = run({"eeprom", "diff", "-"});
    EXPECT_EQ(diff.exitCode, 5);
    EXPECT_EQ(diff.out, "Address\tModule\tFile\n3\t" +
                            QByteArray::number(static_cast<quint8>(pattern().at(3))) + "\t200\n");
    m_tool.setStandardInput("3\t2x\n");
    const ToolResult bad = run({"eeprom", "restore", "-"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("standard input: line 1")) << bad.err.toStdString();
    m_tool.setStandardInput(QByteArray(2 * 1024 * 1024, '0'));
    const ToolResult endless = run({"eeprom", "restore", "-"});
    EXPECT_EQ(endless.exitCode, 4);
    EXPECT_TRUE(endless.err.contains("larger than")) << endless.err.toStdString();
}

TEST_F(Eeprom, AFailedDumpToStandardOutputPrintsNothing)
{
    // About one answer in twenty comes long after the tool gave up on it.
    startSimulator({"--slow", "0.05", "--slow-ms", "5000", "--seed", "1"});
    const ToolResult dump = run({"--timeout", "1000", "--retries", "0", "eeprom", "dump", "-"});
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_TRUE(dump.err.contains("no answer within")) << dump.err.toStdString();
    EXPECT_TRUE(dump.out.isEmpty()) << dump.out.toStdString();
}

} // namespace
