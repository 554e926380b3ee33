#pragma once
// The tool's configuration files: $XDG_CONFIG_HOME/tk28950/tk28950.conf for
// the user, then tk28950.conf in the machine's configuration folder
// (/etc/tk28950). The user's file wins, the command line wins over both.
//   device = /dev/serial/by-id/...   the default device (or port = N)
//   timeout = 250                    the bound for one answer, ms
//   retries = 3
//   records = postgresql://...       where records are kept (or sqlite:PATH)
#include "CommandSpec.h"

namespace ToolConfig {

// The options the files set, over the built-in defaults; throws a usage
// ToolError naming the file and key of a value that does not convert.
GlobalOptions defaults();

// Gives the files' device or port to an invocation that names neither.
void applyDevice(const GlobalOptions& defaults, GlobalOptions* options);

// The files' record store address; empty when they name none.
QString recordsAddress();

} // namespace ToolConfig
