// Every operation of the command set end to end against the module
// simulator, with the exact bytes it puts on the wire and the cells it
// leaves behind.
#include "SimulatorFixture.h"
#include "module/CellMap.h"
#include "resources/MessageTable.h"
#include "resources/TK28950Members.h"

#include <limits>

namespace {

const QString kOk = QStringLiteral("Ok");

} // namespace

TEST_F(OnSimulator, AsynchronousCommandsSendTheirTextAndAnswersBecomeEvents)
{
    Start({"--temperature", "235"});
    m().ReadEEPROM("9");
    m().ReadEEPROM("");
    m().WriteEEPROM("187", "40");
    m().ReadTemperature("F");
    m().ReadXChan(0);
    m().Correction(true);
    EXPECT_TRUE(WaitUntil([&] { return owner.events.size() == 6; }));
    m().ResetModule();
    EXPECT_TRUE(WaitUntil([&] { return owner.events.size() == 7; }));
    EXPECT_EQ(owner.events.at(0), (HostEvent{"DataReady", "128"}));
    EXPECT_EQ(owner.events.at(2), (HostEvent{"DataReady", "0"}));
    EXPECT_EQ(owner.events.at(3), (HostEvent{"DataReady", "74.30"}));
    EXPECT_EQ(owner.events.at(4).name, QStringLiteral("XReady"));
    EXPECT_EQ(owner.events.at(5), (HostEvent{"DataReady", "On"}));
    EXPECT_EQ(owner.events.at(6).name, QStringLiteral("DataReady")); // the gathered reset answer
    EXPECT_FALSE(owner.events.at(6).text.contains(u' '));
    EXPECT_EQ(WireUpToNow(), QByteArray("i009i000h187040ecgx"));
    EXPECT_EQ(Cell(187), 40);
}

TEST_F(OnSimulator, TogglesRepeatUntilTheModuleIsInTheRequestedState)
{
    Start();
    m().Correction(true);
    m().Correction(true); // already on: toggled off, then on again
    m().OutputAngle(false);
    EXPECT_TRUE(WaitUntil([&] { return owner.events.size() == 3; }));
    EXPECT_EQ(owner.events,
              (QList<HostEvent>{{"DataReady", "On"}, {"DataReady", "On"}, {"DataReady", "Off"}}));
    EXPECT_EQ(WireUpToNow(), QByteArray("ggmgm")); // resends queue behind later commands
}

TEST_F(OnSimulator, ConfigurationCellUpdatesChangeOnlyTheirBit)
{
    Start();
    ASSERT_EQ(Cell(9), 0x80);
    EXPECT_EQ(m().EnResetEE(false), LoadMessage(Msg::Disable));
    EXPECT_EQ(Cell(9), 0x90);
    EXPECT_EQ(m().StupEnCorrection(false), LoadMessage(Msg::Disable));
    EXPECT_EQ(m().StupAngleOn(false), LoadMessage(Msg::Disable));
    EXPECT_EQ(Cell(9), 0xF0);
    sim.clearTrace();
    EXPECT_EQ(m().StupAngleOn(true), LoadMessage(Msg::Enable));
    EXPECT_EQ(WireUpToNow(), QByteArray("i009h009176"));
    EXPECT_EQ(m().EnResetEE(true), LoadMessage(Msg::Enable));
    EXPECT_EQ(m().StupEnCorrection(true), LoadMessage(Msg::Enable));
    EXPECT_EQ(Cell(9), 0x80);
    EXPECT_TRUE(owner.EventsEnabled());
    EXPECT_TRUE(owner.events.isEmpty());
}

TEST_F(OnSimulator, SixteenBitSettingsWriteLowByteFirstAndReadBackSigned)
{
    Start();
    // Every property the member table keeps as 16 bits in two cells.
    int settings = 0;
    for (const tk28950::MemberFacts& row : tk28950::members::kTable) {
        const int lowCell = row.cells.at;
        if (row.cells.shape != tk28950::CellShape::Word &&
            row.cells.shape != tk28950::CellShape::Tenths)
            continue;
        ++settings;
        for (int value : {300, -2, 32767, -32768}) {
            EXPECT_EQ(m().Cells().Write16Request(lowCell, value), kOk);
            EXPECT_EQ(Cell(lowCell), value & 0xFF) << row.name << " " << value;
            EXPECT_EQ(Cell(lowCell + 1), (value >> 8) & 0xFF) << row.name << " " << value;
            EXPECT_EQ(m().Cells().Read16Request(lowCell), value) << row.name;
        }
    }
    EXPECT_GE(settings, 8);
    sim.clearTrace();
    m().Cells().Write16Request(CellMap::kThreshold1, 300);
    EXPECT_EQ(m().Cells().Read16Request(CellMap::kThreshold1), 300);
    EXPECT_EQ(WireUpToNow(), QByteArray("h191044h192001i191i192"));
    EXPECT_TRUE(owner.events.isEmpty());
}

TEST_F(OnSimulator, ZoomAndTemperatureCorrectionKeepTheOtherBitsOfTheirCell)
{
    Start({}, Cells({{201, 0x31}, {182, 0xF0}}));
    EXPECT_EQ(m().Cells().WriteZoom(CellMap::kZoomShiftX, 4), kOk);
    EXPECT_EQ(Cell(201), 0x32);
    EXPECT_EQ(m().Cells().ZoomCellCopy(), 0x32);
    EXPECT_EQ(m().Cells().WriteZoom(CellMap::kZoomShiftX, 3), kOk); // not a zoom factor: 1
    EXPECT_EQ(Cell(201), 0x30);
    EXPECT_EQ(m().Cells().WriteZoom(CellMap::kZoomShiftY, 4), kOk);
    EXPECT_EQ(m().Cells().WriteZoom(CellMap::kZoomShiftX, 2), kOk);
    EXPECT_EQ(Cell(201), 0x21);
    EXPECT_EQ(m().Cells().ReadZoom(CellMap::kZoomShiftY), 4);
    EXPECT_EQ(m().Cells().ReadZoom(CellMap::kZoomShiftX), 2);
    EXPECT_EQ(m().Cells().WriteZoom(CellMap::kZoomShiftY, 8), kOk);
    EXPECT_EQ(m().Cells().ReadZoom(CellMap::kZoomShiftY), 8);

    EXPECT_EQ(m().EnableTempCorr(true), kOk);
    EXPECT_EQ(Cell(182), 0xF2);
    EXPECT_EQ(m().EnableTempCorr(false), kOk);
    EXPECT_EQ(Cell(182), 0xF0);
}

TEST_F(OnSimulator, TemperatureCoefficientsAreScaledAndStoredPerAxis)
{
    Start();
    EXPECT_EQ(m().TemperatureCoef("Y", "-0.25", "12", "0", "-1"), kOk);
    QByteArray cells;
    for (int cell = 133; cell <= 140; ++cell)
        cells += char(Cell(cell));
    EXPECT_EQ(cells, QByteArray("\x00\xFC\x0C\x00\x00\x00\xFF\xFF", 8));
    EXPECT_EQ(WireUpToNow(),
              QByteArray("h133000h134252h135012h136000h137000h138000h139255h140255"));

    EXPECT_EQ(m().TemperatureCoef("x", "0.5", "-12.9", "1e-3", "7abc"), kOk);
    EXPECT_EQ(Cell(125), 0);
    EXPECT_EQ(Cell(126), 8);    // 0.5 * 4096 = 0x0800
    EXPECT_EQ(Cell(127), 0xF4); // -12.9 truncates to -12
    EXPECT_EQ(Cell(129), 4);    // 0.001 * 4096 = 4.096
    EXPECT_EQ(Cell(131), 7);
}

TEST_F(OnSimulator, GainWritesRunAPotSetupAndSignalsAreSetAndRead)
{
    Start({"--signal3", "1"});
    EXPECT_EQ(m().SetGain(CellMap::kGainX, "40"), kOk);
    EXPECT_EQ(m().SetGain(CellMap::kGainY, "200"), kOk);
    EXPECT_EQ(m().PotSetup(), kOk);
    EXPECT_EQ(Cell(187), 40);
    EXPECT_EQ(Cell(188), 200);
    EXPECT_EQ(m().SetSignal1(true), kOk);
    EXPECT_EQ(m().SetSignal2(true), kOk);
    EXPECT_EQ(m().SetSignal2(false), kOk);
    EXPECT_EQ(m().ReadSignals(), kOk);
    EXPECT_EQ(WireUpToNow(), QByteArray("h187040ph188200ppstun"));
    EXPECT_TRUE(m().Signal(1));
    EXPECT_FALSE(m().Signal(2));
    EXPECT_TRUE(m().Signal(3));
    EXPECT_FALSE(m().Signal(4));
    EXPECT_TRUE(owner.events.isEmpty());
}

TEST_F(OnSimulator, ValuesTheWireCannotCarryAreRefusedWithoutTraffic)
{
    Start();
    const QStringList refused = {
        m().WriteEEPROM("300", "1"),
        m().WriteEEPROM("9", "256"),
        m().WriteEEPROM("9", "-1"),
        m().WriteEEPROM("", "5"),
        m().WriteEEPROM("abc", "5"),
        m().WriteEEPROM("9", ""),
        m().WriteEEPROM("9", "1.5"),
        m().WriteEEPROM("9", "12abc"),
        m().ReadEEPROM("-1"),
        m().ReadEEPROM("1000"),
        m().Cells().Write16Request(CellMap::kThreshold1, 40000),
        m().Cells().Write16Request(CellMap::kSerialNumber, -32769),
        m().TemperatureCoef("x", "9", "0", "0", "0"),
        m().TemperatureCoef("y", "0", "40000", "0", "0"),
        m().TemperatureCoef("y", "0", "0", "nan", "0"),
        m().SetGain(CellMap::kGainX, "256"),
        m().SetGain(CellMap::kGainY, ""),
    };
    for (const QString& text : refused)
        EXPECT_NE(text, kOk);
    EXPECT_EQ(refused.at(0), QStringLiteral("Invalid EEPROM address: 300 (0 to 255)"));
    EXPECT_EQ(refused.at(4),
              QStringLiteral("Invalid EEPROM address: \"abc\" (a number from 0 to 255)"));
    EXPECT_EQ(refused.at(10), QStringLiteral("Invalid 16-bit value: 40000 (-32768 to 32767)"));
    EXPECT_TRUE(refused.at(12).contains(QStringLiteral("MTenSlope")));
    EXPECT_EQ(WireUpToNow(), QByteArray());

    // Reads keep an address without a number as cell 0.
    EXPECT_EQ(m().ReadEEPROM("abc"), kOk);
    EXPECT_EQ(m().ReadEEPROM(" 7x"), kOk);
    EXPECT_EQ(WireUpToNow(), QByteArray("i000i007"));
}

// Entries are looked up by number at every use; a number the table does not
// hold, below, between or above its two ranges, has no text.
TEST(MessageTable, NumbersOutsideTheTableHaveNoText)
{
    EXPECT_EQ(LoadMessage(Msg::Ok), QStringLiteral("Ok"));
    EXPECT_EQ(LoadMessage(Msg::TimeOut), QStringLiteral("TK28950 Time out"));
    EXPECT_EQ(LoadMessage(Msg::CmdEepromWrite), QStringLiteral("h"));
    for (int number :
         {std::numeric_limits<int>::min(), -1, 0, 37, 199, 207, std::numeric_limits<int>::max()})
        EXPECT_TRUE(LoadMessage(number).isEmpty()) << number;
}
