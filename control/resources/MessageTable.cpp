#include "MessageTable.h"

#include "ControlTexts.h"

#include <algorithm>
#include <array>

namespace {

struct Entry {
    Msg::Text number;
    const char* text;
};

constexpr Entry kMessages[] = {
    {Msg::ControlTypeName, "TK28950 Control"},
    {Msg::PropPageName, "TK28950 Property Page"},
    {Msg::CommError, ControlTexts::kCommError.data()},
    {Msg::Ok, ControlTexts::kOk.data()},
    {Msg::MessageReady, "Message Ready"},
    {Msg::NothingToReport, "Nothing to report"},
    {Msg::CmdCorrection, "g"},
    {Msg::CmdTemperature, "e"},
    {Msg::CmdReset, "x"},
    {Msg::On, "ON"},
    {Msg::Off, "OFF"},
    {Msg::CmdVersion, "v"},
    {Msg::CmdEepromReset, "l"},
    {Msg::CmdAngleOutput, "m"},
    {Msg::CmdDac, "b"},
    {Msg::CmdXChannel, "c"},
    {Msg::CmdYChannel, "d"},
    {Msg::CmdSleep, "a"},
    {Msg::NoMatchingCommand, "No matching command"},
    {Msg::EepromDefaults, "EEPROM set to default Values"},
    {Msg::EepromProtected, "EEPROM protected"},
    {Msg::NotInitialized, ControlTexts::kNotInitialised.data()},
    {Msg::Enable, "Enable"},
    {Msg::Disable, "Disable"},
    {Msg::TimeOut, ControlTexts::kTimeOut.data()},
    {Msg::CmdPotSetup, "p"},
    {Msg::FileNotFound, "File not found"},
    {Msg::AlreadyInitialized, ControlTexts::kAlreadyInitialised.data()},
    {Msg::InitRs232Error, "Error in Init of RS232"},
    {Msg::PortAlreadyOpen, ControlTexts::kPortAlreadyOpen.data()},
    {Msg::Ready, ControlTexts::kReady.data()},
    {Msg::CmdReadSignals, "n"},
    {Msg::CmdSignal1On, "s"},
    {Msg::CmdSignal1Off, "r"},
    {Msg::CmdSignal2On, "t"},
    {Msg::CmdSignal2Off, "u"},
    {Msg::ModuleTitle, "TK28950"},
    {Msg::MessageIncomplete, "Message incomplete"},
    {Msg::Fahrenheit, "Fahrenheit"},
    {Msg::Centigrade, "Centigrade"},
    {Msg::CommandMarker, "Command"},
    {Msg::CmdEepromRead, "i"},
    {Msg::CmdEepromWrite, "h"},
};

constexpr int kHighestNumber =
    std::max_element(std::begin(kMessages), std::end(kMessages),
                     [](const Entry& a, const Entry& b) { return a.number < b.number; })
        ->number;

// The texts by number, so that a look-up is one index; numbers not in the
// table have no text.
constexpr auto kTextOfNumber = [] {
    std::array<const char*, kHighestNumber + 1> texts{};
    for (const Entry& entry : kMessages)
        texts[entry.number] = entry.text;
    return texts;
}();

static_assert(std::count_if(kTextOfNumber.begin(), kTextOfNumber.end(),
                            [](const char* text) { return text != nullptr; }) ==
                  std::ssize(kMessages),
              "every entry of the message table has a number of its own");

} // namespace

QString LoadMessage(int number)
{
    const bool known = number >= 0 && number <= kHighestNumber && kTextOfNumber[number];
    return known ? QString::fromLatin1(kTextOfNumber[number]) : QString();
}
