// records list, show and sync: the records provisioning and the tool's
// own commands left, from the store the tool is configured with.
#include "ArgumentConversion.h"
#include "CommandContext.h"
#include "Commands.h"
#include "Output.h"
#include "RecordStoreChoice.h"
#include "Recorder.h"
#include "ToolError.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <cstdio>

namespace Commands {
namespace {

ToolError storeError(const StoreError& error)
{
    return fileError(error.message());
}

// --since as a date or a date and time, in the records' own form (UTC).
QString sinceOf(const QString& text)
{
    QDateTime since = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!since.isValid())
        since = QDate::fromString(text, Qt::ISODate).startOfDay(Qt::UTC);
    if (!since.isValid())
        throw usageError(QStringLiteral("--since: %1 is not a date (2026-12-08) or a date and "
                                        "time (2026-12-08T06:00:00Z)")
                             .arg(text));
    return since.toUTC().toString(Qt::ISODateWithMs);
}

RecordStore::Filter filterOf(const CommandContext& context)
{
    RecordStore::Filter filter;
    if (context.hasOption(QStringLiteral("sn")))
        filter.sn = ArgumentConversion::toInteger(context.option(QStringLiteral("sn")), -32768,
                                                  32767, QStringLiteral("--sn"));
    filter.batch = context.option(QStringLiteral("batch"));
    filter.outcome = context.option(QStringLiteral("outcome"));
    if (context.hasOption(QStringLiteral("outcome")) && filter.outcome != QLatin1String("pass") &&
        filter.outcome != QLatin1String("fail"))
        throw usageError(QStringLiteral("--outcome must be pass or fail"));
    if (context.hasOption(QStringLiteral("since")))
        filter.since = sinceOf(context.option(QStringLiteral("since")));
    return filter;
}

QString csvField(const QString& text)
{
    if (!text.contains(QRegularExpression(QStringLiteral("[\",\\r\\n]"))))
        return text;
    return '"' + QString(text).replace('"', QStringLiteral("\"\"")) + '"';
}

const QStringList kCsvColumns{"id",      "started",     "ended",         "sn",      "version",
                              "outcome", "failed_step", "reason",        "station", "operator",
                              "batch",   "recipe",      "recipe_sha256", "command"};

QString csvLine(const QJsonObject& json)
{
    QStringList fields;
    for (const QString& column : kCsvColumns) {
        const QJsonValue value = json.value(column);
        fields << csvField(value.isDouble() ? QString::number(value.toInt()) : value.toString());
    }
    return fields.join(',');
}

QString tableRow(const QStringList& fields)
{
    return QStringLiteral("%1  %2  %3  %4  %5  %6  %7")
        .arg(fields[0], -36)
        .arg(fields[1], -24)
        .arg(fields[2], 6)
        .arg(fields[3], -7)
        .arg(fields[4], -11)
        .arg(fields[5], -10)
        .arg(fields[6]);
}

QString tableLine(const ProvisionRecord& record)
{
    return tableRow({record.id, record.started, record.sn ? QString::number(*record.sn) : "-",
                     record.outcome, record.failedStep.isEmpty() ? "-" : record.failedStep,
                     record.batch.isEmpty() ? "-" : record.batch,
                     record.command == QLatin1String("provision")
                         ? record.station
                         : QStringLiteral("%1 (%2)").arg(record.station, record.command)});
}

void print(const QString& text)
{
    std::printf("%s\n", qUtf8Printable(text));
}

QString showText(const ProvisionRecord& record)
{
    QStringList lines;
    const auto field = [&](const char* name, const QString& value) {
        lines << QStringLiteral("%1 %2").arg(QLatin1String(name) + ':', -15).arg(value);
    };
    field("id", record.id);
    field("command", record.command);
    field("outcome", record.outcome);
    if (!record.failedStep.isEmpty())
        field("failed step", QStringLiteral("%1: %2").arg(record.failedStep, record.reason));
    else if (!record.reason.isEmpty())
        field("reason", record.reason);
    field("sn", record.sn ? QString::number(*record.sn) : QStringLiteral("-"));
    field("version", record.version);
    field("device", record.device);
    field("started", record.started);
    field("ended", record.ended);
    field("station", record.station);
    field("operator", record.operatorName);
    field("batch", record.batch);
    field("recipe", record.recipe.isEmpty()
                        ? QString()
                        : QStringLiteral("%1 (sha256 %2)").arg(record.recipe, record.recipeSha256));
    field("tool version", record.toolVersion);
    for (const CheckResult& check : record.checks)
        field("check", QStringLiteral("%1 (%2) = %3, limits %4 to %5%6: %7")
                           .arg(check.name, check.read)
                           .arg(check.value)
                           .arg(check.min)
                           .arg(check.max)
                           .arg(check.maxSpread ? QStringLiteral(", spread %1 of at most %2")
                                                      .arg(check.spread)
                                                      .arg(*check.maxSpread)
                                                : QString())
                           .arg(check.pass ? QStringLiteral("pass") : QStringLiteral("fail")));
    const QStringList changes = record.changedCells();
    if (record.eepromBefore.isEmpty() || record.eepromAfter.isEmpty())
        lines << QStringLiteral("cells: not read before and after");
    else
        lines << QStringLiteral("cells changed: %1").arg(changes.size()) << changes;
    return lines.join('\n');
}

} // namespace

ExitCode recordsList(CommandContext& context)
{
    const RecordStore::Filter filter = filterOf(context);
    const bool csv = context.hasOption(QStringLiteral("csv"));
    if (csv && context.global().json)
        throw usageError(QStringLiteral("give either --json or --csv, not both"));
    try {
        RecordStore store(RecordStoreChoice::chosen(context));
        const QVector<ProvisionRecord> records = store.list(filter);
        if (csv)
            print(kCsvColumns.join(','));
        else if (!context.global().json)
            print(tableRow({"id", "started", "SN", "outcome", "failed step", "batch", "station"}));
        for (const ProvisionRecord& record : records)
            print(context.global().json
                      ? QString::fromUtf8(
                            QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact))
                  : csv ? csvLine(record.toJson())
                        : tableLine(record));
    } catch (const StoreError& error) {
        throw storeError(error);
    }
    return ExitCode::Success;
}

ExitCode recordsShow(CommandContext& context)
{
    try {
        RecordStore store(RecordStoreChoice::chosen(context));
        const std::optional<ProvisionRecord> record = store.find(context.argument(0));
        if (!record)
            throw usageError(QStringLiteral("no record %1 (or more than one starts with it)")
                                 .arg(context.argument(0)));
        QJsonObject json = record->toJson();
        json.insert("changed_cells", QJsonArray::fromStringList(record->changedCells()));
        Output(context.global().json).result(json, showText(*record));
    } catch (const StoreError& error) {
        throw storeError(error);
    }
    return ExitCode::Success;
}

ExitCode recordsSync(CommandContext& context)
{
    const StoreAddress address = RecordStoreChoice::chosen(context);
    try {
        const int sent = Recorder(address).sync();
        Output(context.global().json)
            .result(
                {{"command", context.name()}, {"store", address.display()}, {"sent", sent}},
                QStringLiteral("%1 spooled record(s) sent to %2").arg(sent).arg(address.display()));
    } catch (const StoreError& error) {
        throw storeError(error);
    }
    return ExitCode::Success;
}

} // namespace Commands
