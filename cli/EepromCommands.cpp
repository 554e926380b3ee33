// eeprom read, write, dump, restore and diff.
#include "ArgumentConversion.h"
#include "CommandContext.h"
#include "Commands.h"
#include "DataFilePath.h"
#include "EepromCells.h"
#include "EepromDataFile.h"
#include "InterruptSignal.h"
#include "Progress.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QMap>
#include <functional>

using EepromDataFile::kCells;

namespace Commands {
namespace {

// A data file checked as a whole before anything is sent: its records in
// file order, each cell once, and the value of each cell.
struct DataFile {
    QVector<EepromDataFile::Cell> records;
    QMap<int, int> finalValues;
};

DataFile readDataFile(const QString& path)
{
    const QString name = DataFilePath::describe(path, false);
    QStringList lines;
    QString error;
    if (!EepromDataFile::LinesOf(DataFilePath::read(path, EepromDataFile::kMaxBytes), &lines,
                                 &error))
        throw fileError(QStringLiteral("cannot read %1: %2").arg(name, error));
    DataFile file;
    if (!EepromDataFile::ParseCells(lines, &file.records, &error))
        throw usageError(QStringLiteral("%1: %2").arg(name, error));
    if (file.records.isEmpty())
        throw usageError(QStringLiteral("%1 holds no cells").arg(name));
    for (const auto& record : file.records)
        file.finalValues.insert(record.address, record.value);
    return file;
}

// Refuses, before anything is sent, a dump that could not be saved.
void checkWritable(const QString& path, bool json)
{
    if (json && DataFilePath::isStandardOutput(path))
        throw usageError(QStringLiteral(
            "--json and the dump cannot share standard output; name a file for the dump"));
    if (DataFilePath::isStream(path))
        return;
    const QFileInfo target(path);
    if (target.isDir())
        throw fileError(QStringLiteral("cannot write %1: it is a folder").arg(path));
    if (!target.absoluteDir().exists())
        throw fileError(QStringLiteral("cannot write %1: the folder %2 does not exist")
                            .arg(path, target.absolutePath()));
}

// Written only once every cell was read: a file is replaced as a whole, a
// stream gets the whole text at once.
void saveDump(const QString& path, const QStringList& values)
{
    QString error;
    const bool saved = DataFilePath::isStream(path)
                           ? DataFilePath::writeStream(path, EepromDataFile::Format(values), &error)
                           : EepromDataFile::Write(path, values, &error);
    if (!saved)
        throw fileError(
            QStringLiteral("cannot write %1: %2").arg(DataFilePath::describe(path, true), error));
}

// Reads the given cells in ascending order, counting on the progress bar
// from done; stopped calls stopped() between two cells.
QMap<int, int> readCells(
    ModuleSession& module, const QList<int>& addresses, Progress& progress, int done,
    const std::function<bool()>& stopped = [] { return false; })
{
    QMap<int, int> values;
    for (int address : addresses) {
        if (stopped())
            break;
        values.insert(address, EepromCells::read(module, address));
        progress.advance(++done);
    }
    return values;
}

// Stopped between two cells: what the module holds of the file.
ToolError interruptedRestore(int written, int records)
{
    const QString state = written < records ? QStringLiteral("the module is now partly written")
                                            : QStringLiteral("they were not verified");
    return {ExitCode::Interrupted,
            QStringLiteral("interrupted after %1 of %2 cells were written; %3")
                .arg(written)
                .arg(records)
                .arg(state),
            {{"written", written}, {"records", records}, {"partly_written", written < records}}};
}

QList<int> allCells()
{
    QList<int> addresses;
    for (int address = 0; address < kCells; ++address)
        addresses << address;
    return addresses;
}

} // namespace

ExitCode eepromRead(CommandContext& context)
{
    const int address = ArgumentConversion::toCellNumber(context.argument(0), "address");
    const int value = EepromCells::read(context.module(), address);
    context.output().result({{"command", context.name()}, {"address", address}, {"value", value}},
                            QString::number(value));
    return ExitCode::Success;
}

ExitCode eepromWrite(CommandContext& context)
{
    const int address = ArgumentConversion::toCellNumber(context.argument(0), "address");
    const int value = ArgumentConversion::toCellNumber(context.argument(1), "value");
    EepromCells::write(context.module(), address, value);
    context.output().result({{"command", context.name()}, {"address", address}, {"value", value}},
                            {});
    return ExitCode::Success;
}

ExitCode eepromDump(CommandContext& context)
{
    const QString path = context.argument(0);
    checkWritable(path, context.output().json());
    ModuleSession& module = context.module();
    Progress progress(context.global().quiet);
    progress.start(context.name(), kCells);
    progress.setPhase(QStringLiteral("read"));
    QStringList values;
    for (int value : readCells(module, allCells(), progress, 0))
        values << QString::number(value);
    progress.finish();
    saveDump(path, values);
    // Standard output holds the data itself then; a line after it would be
    // taken for part of the file.
    const QString text = DataFilePath::isStandardOutput(path)
                             ? QString()
                             : QStringLiteral("%1 cells saved to %2").arg(kCells).arg(path);
    context.output().result({{"command", context.name()}, {"file", path}, {"cells", kCells}}, text);
    return ExitCode::Success;
}

ExitCode eepromRestore(CommandContext& context)
{
    const QString path = context.argument(0);
    const DataFile file = readDataFile(path);
    const QList<int> addresses = file.finalValues.keys();
    const int records = static_cast<int>(file.records.size());
    ModuleSession& module = context.module();
    InterruptSignal interrupt;
    Progress progress(context.global().quiet);
    progress.start(context.name(), records + static_cast<int>(addresses.size()));
    int done = 0;
    progress.setPhase(QStringLiteral("write"));
    for (const auto& record : file.records) {
        if (interrupt.raised())
            throw interruptedRestore(done, records);
        EepromCells::write(module, record.address, record.value);
        progress.advance(++done);
    }
    progress.setPhase(QStringLiteral("verify"));
    const QMap<int, int> readBack =
        readCells(module, addresses, progress, done, [&] { return interrupt.raised(); });
    if (interrupt.raised())
        throw interruptedRestore(records, records);
    progress.finish();
    QStringList mismatches;
    for (int address : addresses)
        if (readBack.value(address) != file.finalValues.value(address))
            mismatches << QStringLiteral("cell %1 wrote %2, read back %3")
                              .arg(address)
                              .arg(file.finalValues.value(address))
                              .arg(readBack.value(address));
    if (!mismatches.isEmpty())
        throw moduleError(QStringLiteral("verify failed: ") +
                          mismatches.join(QStringLiteral("; ")));
    context.output().result({{"command", context.name()},
                             {"file", path},
                             {"written", records},
                             {"verified", static_cast<int>(addresses.size())}},
                            QStringLiteral("%1 cells written from %2 and verified")
                                .arg(addresses.size())
                                .arg(DataFilePath::describe(path, false)));
    return ExitCode::Success;
}

ExitCode eepromDiff(CommandContext& context)
{
    const QString path = context.argument(0);
    const QMap<int, int> inFile = readDataFile(path).finalValues;
    ModuleSession& module = context.module();
    Progress progress(context.global().quiet);
    progress.start(context.name(), static_cast<int>(inFile.size()));
    const QMap<int, int> onModule = readCells(module, inFile.keys(), progress, 0);
    progress.finish();
    QJsonArray differences;
    QStringList lines;
    for (auto cell = inFile.cbegin(); cell != inFile.cend(); ++cell) {
        const int moduleValue = onModule.value(cell.key());
        if (moduleValue == cell.value())
            continue;
        differences.append(
            QJsonObject{{"address", cell.key()}, {"module", moduleValue}, {"file", cell.value()}});
        lines << QStringLiteral("%1\t%2\t%3").arg(cell.key()).arg(moduleValue).arg(cell.value());
    }
    const QString text = lines.isEmpty()
                             ? QStringLiteral("the module holds the %1 cells of %2")
                                   .arg(inFile.size())
                                   .arg(DataFilePath::describe(path, false))
                             : QStringLiteral("Address\tModule\tFile\n") + lines.join('\n');
    context.output().result({{"command", context.name()},
                             {"file", path},
                             {"cells", static_cast<int>(inFile.size())},
                             {"differences", differences}},
                            text);
    return lines.isEmpty() ? ExitCode::Success : ExitCode::Differences;
}

} // namespace Commands
