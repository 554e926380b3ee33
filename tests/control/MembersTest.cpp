// Every method and property driven end to end against a simulated module:
// results, events, the bytes on the wire and the cells the module keeps.
#include "ControlHost.h"
#include "Simulator.h"
#include "TK28950Dispids.h"

#include <QTest>
#include <gtest/gtest.h>

namespace id = tk28950::dispid;
namespace ev = tk28950::event;
using component::Variant;

namespace {

Variant s16(int value)
{
    return Variant(static_cast<std::int16_t>(value));
}

int cell(const QByteArray& eeprom, int address)
{
    return static_cast<quint8>(eeprom.at(address));
}

class Members : public ::testing::Test {
protected:
    void open(const QByteArray& cells, const QStringList& simArgs = {})
    {
        ASSERT_TRUE(sim.start(simArgs, cells)) << qPrintable(sim.error());
        ASSERT_EQ(host.open(sim, 1), "TK28950 Ready");
    }

    // What the module received since the last call, forgetting it.
    QByteArray wire()
    {
        const QByteArray bytes = sim.received();
        sim.clearTrace();
        return bytes;
    }

    // Runs an asynchronous method and returns the event it brought; the
    // method itself returns as soon as it has sent.
    QString answerOf(component::DispId method, const QVector<Variant>& args,
                     component::DispId event = ev::DataReady, const QString& result = "Ok")
    {
        host.events.clear();
        EXPECT_EQ(host.call(method, args).text(), result);
        EXPECT_TRUE(host.waitForEvents(event, 1));
        const QStringList texts = host.eventTexts(event);
        return texts.value(0);
    }

    Simulator sim;
    ControlHost host;
};

} // namespace

TEST_F(Members, EepromCommandsAndTheControlsOwnCells)
{
    open(eepromImage({{1, 16}, {2, 255}, {3, 7}, {4, 1}, {9, 0x80}, {187, 128}, {188, 3}}));

    EXPECT_EQ(answerOf(id::ReadEEPROM, {"9"}), "128");
    EXPECT_EQ(wire(), "i009");
    EXPECT_EQ(answerOf(id::WriteEEPROM, {"187", "40"}), "0");
    EXPECT_EQ(wire(), "h187040");
    EXPECT_EQ(cell(sim.eeprom(), 187), 40);

    EXPECT_EQ(host.get(id::GainX).text(), "40");
    EXPECT_EQ(host.get(id::GainY).text(), "3");
    EXPECT_EQ(host.get(id::AmpY).number(), 3);
    EXPECT_EQ(host.get(id::GlobalXOff).number(), -240);
    EXPECT_EQ(host.get(id::GlobalYOff).number(), 263);
    EXPECT_EQ(wire(), "i187i188i188i001i002i003i004");

    host.events.clear();
    EXPECT_EQ(host.put(id::GlobalXOff, s16(-2)).hr, component::kOk);
    EXPECT_EQ(wire(), "h001254h002255");
    EXPECT_TRUE(host.object()->isModified());
    host.object()->saveState();

    EXPECT_EQ(host.put(id::AmpX, s16(77)).hr, component::kOk);
    EXPECT_EQ(wire(), "h187077p");
    EXPECT_TRUE(host.object()->isModified());
    EXPECT_EQ(host.put(id::GainY, "90").hr, component::kOk);
    EXPECT_EQ(wire(), "h188090p");
    const QByteArray cells = sim.eeprom();
    EXPECT_EQ(cell(cells, 1), 254);
    EXPECT_EQ(cell(cells, 2), 255);
    EXPECT_EQ(cell(cells, 187), 77);
    EXPECT_EQ(cell(cells, 188), 90);
    QTest::qWait(50);
    EXPECT_TRUE(host.events.isEmpty()) << "the control's own writes raise no events";
}

TEST_F(Members, SixteenBitPropertiesKeptInTheModule)
{
    open(eepromImage({{189, 0xD2}, {190, 0x04}}));
    EXPECT_EQ(host.get(id::SN).number(), 1234);
    EXPECT_EQ(host.get(id::SerialNumber).number(), 1234);
    wire();

    struct Row {
        component::DispId dispid;
        int lowCell;
    };
    const Row rows[] = {{id::ScaleFactorX, 7},   {id::ThreWind1, 195},  {id::ThreWind2, 197},
                        {id::Threshold1, 191},   {id::Threshold2, 193}, {id::SerialNumber, 189},
                        {id::ScaleFactorY, 199}, {id::SN, 189}};
    int value = 300;
    for (const Row& row : rows) {
        EXPECT_EQ(host.put(row.dispid, s16(value)).hr, component::kOk) << row.dispid;
        const QByteArray cells = sim.eeprom();
        EXPECT_EQ(cell(cells, row.lowCell), value & 0xFF) << row.dispid;
        EXPECT_EQ(cell(cells, row.lowCell + 1), value >> 8) << row.dispid;
        EXPECT_EQ(host.get(row.dispid).number(), value) << row.dispid;
        value += 301;
    }
    EXPECT_EQ(host.get(id::SN).number(), value - 301);
    EXPECT_TRUE(wire().startsWith("h007044h008001i007i008"));
}

TEST_F(Members, ZoomSignalsAndTemperatureOffset)
{
    open(eepromImage({{201, 0x31}, {202, 12}, {203, 0}}), {"--signal3", "1"});

    EXPECT_EQ(host.get(id::ZoomX).number(), 2);
    EXPECT_EQ(host.get(id::ZoomY).number(), 8);
    EXPECT_EQ(host.put(id::ZoomX, s16(4)).hr, component::kOk);
    EXPECT_EQ(cell(sim.eeprom(), 201), 0x32);
    EXPECT_EQ(host.put(id::ZoomY, s16(1)).hr, component::kOk);
    EXPECT_EQ(cell(sim.eeprom(), 201), 0x02);
    wire();

    EXPECT_EQ(host.put(id::Signal1, s16(1)).hr, component::kOk);
    EXPECT_EQ(host.put(id::Signal2, s16(0)).hr, component::kOk);
    EXPECT_EQ(wire(), "su");
    EXPECT_EQ(host.get(id::Signal1).number(), 1);
    EXPECT_EQ(host.get(id::Signal2).number(), 0);
    EXPECT_EQ(host.get(id::Signal3).number(), 1);
    EXPECT_EQ(host.get(id::Signal4).number(), 0);
    EXPECT_EQ(wire(), "nnnn");
    host.object()->saveState();
    EXPECT_EQ(host.put(id::Signal3, s16(1)).hr, component::kOk);
    EXPECT_EQ(host.put(id::Signal4, s16(0)).hr, component::kOk);
    EXPECT_EQ(wire(), "");
    EXPECT_TRUE(host.object()->isModified());

    EXPECT_EQ(host.get(id::TemperatureOffset).text(), "1.2");
    EXPECT_EQ(host.put(id::TemperatureOffset, "1.29").hr, component::kOk);
    EXPECT_EQ(cell(sim.eeprom(), 202), 12);
    EXPECT_EQ(host.put(id::TemperatureOffset, "-0.75").hr, component::kOk);
    EXPECT_EQ(host.get(id::TemperatureOffset).text(), "-0.7");
    EXPECT_EQ(host.put(id::TemperatureOffset, " 2.37 degrees").hr, component::kOk);
    EXPECT_EQ(host.get(id::TemperatureOffset).text(), "2.3");
    wire();
    EXPECT_EQ(host.put(id::TemperatureOffset, "4000").hr, component::kOverflow);
    EXPECT_EQ(wire(), "");
}

TEST_F(Members, AsynchronousCommandsAnswerWithEvents)
{
    open(eepromImage({{9, 0x00}}), {"--temperature", "235"});

    EXPECT_EQ(answerOf(id::ReadTemperature, {"f"}), "74.30");
    EXPECT_EQ(answerOf(id::ReadTemperature, {"Fahrenheit"}), "23.50");
    EXPECT_EQ(answerOf(id::Correction, {true}), "On");
    EXPECT_EQ(answerOf(id::OutputAngle, {Variant(std::int16_t(2))}), "On");
    EXPECT_EQ(answerOf(id::EnableDAC, {true}), "On");
    EXPECT_EQ(answerOf(id::EnableDAC, {false}), "Off");
    EXPECT_EQ(wire(), "eegmbb");

    EXPECT_EQ(answerOf(id::ReadXChan, {Variant(std::uint8_t(0))}, ev::XReady), "+01.250");
    EXPECT_EQ(answerOf(id::ReadXChan, {Variant(std::uint8_t(255))}, ev::XReady), "+01.250");
    EXPECT_EQ(answerOf(id::ReadYChan, {Variant(std::uint8_t(7))}, ev::YReady), "-00.500");
    EXPECT_EQ(answerOf(id::Sleep, {false}, ev::XReady), "+01.250");
    EXPECT_EQ(wire(), "ccdc");
    EXPECT_EQ(answerOf(id::Sleep, {true}), "Awake");
    EXPECT_TRUE(answerOf(id::ResetModule, {}).contains("READY"));
    EXPECT_EQ(answerOf(id::ResetEEPROM, {}, ev::DataReady, ""), "EEPROM set to default Values");

    host.events.clear();
    EXPECT_EQ(host.call(id::Version).text(), "");
    ASSERT_TRUE(host.waitForEvents(ev::DataReady, 1));
    EXPECT_EQ(host.eventTexts(ev::DataReady), QStringList{"TK28950-V1.2.0.1"});
    EXPECT_EQ(answerOf(id::SendCMD, {"v"}), "TK28950-V1.2.0.1");
    EXPECT_EQ(wire(), "axlvv");
}

TEST_F(Members, ConfigurationAndTemperatureCorrection)
{
    open(eepromImage({{9, 0xF0}, {182, 0x01}}));

    EXPECT_EQ(host.call(id::StupAngleOn, {true}).text(), "");
    EXPECT_EQ(cell(sim.eeprom(), 9), 0xB0);
    EXPECT_EQ(host.call(id::EnResetEE, {true}).text(), "");
    EXPECT_EQ(cell(sim.eeprom(), 9), 0xA0);
    EXPECT_EQ(host.call(id::StupEnCorrection, {false}).text(), "");
    EXPECT_EQ(cell(sim.eeprom(), 9), 0xA0);
    EXPECT_EQ(wire(), "i009h009176i009h009160i009h009160");

    EXPECT_EQ(host.call(id::EnableTempCorr, {true}).text(), "Ok");
    EXPECT_EQ(cell(sim.eeprom(), 182), 0x03);

    EXPECT_EQ(host.call(id::TemperatureCoef, {"Y", "-0.25", "12", "0", "-1"}).text(), "Ok");
    EXPECT_EQ(sim.eeprom().mid(133, 8), QByteArray::fromHex("00fc0c000000ffff"));
    QTest::qWait(50);
    EXPECT_TRUE(host.events.isEmpty());
}

TEST_F(Members, ModuleNameAndRangeWorkWithoutTraffic)
{
    open({});
    EXPECT_EQ(host.put(id::ModuleName, "Left").hr, component::kOk);
    EXPECT_EQ(host.get(id::ModuleName).text(), "Left");
    EXPECT_TRUE(host.object()->isModified());
    EXPECT_EQ(host.call(id::RangeAvailable).text(), "170,180");
    EXPECT_EQ(wire(), "");
}

// A module that refuses every command, or a line that damages every
// answer: no property read gives a value, no switch or write reports
// success, and nothing is written from a read that gave no value.
class MemberFailures : public Members {
protected:
    void expectOnlyFailures(const QStringList& simArgs, const char* why)
    {
        const auto fails = [why](const Call& call) {
            EXPECT_EQ(call.hr, component::kException);
            EXPECT_TRUE(call.error.contains(why)) << qPrintable(call.error);
        };
        const QByteArray cells = eepromImage({{9, 0x80}, {187, 40}, {189, 0xD2}, {190, 0x04}});
        open(cells, simArgs);
        for (auto property : {id::SN, id::Threshold1, id::ZoomY, id::GainX, id::AmpX,
                              id::GlobalXOff, id::TemperatureOffset})
            fails(host.get(property));
        for (auto method : {id::StupAngleOn, id::EnResetEE, id::StupEnCorrection})
            fails(host.call(method, {true}));
        fails(host.put(id::ZoomX, s16(8)));
        EXPECT_EQ(sim.eeprom(), cells);
    }
};

TEST_F(MemberFailures, ModuleRefusingEveryCommand)
{
    expectOnlyFailures({"--error-repeat", "1000"}, "given up");
}

TEST_F(MemberFailures, LineDamagingEveryAnswer)
{
    expectOnlyFailures({"--noise", "1"}, "damaged");
}

TEST_F(Members, WriteTheControlRefusesIsAFailure)
{
    open(eepromImage({{187, 40}}));
    for (const char* gain : {"300", "-5", "abc", ""}) {
        const Call call = host.put(id::GainX, QString::fromLatin1(gain));
        EXPECT_EQ(call.hr, component::kException) << gain;
        EXPECT_FALSE(call.error.isEmpty()) << gain;
    }
    EXPECT_EQ(cell(sim.eeprom(), 187), 40);
    EXPECT_EQ(host.put(id::GainX, QStringLiteral("41")).hr, component::kOk);
    EXPECT_EQ(cell(sim.eeprom(), 187), 41);
    EXPECT_EQ(host.get(id::GainX).text(), "41");
}
