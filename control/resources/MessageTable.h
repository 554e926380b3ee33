#pragma once
// The library's numbered texts: command letters, result texts, event texts.
// Every use looks its text up by number; the names say what each text is.
#include <QString>

namespace Msg {
enum Text : int {
    ControlTypeName = 1,
    PropPageName = 2,
    CommError = 3,
    Ok = 4,
    MessageReady = 5,
    NothingToReport = 6,
    CmdCorrection = 7,
    CmdTemperature = 8,
    CmdReset = 9,
    On = 10,
    Off = 11,
    CmdVersion = 12,
    CmdEepromReset = 13,
    CmdAngleOutput = 14,
    CmdDac = 15,
    CmdXChannel = 16,
    CmdYChannel = 17,
    CmdSleep = 18,
    NoMatchingCommand = 19,
    EepromDefaults = 20,
    EepromProtected = 21,
    NotInitialized = 22,
    Enable = 23,
    Disable = 24,
    TimeOut = 25,
    CmdPotSetup = 26,
    FileNotFound = 27,
    AlreadyInitialized = 28,
    InitRs232Error = 29,
    PortAlreadyOpen = 30,
    Ready = 31,
    CmdReadSignals = 32,
    CmdSignal1On = 33,
    CmdSignal1Off = 34,
    CmdSignal2On = 35,
    CmdSignal2Off = 36,
    ModuleTitle = 200,
    MessageIncomplete = 201,
    Fahrenheit = 202,
    Centigrade = 203,
    CommandMarker = 204,
    CmdEepromRead = 205,
    CmdEepromWrite = 206,
};
}

// The text of entry number, or the empty text for a number not in the table.
QString LoadMessage(int number);
