#pragma once
// The tool's exit status. Scripts on a production line branch on these, so
// the numbers never change meaning; the man page lists them.
enum class ExitCode : int {
    Success = 0,
    ModuleFailure = 1, // no answer, an error answer, a failed write or verify
    Usage = 2,         // bad command line or bad input (nothing was sent)
    NoControl = 3,     // the control cannot be created or the port not opened
    FileError = 4,     // a file cannot be read or written
    Differences = 5,   // eeprom diff: the module and the file differ
    Interrupted = 130, // Ctrl-C or SIGTERM stopped the command between two steps
};
