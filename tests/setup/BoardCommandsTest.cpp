// "Init" and the command buttons of the "Board Setup", "Output" and
// "Temperature" tabs, driven by clicks against a simulated module.
#include "SetupWindow.h"
#include "Simulator.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kNotANumber = QStringLiteral("\" is not a number from -32768 to 32767");

// A window whose TK28950A is initialised on a simulator at port 1.
class InitialisedWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(startSimulator(module, 1));
        window = std::make_unique<SetupWindow>();
        window->click("CmdInitialize");
        ASSERT_EQ(window->boxTexts(), QStringList{"TK28950 Ready"});
        window->boxes.clear();
    }

    // Clicks and waits until the simulator has received what the click sends.
    QByteArray wireOf(const QString& button, int bytes)
    {
        module.clearTrace();
        window->click(button);
        EXPECT_TRUE(module.waitForReceived(bytes)) << button.toStdString();
        return module.received();
    }

    bool waitForCell(int address, int value)
    {
        return eventually([&] { return cell(module.eeprom(), address) == value; });
    }

    Simulator module;
    std::unique_ptr<SetupWindow> window;
};

} // namespace

TEST(BoardCommandsBeforeInit, ControlAnswersFromItsUninitialisedState)
{
    SetupWindow window;
    window.click("SetGlobalOff");
    EXPECT_EQ(window.text("GlobalXoff"), "999");
    EXPECT_EQ(window.text("GlobalYoff"), "999");
    EXPECT_TRUE(window.boxes.isEmpty());

    // "----" comes back for both gains and cannot be set as a number: the
    // operator is told, and the handler goes no further.
    window.click("cmdSetGain");
    EXPECT_EQ(window.text("txtGainX"), "----");
    EXPECT_EQ(window.text("txtGainY"), "----");
    EXPECT_EQ(window.boxTexts(), QStringList{"Gain on X-Axis: \"----" + kNotANumber});
}

TEST(BoardCommandsBeforeInit, BoxesThatHoldNoNumberStopTheHandler)
{
    SetupWindow window;
    window.type("txtSN", "abc");
    window.click("cmdSN");
    window.type("txtSFX", "40000");
    window.click("cmdSF");
    window.click("cmdZoomX");
    EXPECT_EQ(window.boxTexts(), (QStringList{"Serial Number: \"abc" + kNotANumber,
                                              "Scale Factor on X-Axis: \"40000" + kNotANumber,
                                              "Zoom: \"Zoom Selection" + kNotANumber}));
    EXPECT_EQ(window.text("txtSN"), "abc");
    EXPECT_EQ(window.boxes.first().title, "PrjTK28950");
}

TEST(BoardCommandsBeforeInit, ACoefficientLoadThatCannotRunIsShown)
{
    SetupWindow window;
    window.click("LoadCoefX");
    EXPECT_EQ(window.boxTexts(), QStringList{"TK28950 not initialized"});
}

TEST(BoardCommandsBeforeInit, PortAndPathMustBeGiven)
{
    SetupWindow window;
    window.find<QComboBox>("CmbPortNum")->setCurrentIndex(-1);
    window.click("CmdInitialize");
    window.type("TxtFilePath", "");
    window.click("LoadCoefX");
    window.click("cmdLoadYCoef");
    EXPECT_EQ(window.boxTexts(),
              (QStringList{"Please select port number first, then try again.",
                           "Please enter file first.", "Please enter file path first."}));
    // Nothing was initialised: the fields keep their first contents.
    EXPECT_EQ(window.text("txtSN"), "0");
}

TEST(BoardCommandsBeforeInit, PortThatCannotBeOpenedThenAGoodOne)
{
    qputenv("TK28950_PORT_9", "/nonexistent/tk28950-tty");
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 15));
    SetupWindow window;
    window.selectPort(9);
    window.click("CmdInitialize");
    // Raised while the port is opened, then the returned text; the reason
    // the port could not be opened is told once, under the first.
    EXPECT_EQ(window.boxTexts(), (QStringList{"Port already open", "Port already open"}));
    EXPECT_EQ(window.boxes[0].informative,
              "Port 9 could not be opened: /nonexistent/tk28950-tty: no such device");
    EXPECT_EQ(window.boxes[1].informative, "");
    EXPECT_EQ(window.text("txtSN"), "0");

    window.boxes.clear();
    window.selectPort(15);
    window.click("CmdInitialize");
    EXPECT_EQ(window.boxTexts(), QStringList{"TK28950 Ready"});
    EXPECT_EQ(window.text("txtSN"), QString::number(cell16(module.eeprom(), 189)));
    qunsetenv("TK28950_PORT_9");
}

TEST_F(InitialisedWindow, InitFillsTheFieldsFromTheModuleAndAgainOnASecondPress)
{
    const QByteArray cells = module.eeprom();
    EXPECT_EQ(window->text("txtSN"), QString::number(cell16(cells, 189)));
    EXPECT_EQ(window->text("txtSFX"), QString::number(cell16(cells, 7)));
    EXPECT_EQ(window->text("txtSFY"), QString::number(cell16(cells, 199)));
    EXPECT_EQ(window->text("txtTempOff"), QString::asprintf("%3.1f", cell16(cells, 202) * 0.1f));

    window->type("txtSN", "77");
    window->click("CmdInitialize");
    EXPECT_EQ(window->boxTexts(), QStringList{"OCX already initialized"});
    EXPECT_EQ(window->text("txtSN"), QString::number(cell16(cells, 189)));
}

TEST_F(InitialisedWindow, SettingsOfTheOutputTabLandInTheirCells)
{
    window->type("txtSN", "-5");
    window->click("cmdSN");
    EXPECT_EQ(window->boxTexts(), QStringList{"Serial number -5 being set."});
    EXPECT_EQ(cell16(module.eeprom(), 189), -5);
    EXPECT_EQ(window->text("txtSN"), "-5");

    window->type("txtSFX", "-300");
    window->type("txtSFY", "1200.5"); // rounds half to even
    window->click("cmdSF");
    EXPECT_EQ(cell16(module.eeprom(), 7), -300);
    EXPECT_EQ(cell16(module.eeprom(), 199), 1200);
    EXPECT_EQ(window->text("txtSFY"), "1200");

    window->type("GlobalXoff", "-2");
    window->type("GlobalYoff", "300");
    window->click("SetGlobalOff");
    EXPECT_EQ(cell(module.eeprom(), 1), 254);
    EXPECT_EQ(cell(module.eeprom(), 2), 255);
    EXPECT_EQ(cell16(module.eeprom(), 3), 300);
    EXPECT_EQ(window->text("GlobalXoff"), "-2");
    EXPECT_EQ(window->text("GlobalYoff"), "300");

    window->type("txtGainX", "100");
    window->type("txtGainY", "90");
    window->click("cmdSetGain");
    EXPECT_EQ(cell(module.eeprom(), 187), 100);
    EXPECT_EQ(cell(module.eeprom(), 188), 90);
    EXPECT_EQ(window->text("txtGainX"), "100");
    EXPECT_EQ(window->text("txtGainY"), "90");

    // One zoom choice serves both axes: X code in bits 0-1, Y code in bits 4-5.
    const int zoom = cell(module.eeprom(), 201);
    window->find<QComboBox>("cmbZoom")->setCurrentIndex(3); // "8"
    window->click("cmdZoomX");
    EXPECT_EQ(cell(module.eeprom(), 201), (zoom & 0xFC) | 3);
    window->click("cmdZoomY");
    EXPECT_EQ(cell(module.eeprom(), 201), (zoom & 0xCC) | 0x33);
}

TEST_F(InitialisedWindow, PowerUpOptionsAndResetProtectionAreBitsOfCell9)
{
    const int start = cell(module.eeprom(), 9);
    const struct {
        const char* button;
        int bit;
        bool set;
    } steps[] = {
        {"StrupDiCorrection", 0x20, true}, {"StrupEnCorrection", 0x20, false},
        {"StrupDiAngle", 0x40, true},      {"StrupEnAngle", 0x40, false},
        {"DisEEPROM", 0x10, true},         {"EnEEPROM", 0x10, false},
    };
    for (const auto& step : steps) {
        window->click(step.button);
        const int expected = step.set ? (start | step.bit) : (start & ~step.bit);
        EXPECT_EQ(cell(module.eeprom(), 9), expected) << step.button;
    }
    EXPECT_TRUE(window->boxes.isEmpty());
}

TEST_F(InitialisedWindow, SingleCellsAreWrittenAndReadThroughTheEvents)
{
    window->type("WriteAdd", "20");
    window->type("Writevalue", "77");
    EXPECT_EQ(wireOf("WriteMem", 7), "h020077");
    EXPECT_TRUE(waitForCell(20, 77));
    ASSERT_TRUE(window->waitForBoxes(1));
    EXPECT_EQ(window->boxTexts(), QStringList{"0"});

    window->boxes.clear();
    window->type("ReadAdd", "20");
    EXPECT_EQ(wireOf("ReadMem", 4), "i020");
    ASSERT_TRUE(window->waitForBoxes(1));
    EXPECT_EQ(window->boxTexts(), QStringList{"77"});
}

TEST_F(InitialisedWindow, CommandButtonsSendTheirCommandsAndShowTheAnswers)
{
    const struct {
        const char* button;
        const char* wire;
        const char* answer; // the box that the answer shows
    } commands[] = {
        {"Sleepon", "a", "Awake"},
        {"AngleOut", "m", "On"},
        {"BinOut", "m", "Off"},
        {"CorrectionOn", "g", "On"},
        {"CorrectionOff", "g", "Off"},
        {"Temperature", "e", "23.50"},
        {"Version", "v", "TK28950-V1.2.0.1"},
        {"ResetEE", "l", "EEPROM set to default Values"},
    };
    for (const auto& command : commands) {
        EXPECT_EQ(wireOf(command.button, 1), command.wire) << command.button;
        ASSERT_TRUE(window->waitForBoxes(1)) << command.button;
        EXPECT_EQ(window->boxTexts(), QStringList{command.answer}) << command.button;
        window->boxes.clear();
    }
    EXPECT_EQ(wireOf("Reset", 1), "x");
    ASSERT_TRUE(window->waitForBoxes(1));
    // The module's multi-line reset answer, as the control gathers it.
    EXPECT_TRUE(window->boxes.first().text.contains("READY"))
        << window->boxes.first().text.toStdString();
}

TEST_F(InitialisedWindow, ReadingsGoIntoTheirBoxes)
{
    window->type("X", "typed");
    EXPECT_EQ(wireOf("ReadX", 1), "c");
    EXPECT_TRUE(eventually([&] { return window->text("X") != "typed"; }));
    EXPECT_TRUE(window->text("X").startsWith("+01.2")) << window->text("X").toStdString();
    EXPECT_EQ(wireOf("ReadY", 1), "d");
    EXPECT_TRUE(eventually([&] { return window->text("Y") != "Y"; }));
    EXPECT_TRUE(window->text("Y").startsWith("-00.5")) << window->text("Y").toStdString();
    // Waking the module up sends the X channel request; its reading follows.
    EXPECT_EQ(wireOf("sleepoff", 1), "c");
    EXPECT_TRUE(window->boxes.isEmpty());
}

TEST_F(InitialisedWindow, TemperatureSettings)
{
    window->type("txtTempOff", "2.37");
    window->click("cmdTempOff");
    EXPECT_EQ(cell16(module.eeprom(), 202), 23);
    EXPECT_EQ(window->text("txtTempOff"), "2.3");

    window->click("cmdDisTempCorr");
    EXPECT_EQ(cell(module.eeprom(), 182) & 0x02, 0);
    window->click("cmdEnbTemp");
    EXPECT_EQ(cell(module.eeprom(), 182) & 0x02, 0x02);

    // Slopes are stored times 4096: the defaults 1, 0, 1, 0 for the X axis.
    window->click("cmdUpdateTempCOrr");
    const QByteArray cells = module.eeprom();
    EXPECT_EQ(cell16(cells, 125), 4096);
    EXPECT_EQ(cell16(cells, 127), 0);
    EXPECT_EQ(cell16(cells, 129), 4096);
    EXPECT_EQ(cell16(cells, 131), 0);
}

TEST_F(InitialisedWindow, CoefficientFileLoadsIntoTheChosenAxis)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("coef x.coef");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 56; ++i)
        file.write(QByteArray::number(200 - i) + (i % 8 == 7 ? "\r\n" : " "));
    file.close();

    window->type("TxtFilePath", path);
    window->click("LoadCoefX");
    ASSERT_TRUE(window->waitForBoxes(1));
    EXPECT_EQ(window->boxTexts(), QStringList{"Ok"});
    const QByteArray cells = module.eeprom();
    EXPECT_EQ(cell(cells, 13), 200);
    EXPECT_EQ(cell(cells, 40), 200 - 27);
    EXPECT_EQ(cell(cells, 69), 200 - 28);
    EXPECT_EQ(cell(cells, 96), 200 - 55);
}

// What the control refuses or fails to do is shown; nothing is sent for it.
TEST_F(InitialisedWindow, RefusalsAndFailedLoadsAreShown)
{
    module.clearTrace();
    const struct {
        const char* address;
        const char* value;
        const char* shown; // how the box begins
    } writes[] = {
        {"5", "300", "Invalid EEPROM value: 300"},
        {"5", "-1", "Invalid EEPROM value: "},
        {"256", "1", "Invalid EEPROM address: 256"},
    };
    for (const auto& write : writes) {
        window->type("WriteAdd", write.address);
        window->type("Writevalue", write.value);
        window->click("WriteMem");
        ASSERT_EQ(window->boxes.size(), 1) << write.value;
        EXPECT_TRUE(window->boxes.first().text.startsWith(write.shown))
            << window->boxes.first().text.toStdString();
        window->boxes.clear();
    }
    window->type("txtSlopeC", "9"); // 9 times 4096 does not fit
    window->click("cmdUpdateTempCOrr");
    ASSERT_EQ(window->boxes.size(), 1);
    EXPECT_TRUE(window->boxes.first().text.startsWith("Invalid temperature coefficient"));
    window->boxes.clear();
    EXPECT_TRUE(module.received().isEmpty());

    QTemporaryDir dir;
    window->type("TxtFilePath", dir.filePath("missing.coef"));
    window->click("LoadCoefX");
    EXPECT_EQ(window->boxTexts(), QStringList{"File not found"});
    window->boxes.clear();

    const QString broken = dir.filePath("broken.coef");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1 2 abc 4\r\n");
    file.close();
    window->type("TxtFilePath", broken);
    window->click("cmdLoadYCoef");
    // One box, with what went wrong and where.
    ASSERT_EQ(window->boxes.size(), 1);
    EXPECT_EQ(window->boxes[0].text, "Error reading coef file");
    EXPECT_EQ(window->boxes[0].informative,
              broken + ": value 3 \"abc\" is not a number from 0 to 255. Nothing was written "
                       "into the module.");
    EXPECT_TRUE(module.received().isEmpty());
}

// A module that answers every read with "E": the control gives up, and the
// window shows the failure, never a value the module did not give.
TEST(BoardCommandsOnARefusingModule, AFailedPropertyIsShownNotAValue)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1, {"--error-repeat", "1000"}));
    SetupWindow window;
    window.click("CmdInitialize");
    window.boxes.clear();
    window.type("txtSFX", "7");
    window.click("cmdSF");
    const QStringList boxes = window.boxTexts();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith("Scale Factor on X-Axis: ")) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].contains("given up")) << boxes[0].toStdString();
    EXPECT_EQ(window.text("txtSFX"), "7");
    EXPECT_FALSE(module.received().contains("i199")) << "the run stopped at the failure";
}
