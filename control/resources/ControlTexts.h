#pragma once
// Texts of the control that its hosts tell apart. The control's message
// table takes these entries from here, so a host compares with the very
// text the control sends.
#include <QLatin1StringView>

namespace ControlTexts {
inline constexpr QLatin1StringView kOk{"Ok"};
inline constexpr QLatin1StringView kReady{"TK28950 Ready"};
inline constexpr QLatin1StringView kAlreadyInitialised{"OCX already initialized"};
inline constexpr QLatin1StringView kTimeOut{"TK28950 Time out"};
inline constexpr QLatin1StringView kNotInitialised{"TK28950 not initialized"};
inline constexpr QLatin1StringView kPortAlreadyOpen{"Port already open"};
inline constexpr QLatin1StringView kDeviceDisconnected{"Device disconnected"};
// The text of ErrorComm when an answer took its command without completing
// it (damaged, not of its command's shape, refused) or a command was given
// up; a line that found no command pending brings ErrorComm with no text.
inline constexpr QLatin1StringView kCommError{"Error communication with RS232 module"};
} // namespace ControlTexts
