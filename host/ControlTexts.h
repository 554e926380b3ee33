#pragma once
// Texts of the control that the tool tells apart.
#include <QLatin1StringView>

namespace ControlTexts {
inline constexpr QLatin1StringView kOk{"Ok"};
inline constexpr QLatin1StringView kReady{"TK28950 Ready"};
inline constexpr QLatin1StringView kTimeOut{"TK28950 Time out"};
inline constexpr QLatin1StringView kNotInitialised{"TK28950 not initialized"};
inline constexpr QLatin1StringView kPortAlreadyOpen{"Port already open"};
inline constexpr QLatin1StringView kDeviceDisconnected{"Device disconnected"};
} // namespace ControlTexts
