#include "CommandRecord.h"

#include "CommandContext.h"
#include "RecordStoreChoice.h"
#include "Recorder.h"
#include "ToolError.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace CommandRecord {
namespace {

QString deviceOf(const GlobalOptions& global)
{
    return global.device.isEmpty() ? QStringLiteral("port %1").arg(global.port.value_or(1))
                                   : global.device;
}

// Throws a file ToolError when the record was kept nowhere.
void keep(const StoreAddress& store, ProvisionRecord record, const QString& outcome,
          const QString& reason)
{
    record.outcome = outcome;
    record.reason = reason;
    record.ended = ProvisionRecord::now();
    try {
        const Recorder::Kept kept = Recorder(store).keep(record);
        if (kept.spooled)
            std::fprintf(stderr,
                         "tk28950: %s: the record is spooled (%s); \"tk28950 records sync\" "
                         "sends it\n",
                         qUtf8Printable(record.command), qUtf8Printable(kept.note));
    } catch (const StoreError& error) {
        throw fileError(QStringLiteral("the record was not kept: ") + error.message());
    }
}

} // namespace

ExitCode run(CommandContext& context, CommandHandler handler)
{
    const std::optional<StoreAddress> store = RecordStoreChoice::configured(context);
    if (!store)
        return handler(context);
    ProvisionRecord record = ProvisionRecord::begin(
        QStringList{context.name(), context.arguments().join(' ')}.join(' '));
    record.device = deviceOf(context.global());
    ExitCode code = ExitCode::Success;
    try {
        code = handler(context);
    } catch (const ToolError& error) {
        // Bad input, a file that cannot be read, a port that cannot be
        // opened: nothing reached the module.
        static const ExitCode kNothingSent[] = {ExitCode::Usage, ExitCode::FileError,
                                                ExitCode::NoControl};
        if (std::find(std::begin(kNothingSent), std::end(kNothingSent), error.code) ==
            std::end(kNothingSent))
            keep(*store, record, QStringLiteral("fail"), error.message);
        throw;
    }
    keep(*store, record,
         code == ExitCode::Success ? QStringLiteral("pass") : QStringLiteral("fail"), QString());
    return code;
}

} // namespace CommandRecord
