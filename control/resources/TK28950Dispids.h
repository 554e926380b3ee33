#pragma once
// Identifiers of the control's published interface: class, interfaces,
// members and events. Hosts call the control by these numbers only; this
// header is all they need of the library at build time.
#include <cstdint>

namespace tk28950 {

constexpr const char* kProgId = "TK28950.TK28950Ctrl.1";
constexpr const char* kPropPageProgId = "TK28950.TK28950PropPage.1";
constexpr const char* kControlClsid = "{D11CFF3A-2288-4F34-9EBF-5028CFCF674B}";
constexpr const char* kPropPageClsid = "{8197A964-3931-4DBC-89D0-91D286F9E771}";
constexpr const char* kDispatchIid = "{1931B6E1-F23D-4C43-A214-AF8CAF5879F6}";
constexpr const char* kEventsIid = "{1BCFF798-ED8E-4F4C-9805-F612F646F53D}";
constexpr const char* kTypeLibId = "{1CC25E9C-2861-4C7A-8F1E-9A21443A9414}";
constexpr const char* kTypeLibVersion = "1.0";

namespace dispid {
enum : std::int32_t {
    AboutBox = -552,
    // methods
    InitModule = 2,
    SendCMD = 3,
    ReadTemperature = 4,
    ResetModule = 5,
    Sleep = 6,
    Correction = 7,
    OutputAngle = 8,
    EnableDAC = 9,
    ResetEEPROM = 10,
    ReadXChan = 11,
    ReadYChan = 12,
    ReadEEPROM = 13,
    WriteEEPROM = 14,
    StupAngleOn = 17,
    EnResetEE = 18,
    StupEnCorrection = 19,
    Version = 20,
    LoadCoef = 24,
    RangeAvailable = 40,
    EnableTempCorr = 42,
    TemperatureCoef = 43,
    // properties
    ModuleName = 1,
    GlobalXOff = 15,
    GlobalYOff = 16,
    GainX = 21,
    GainY = 22,
    SerialNumber = 23,
    ScaleFactorX = 25,
    ThreWind1 = 26,
    ThreWind2 = 27,
    Threshold1 = 28,
    Threshold2 = 29,
    Signal1 = 30,
    Signal2 = 31,
    Signal3 = 32,
    Signal4 = 33,
    SN = 34,
    AmpX = 35,
    AmpY = 36,
    ScaleFactorY = 37,
    ZoomX = 38,
    ZoomY = 39,
    TemperatureOffset = 41,
    // diagnostics of our own: why the port could not be opened or configured
    PortError = 50,
};
} // namespace dispid

namespace event {
enum : std::int32_t { DataReady = 1, ErrorComm = 2, XReady = 3, YReady = 4 };
}

} // namespace tk28950
