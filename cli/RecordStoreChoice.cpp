#include "RecordStoreChoice.h"

#include "CommandContext.h"
#include "ToolConfig.h"
#include "ToolError.h"

namespace RecordStoreChoice {

std::optional<StoreAddress> configured(const CommandContext& context)
{
    const QString address =
        context.hasOption(QStringLiteral("records"))   ? context.option(QStringLiteral("records"))
        : qEnvironmentVariableIsSet("TK28950_RECORDS") ? qEnvironmentVariable("TK28950_RECORDS")
                                                       : ToolConfig::recordsAddress();
    if (address.isEmpty())
        return std::nullopt;
    try {
        return StoreAddress::parse(address);
    } catch (const StoreError& error) {
        throw usageError(error.message());
    }
}

StoreAddress chosen(const CommandContext& context)
{
    return configured(context).value_or(StoreAddress::defaultStore());
}

} // namespace RecordStoreChoice
