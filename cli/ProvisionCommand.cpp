// provision: a recipe onto one module per --device or --port, all at once,
// each module in a worker process of its own; every module's run leaves a
// record. The same command in its worker mode runs one module and reports
// to the process that started it.
#include "ArgumentConversion.h"
#include "CommandContext.h"
#include "Commands.h"
#include "InterruptSignal.h"
#include "ProvisionBatch.h"
#include "RecipeReader.h"
#include "RecordStoreChoice.h"
#include "Recorder.h"
#include "ToolError.h"

#include <QDateTime>
#include <QJsonObject>
#include <QSet>

#include <cstdio>

namespace Commands {
namespace {

Recipe readRecipe(CommandContext& context)
{
    const RecipeReader::Conversion convert = [](const QString& property, const QString& text,
                                                const QString& type, component::Variant* value) {
        try {
            *value = ArgumentConversion::toType(text, type, property);
            return QString();
        } catch (const ToolError& error) {
            return error.message;
        }
    };
    try {
        return RecipeReader::read(context.argument(0), context.session().catalog(), convert);
    } catch (const RecipeError& error) {
        for (const QString& problem : error.problems())
            std::fprintf(stderr, "%s\n", qUtf8Printable(problem));
        throw usageError(QStringLiteral("the recipe was refused; nothing was sent"));
    }
}

// The one module of a call that names none, or of a worker: the device or
// port given (or configured), else port 1.
ModuleTarget singleTarget(const GlobalOptions& global)
{
    return {global.device, global.device.isEmpty() ? global.port.value_or(1) : 0};
}

QVector<ModuleTarget> targetsOf(const GlobalOptions& global)
{
    QVector<ModuleTarget> targets;
    QSet<QString> seen;
    for (const QString& device : global.devices)
        targets.append({device, 0});
    for (const int port : global.ports)
        targets.append({QString(), port});
    if (targets.isEmpty())
        targets.append(singleTarget(global));
    for (const ModuleTarget& target : std::as_const(targets)) {
        if (seen.contains(target.display()))
            throw usageError(QStringLiteral("%1 is given twice").arg(target.display()));
        seen.insert(target.display());
    }
    return targets;
}

void writeLine(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

ExitCode runWorker(const Recipe& recipe, const GlobalOptions& global)
{
    const ModuleTarget target = singleTarget(global);
    ProvisionRecord record = ProvisionRecord::begin(QStringLiteral("provision"));
    ModuleRun::run(recipe, target, &record,
                   [](const QString& step) { writeLine(ProvisionBatch::stepLine(step)); });
    record.ended = ProvisionRecord::now();
    writeLine(ProvisionBatch::recordLine(record));
    return ExitCode::Success;
}

double secondsOf(const ProvisionRecord& record)
{
    const QDateTime started = QDateTime::fromString(record.started, Qt::ISODateWithMs);
    return double(started.msecsTo(QDateTime::fromString(record.ended, Qt::ISODateWithMs))) / 1000;
}

QString summaryLine(const QString& module, const QString& sn, const QString& outcome,
                    const QString& step, const QString& time)
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(module, -24)
        .arg(sn, 6)
        .arg(outcome, -7)
        .arg(step, -11)
        .arg(time, 8);
}

class Station {
public:
    Station(CommandContext& context, const Recipe& recipe)
        : m_context(context), m_recipe(recipe), m_recorder(RecordStoreChoice::chosen(context)),
          m_output(context.global().json)
    {
    }

    ExitCode run(const QVector<ModuleTarget>& targets)
    {
        // Ctrl-C reaches the workers too; this process stays to keep the
        // record of every module, whatever its worker got to.
        const InterruptSignal interrupt;
        m_records.resize(targets.size());
        ProvisionBatch::run(
            targets, [this](const ModuleTarget& target) { return workerArguments(target); },
            [this](int index, const ProvisionRecord& record) { finished(index, record); });
        if (!m_context.global().json)
            printSummary();
        if (m_unkept)
            return ExitCode::FileError;
        if (interrupt.raised())
            return ExitCode::Interrupted;
        for (const ProvisionRecord& record : std::as_const(m_records))
            if (record.outcome != QLatin1String("pass"))
                return ExitCode::ModuleFailure;
        return ExitCode::Success;
    }

private:
    QStringList workerArguments(const ModuleTarget& target) const
    {
        QStringList arguments{QStringLiteral("provision"), m_recipe.path};
        if (target.device.isEmpty())
            return arguments << QStringLiteral("--port") << QString::number(target.port);
        return arguments << QStringLiteral("--device") << target.device;
    }

    void finished(int index, ProvisionRecord record)
    {
        const QString station = m_context.option(QStringLiteral("station"));
        const QString operatorName = m_context.option(QStringLiteral("operator"));
        record.station = station.isEmpty() ? record.station : station;
        record.operatorName = operatorName.isEmpty() ? record.operatorName : operatorName;
        record.batch = m_context.option(QStringLiteral("batch"));
        record.recipe = m_recipe.name;
        record.recipeSha256 = m_recipe.sha256;
        m_records[index] = record;
        const QString kept = keep(record);
        QJsonObject json = record.toJson();
        json.insert("module", index + 1);
        json.insert("record", kept);
        m_output.record(json, progressLine(index, record));
    }

    // Where the record went: "stored", "spooled" or "lost".
    QString keep(const ProvisionRecord& record)
    {
        try {
            const Recorder::Kept kept = m_recorder.keep(record);
            if (!kept.spooled)
                return QStringLiteral("stored");
            std::fprintf(stderr,
                         "tk28950: provision: the record of %s is spooled (%s); "
                         "\"tk28950 records sync\" sends it\n",
                         qUtf8Printable(record.device), qUtf8Printable(kept.note));
            return QStringLiteral("spooled");
        } catch (const StoreError& error) {
            m_unkept = true;
            std::fprintf(stderr, "tk28950: provision: the record of %s was not kept: %s\n",
                         qUtf8Printable(record.device), qUtf8Printable(error.message()));
            return QStringLiteral("lost");
        }
    }

    static QString progressLine(int index, const ProvisionRecord& record)
    {
        const QString sn = record.sn ? QStringLiteral(" SN %1").arg(*record.sn) : QString();
        const QString outcome =
            record.outcome == QLatin1String("pass")
                ? QStringLiteral("pass")
                : QStringLiteral("fail at %1: %2").arg(record.failedStep, record.reason);
        return QStringLiteral("module %1 (%2)%3: %4 (%5 s)")
            .arg(index + 1)
            .arg(record.device, sn, outcome)
            .arg(secondsOf(record), 0, 'f', 1);
    }

    void printSummary() const
    {
        QStringList lines{summaryLine(QStringLiteral("module"), QStringLiteral("SN"),
                                      QStringLiteral("outcome"), QStringLiteral("failed step"),
                                      QStringLiteral("time (s)"))};
        for (const ProvisionRecord& record : m_records)
            lines << summaryLine(record.device, record.sn ? QString::number(*record.sn) : "-",
                                 record.outcome,
                                 record.failedStep.isEmpty() ? "-" : record.failedStep,
                                 QString::number(secondsOf(record), 'f', 1));
        std::printf("\n%s\n", qUtf8Printable(lines.join('\n')));
    }

    CommandContext& m_context;
    const Recipe& m_recipe;
    Recorder m_recorder;
    Output m_output;
    QVector<ProvisionRecord> m_records;
    bool m_unkept = false;
};

} // namespace

ExitCode provision(CommandContext& context)
{
    const Recipe recipe = readRecipe(context);
    if (qEnvironmentVariableIsSet(ProvisionBatch::kWorkerVariable))
        return runWorker(recipe, context.global());
    const QVector<ModuleTarget> targets = targetsOf(context.global());
    return Station(context, recipe).run(targets);
}

} // namespace Commands
