#include "FormTables.h"

namespace form {

namespace {

constexpr FontSpec kCaption1125{nullptr, 11.25};
constexpr FontSpec kCaption12{nullptr, 12};
constexpr FontSpec kLabel12{nullptr, 12};
constexpr FontSpec kArial12{"Arial", 12};
constexpr FontSpec kSans12{"Sans Serif", 12};

TabSpec boardSetup()
{
    return {
        "Board Setup",
        "FrameBoard",
        {8, 48, 713, 521},
        {
            // clang-format off
                {"FrameSetup", Kind::Frame, "", {8, 16, 233, 137}, nullptr, "Port and initialisation"},
                {"Label7", Kind::Label, "Port Number", {16, 28, 97, 17}, "FrameSetup"},
                {"CmbPortNum", Kind::Combo, "", {120, 24, 73, 25}, "FrameSetup", "Port Number", {}, Ink::DarkBlue},
                {"CmdInitialize", Kind::Button, "Init", {8, 56, 209, 33}, "FrameSetup"},
                {"Reset", Kind::Button, "Reset", {8, 96, 209, 33}, "FrameSetup"},
                {"Version", Kind::Button, "Version", {16, 160, 209, 33}},
                {"Frame12", Kind::Frame, "Serial Number", {8, 200, 233, 89}, nullptr, nullptr, kCaption1125},
                {"Label4", Kind::Label, "Serial Number", {8, 20, 105, 17}, "Frame12"},
                {"txtSN", Kind::TextBox, "0", {120, 16, 89, 25}, "Frame12", "Serial Number"},
                {"cmdSN", Kind::Button, "Set Serial Number", {32, 48, 169, 33}, "Frame12"},
                {"Frame15", Kind::Frame, "", {8, 288, 233, 97}, nullptr, "Sleep"},
                {"Sleepon", Kind::Button, "sleepon", {40, 16, 153, 33}, "Frame15"},
                {"sleepoff", Kind::Button, "sleepoff", {40, 56, 153, 33}, "Frame15"},
                {"Frame5", Kind::Frame, "EEPROM Setup ", {248, 16, 449, 369}, nullptr, nullptr, kCaption12},
                {"DisEEPROM", Kind::Button, "Disable EEPROM Reset", {16, 24, 225, 33}, "Frame5"},
                {"EnEEPROM", Kind::Button, "Enable EEPROM Reset", {16, 64, 225, 33}, "Frame5"},
                {"ResetEE", Kind::Button, "Reset EEPROM", {16, 104, 153, 33}, "Frame5"},
                {"Frame25", Kind::Frame, "", {8, 160, 425, 89}, "Frame5", "Read one cell"},
                {"ReadMem", Kind::Button, "Read EEPROM", {24, 32, 129, 31}, "Frame25"},
                {"Label3", Kind::Label, "address", {232, 42, 57, 17}, "Frame25"},
                {"ReadAdd", Kind::TextBox, "0", {296, 40, 113, 21}, "Frame25", "Read address"},
                {"Frame26", Kind::Frame, "", {8, 264, 425, 89}, "Frame5", "Write one cell"},
                {"Label6", Kind::Label, "address", {8, 26, 57, 17}, "Frame26"},
                {"WriteAdd", Kind::TextBox, "0", {72, 24, 145, 21}, "Frame26", "Write address"},
                {"Label2", Kind::Label, "Value", {8, 58, 57, 17}, "Frame26"},
                {"Writevalue", Kind::TextBox, "0", {72, 56, 145, 21}, "Frame26", "Value"},
                {"WriteMem", Kind::Button, "Write to EEPROM", {248, 32, 161, 33}, "Frame26"},
                {"Frame6", Kind::Frame, "", {8, 384, 689, 129}, nullptr, "Power-up options"},
                {"Frame13", Kind::Frame, "", {8, 13, 321, 113}, "Frame6", "Correction at power-up"},
                {"StrupEnCorrection", Kind::Button, "Enable correction at powerup", {16, 16, 265, 41}, "Frame13"},
                {"StrupDiCorrection", Kind::Button, "Disable correction at powerup", {16, 64, 265, 41}, "Frame13"},
                {"Frame14", Kind::Frame, "", {368, 13, 313, 113}, "Frame6", "Angle at power-up"},
                {"StrupEnAngle", Kind::Button, "Enable Angle at powerup", {32, 16, 249, 41}, "Frame14"},
                {"StrupDiAngle", Kind::Button, "Disable Angle at powerup", {32, 64, 249, 41}, "Frame14"},
            // clang-format on
        }};
}

TabSpec temperature()
{
    return {
        "Temperature",
        "FrameTemp",
        {8, 64, 713, 481},
        {
            // clang-format off
                {"LblDesc_0", Kind::Label, "On Axis", {16, 28, 81, 17}},
                {"txtAxis", Kind::TextBox, "X", {104, 24, 41, 25}, nullptr, "On Axis", kSans12, Ink::DarkerBlue},
                {"Temperature", Kind::Button, "Temperature", {488, 64, 185, 49}},
                {"Frame1", Kind::Frame, "Offset Setup", {8, 56, 441, 73}, nullptr, nullptr, kCaption12},
                {"LblDesc_1", Kind::Label, "Temperature Offset", {8, 28, 137, 17}, "Frame1"},
                {"txtTempOff", Kind::TextBox, "0", {152, 24, 81, 25}, "Frame1", "Temperature Offset", kArial12, Ink::DarkerBlue},
                {"cmdTempOff", Kind::Button, "Set Temp Offset", {256, 24, 161, 33}, "Frame1"},
                {"Frame2", Kind::Frame, "Correction Setup", {8, 144, 689, 201}, nullptr, nullptr, kCaption12},
                {"LblDesc_2", Kind::Label, "Slope for Cold Temperature", {16, 32, 201, 17}, "Frame2"},
                {"txtSlopeC", Kind::TextBox, "1", {224, 27, 81, 27}, "Frame2", "Slope for Cold Temperature"},
                {"LblDesc_3", Kind::Label, "Offset for Cold Temperature", {16, 69, 201, 17}, "Frame2"},
                {"txtOffC", Kind::TextBox, "0", {224, 64, 81, 27}, "Frame2", "Offset for Cold Temperature"},
                {"LblDesc_4", Kind::Label, "Slope for Hot Temperature", {16, 125, 201, 17}, "Frame2"},
                {"txtSlopeH", Kind::TextBox, "1", {224, 120, 81, 27}, "Frame2", "Slope for Hot Temperature"},
                {"LblDesc_5", Kind::Label, "Offset for Hot Temperature", {16, 165, 201, 17}, "Frame2"},
                {"txtOffH", Kind::TextBox, "0", {224, 160, 81, 27}, "Frame2", "Offset for Hot Temperature"},
                {"Label10", Kind::Label, "", {16, 88, 33, 25}, "Frame2", "Blank"},
                {"cmdUpdateTempCOrr", Kind::Button, "Update Temp Correction", {392, 72, 225, 57}, "Frame2"},
            // clang-format on
        }};
}

TabSpec output()
{
    return {
        "Output",
        "FrameOutput",
        {8, 48, 713, 521},
        {
            // clang-format off
                {"Frame8", Kind::Frame, "Scale Factors ", {8, 16, 249, 137}, nullptr, nullptr, kCaption1125},
                {"Label5", Kind::Label, "Scale Factor on X-Axis", {8, 32, 153, 17}, "Frame8"},
                {"txtSFX", Kind::TextBox, "0", {168, 28, 73, 25}, "Frame8", "Scale Factor on X-Axis"},
                {"Label8", Kind::Label, "Scale Factor on Y-Axis", {8, 68, 153, 17}, "Frame8"},
                {"txtSFY", Kind::TextBox, "0", {168, 64, 73, 25}, "Frame8", "Scale Factor on Y-Axis"},
                {"cmdSF", Kind::Button, "Set Scale factor", {48, 96, 137, 33}, "Frame8"},
                {"Frame17", Kind::Frame, "", {272, 16, 217, 137}, nullptr, "Global offsets"},
                {"LblDesc_6", Kind::Label, "Global X Offset", {8, 28, 105, 17}, "Frame17"},
                {"GlobalXoff", Kind::TextBox, "000", {120, 24, 89, 25}, "Frame17", "Global X Offset"},
                {"LblDesc_7", Kind::Label, "Global Y Offset", {8, 60, 105, 17}, "Frame17"},
                {"GlobalYoff", Kind::TextBox, "000", {120, 56, 89, 25}, "Frame17", "Global Y Offset"},
                {"SetGlobalOff", Kind::Button, "Set Gobal offset", {32, 96, 161, 33}, "Frame17"},
                {"Frame18", Kind::Frame, "", {496, 16, 209, 137}, nullptr, "Gains"},
                {"Label1", Kind::Label, "On X-Axis", {16, 28, 73, 17}, "Frame18"},
                {"txtGainX", Kind::TextBox, "128", {96, 24, 81, 25}, "Frame18", "Gain on X-Axis"},
                {"Label9", Kind::Label, "On Y-Axis", {16, 68, 73, 17}, "Frame18"},
                {"txtGainY", Kind::TextBox, "128", {96, 64, 81, 25}, "Frame18", "Gain on Y-Axis"},
                {"cmdSetGain", Kind::Button, "set Gain", {32, 96, 129, 33}, "Frame18"},
                {"Frame19", Kind::Frame, "", {8, 152, 697, 105}, nullptr, "Coefficient files"},
                {"LblCorData_1", Kind::Label, "Enter Coefficient file Path", {8, 29, 173, 17}, "Frame19"},
                {"TxtFilePath", Kind::TextBox, "", {184, 24, 497, 27}, "Frame19", "Coefficient file path", {}, Ink::DarkBlue},
                {"LoadCoefX", Kind::Button, "Load Coef X", {368, 64, 137, 33}, "Frame19"},
                {"cmdLoadYCoef", Kind::Button, "Load Coef Y", {528, 64, 137, 33}, "Frame19"},
                {"Frame20", Kind::Frame, "", {8, 256, 697, 65}, nullptr, "Zoom"},
                {"cmbZoom", Kind::Combo, "Zoom Selection", {24, 28, 137, 25}, "Frame20", "Zoom", {}, Ink::DarkBlue, "1|2|4|8"},
                {"cmdZoomX", Kind::Button, "Set Zoom X", {360, 24, 137, 33}, "Frame20"},
                {"cmdZoomY", Kind::Button, "Set Zoom Y", {528, 24, 137, 33}, "Frame20"},
                {"Frame22", Kind::Frame, "", {8, 320, 689, 193}, nullptr, "Output and correction"},
                {"Frame11", Kind::Frame, "", {8, 16, 185, 105}, "Frame22", "Angle output"},
                {"AngleOut", Kind::Button, "Angle in Degree", {8, 24, 169, 33}, "Frame11"},
                {"BinOut", Kind::Button, "Angle in Binary", {8, 64, 169, 33}, "Frame11"},
                {"Frame10", Kind::Frame, "", {200, 16, 169, 105}, "Frame22", "Correction"},
                {"CorrectionOn", Kind::Button, "Correction on", {16, 24, 137, 33}, "Frame10"},
                {"CorrectionOff", Kind::Button, "Correction off", {16, 64, 137, 33}, "Frame10"},
                {"Frame16", Kind::Frame, "", {376, 16, 305, 105}, "Frame22", "Temperature correction"},
                {"cmdDisTempCorr", Kind::Button, "Disable Temperature Correction", {8, 24, 281, 33}, "Frame16"},
                {"cmdEnbTemp", Kind::Button, "Enable Temperature Correction", {8, 64, 281, 33}, "Frame16"},
                {"Frame23", Kind::Frame, "", {8, 120, 673, 65}, "Frame22", "Readings"},
                {"ReadX", Kind::Button, "Read X", {16, 24, 105, 33}, "Frame23"},
                {"X", Kind::TextBox, "X", {144, 28, 105, 25}, "Frame23", "X reading"},
                {"ReadY", Kind::Button, "Read Y", {384, 24, 105, 33}, "Frame23"},
                {"Y", Kind::TextBox, "Y", {512, 28, 105, 25}, "Frame23", "Y reading"},
            // clang-format on
        }};
}

TabSpec memory()
{
    return {
        "Memory",
        "Frame3",
        {8, 48, 713, 513},
        {
            // clang-format off
                {"LblPortNumber", Kind::Label, "Port Number:", {16, 34, 97, 25}, nullptr, nullptr, kLabel12},
                {"LstPortNum", Kind::List, "", {120, 32, 81, 23}, nullptr, "Memory port number", kArial12, Ink::DarkerBlue},
                {"TK28950B", Kind::Control, "", {616, 32, 57, 33}, nullptr, "Memory link module"},
                {"LblFileName", Kind::Label, "Enter File name ( with complete path )", {16, 80, 341, 17}},
                {"TxtEEPROMFile", Kind::TextBox, "", {16, 104, 689, 27}, nullptr, "EEPROM data file path", {}, Ink::DarkBlue},
                {"CmdSaveEEPROM", Kind::Button, "Read EEPROM and Save Data in File", {328, 152, 369, 49}},
                {"CmdWriteEEPROM", Kind::Button, "Read File and Write into EEPROM", {328, 240, 369, 49}},
                {"PrgbarEEPROM", Kind::Progress, "", {8, 312, 689, 25}, nullptr, "Transfer progress"},
            // clang-format on
        }};
}

} // namespace

const QVector<TabSpec>& tabs()
{
    static const QVector<TabSpec> all{boardSetup(), temperature(), output(), memory()};
    return all;
}

} // namespace form
