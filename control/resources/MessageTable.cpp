#include "MessageTable.h"

#include "ControlTexts.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<int, const char*>, 43> kMessages{{
    {1, "TK28950 Control"},
    {2, "TK28950 Property Page"},
    {3, ControlTexts::kCommError.data()},
    {4, ControlTexts::kOk.data()},
    {5, "Message Ready"},
    {6, "Nothing to report"},
    {7, "g"},
    {8, "e"},
    {9, "x"},
    {10, "ON"},
    {11, "OFF"},
    {12, "v"},
    {13, "l"},
    {14, "m"},
    {15, "b"},
    {16, "c"},
    {17, "d"},
    {18, "a"},
    {19, "No matching command"},
    {20, "EEPROM set to default Values"},
    {21, "EEPROM protected"},
    {22, ControlTexts::kNotInitialised.data()},
    {23, "Enable"},
    {24, "Disable"},
    {25, ControlTexts::kTimeOut.data()},
    {26, "p"},
    {27, "File not found"},
    {28, ControlTexts::kAlreadyInitialised.data()},
    {29, "Error in Init of RS232"},
    {30, ControlTexts::kPortAlreadyOpen.data()},
    {31, ControlTexts::kReady.data()},
    {32, "n"},
    {33, "s"},
    {34, "r"},
    {35, "t"},
    {36, "u"},
    {200, "TK28950"},
    {201, "Message incomplete"},
    {202, "Fahrenheit"},
    {203, "Centigrade"},
    {204, "Command"},
    {205, "i"},
    {206, "h"},
}};

} // namespace

QString LoadMessage(int number)
{
    const auto* entry = std::find_if(kMessages.begin(), kMessages.end(),
                                     [number](const auto& e) { return e.first == number; });
    return entry == kMessages.end() ? QString() : QString::fromLatin1(entry->second);
}
