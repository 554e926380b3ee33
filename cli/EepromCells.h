#pragma once
// One EEPROM cell at a time, each request waiting for the module's answer
// and nothing else. Failures throw, naming the cell.
#include <QString>

class ModuleSession;

namespace EepromCells {

// The cell's value; an answer that is not a number from 0 to 255 fails.
int read(ModuleSession& module, int address);
// Writes and waits for the module's acknowledgement.
void write(ModuleSession& module, int address, int value);

} // namespace EepromCells
