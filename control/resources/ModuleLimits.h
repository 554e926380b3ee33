#pragma once
// The module's fixed size and the control's fixed time that the control,
// its hosts and the simulator all build on.
namespace tk28950 {

// The module keeps its settings in this many one-byte EEPROM cells,
// addressed from 0.
inline constexpr int kCells = 256;

// How long the control waits for the module's answer to one command before
// it reports the time-out.
inline constexpr int kCommandTimeoutMs = 3000;

} // namespace tk28950
