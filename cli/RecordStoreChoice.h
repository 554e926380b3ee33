#pragma once
// Which record store a command uses: --records, else TK28950_RECORDS, else
// "records" in the configuration files, else (for commands that always
// record) the default SQLite file.
#include "StoreAddress.h"

#include <optional>

class CommandContext;

namespace RecordStoreChoice {

// The store configured for this command; nothing when none is. Throws a
// usage ToolError for an address that is not one.
std::optional<StoreAddress> configured(const CommandContext& context);
// The configured store, else the default one.
StoreAddress chosen(const CommandContext& context);

} // namespace RecordStoreChoice
