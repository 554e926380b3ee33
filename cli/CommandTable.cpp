#include "Commands.h"

namespace Commands {

const QVector<CommandSpec>& table()
{
    static const QVector<CommandSpec> commands{
        {"version", "", "print the module's version text", "", {}, 0, 0, version},
        {"reset", "", "reset the module and print its reset answer", "", {}, 0, 0, reset},
        {"temperature",
         "",
         "print the module's temperature (degrees Centigrade)",
         "",
         {{"fahrenheit", "", "in degrees Fahrenheit"}},
         0,
         0,
         temperature},
        {"read", "x|y", "print one reading of the X or Y channel", "", {}, 1, 1, readChannel},
        {"get",
         "NAME",
         "print a property of the control",
         "NAME is a property of the control's interface in any letter case, for example\n"
         "SN, GainX, ZoomY, Threshold1, TemperatureOffset, ModuleName.",
         {},
         1,
         1,
         getProperty},
        {"set",
         "NAME VALUE",
         "set a property of the control",
         "VALUE must convert to the property's type (a 16-bit number for most);\n"
         "a value that does not convert is refused before anything is sent.",
         {},
         2,
         2,
         setProperty},
        {"call",
         "NAME [ARGS...]",
         "call a method of the control and print its answer",
         "The arguments are the method's parameters in order; flags take on/off,\n"
         "1/0, true/false or yes/no. Methods that the module answers later (ReadEEPROM,\n"
         "Version, ReadXChan, ...) print the answer of their event.",
         {},
         1,
         -1,
         callMethod},
        {"raw",
         "TEXT",
         "send a command text unchanged and print the module's answer",
         "",
         {},
         1,
         1,
         raw},
        {"eeprom read",
         "ADDR",
         "print the value of one EEPROM cell (0 to 255)",
         "",
         {},
         1,
         1,
         eepromRead},
        {"eeprom write",
         "ADDR VALUE",
         "write one EEPROM cell and wait for the acknowledgement",
         "",
         {},
         2,
         2,
         eepromWrite},
        {"eeprom dump",
         "FILE",
         "save all 256 cells to an EEPROM data file",
         "The file has the setup program's format: a header line \"Address\" TAB \"Value\",\n"
         "then \"n\" TAB value for cells 0 to 255, CR LF after every line. It is written\n"
         "only when every cell was read; an existing file is replaced as a whole.\n"
         "FILE \"-\" is standard output; it, a pipe, a device or /dev/stdout is written\n"
         "directly, once every cell was read.",
         {},
         1,
         1,
         eepromDump},
        {"eeprom restore",
         "FILE",
         "write an EEPROM data file into the module and verify it",
         "The whole file is checked first: lines may end in CR LF, CR or LF, header\n"
         "lines may stand anywhere, a TAB or a space separates address and value, both\n"
         "decimals from 0 to 255. Any other line refuses the file, naming the line,\n"
         "before anything is sent. Every record is written in file order, each waiting\n"
         "for its acknowledgement, then every written cell is read back and compared.\n"
         "FILE \"-\" is standard input.",
         {},
         1,
         1,
         eepromRestore},
        {"eeprom diff",
         "FILE",
         "list the cells in which the module and a data file differ",
         "Prints \"address TAB module TAB file\" for each differing cell; exit status 5\n"
         "when any cell differs. FILE \"-\" is standard input.",
         {},
         1,
         1,
         eepromDiff},
        {"coef load",
         "x|y FILE",
         "load one axis's coefficient table from a file",
         "The file holds 56 decimal values from 0 to 255 separated by blanks, tabs or\n"
         "line ends; it is checked as a whole before anything is sent.",
         {},
         2,
         2,
         coefLoad},
        {"monitor",
         "",
         "print X and Y readings as CSV lines time_ms,x,y",
         "Runs until --count samples are printed, or until Ctrl-C.",
         {{"interval", "MS", "time between samples (default 500)"},
          {"count", "N", "number of samples (default: until interrupted)"}},
         0,
         0,
         monitor},
        {"ports",
         "",
         "list the serial ports, their USB identity and whether they can be opened",
         "Each line: device, the port number that resolves to it (port map and\n"
         "TK28950_PORT_<N>), its /dev/serial/by-id name, USB vendor:product id, serial\n"
         "number, description, and whether this user may open it now.",
         {{"probe", "", "ask each free port for the module's version"}},
         0,
         0,
         listPorts},
    };
    return commands;
}

} // namespace Commands
