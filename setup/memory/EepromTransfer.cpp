#include "EepromTransfer.h"

#include "EepromDataFile.h"
#include "MemoryTransferLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QSaveFile>

namespace {

const QString kMemoryAccess = QStringLiteral("Memory Access");

bool createParentFolder(const QString& filePath, QString* error)
{
    const QString folder = QFileInfo(filePath).path();
    if (QDir().mkpath(folder))
        return true;
    *error = QStringLiteral("the folder %1 cannot be created").arg(folder);
    return false;
}

} // namespace

EepromTransfer::EepromTransfer(MemoryTransferLink* link, QProgressBar* progress,
                               ShowMessage showMessage)
    : m_link(link), m_progress(progress), m_showMessage(std::move(showMessage))
{
}

QString EepromTransfer::incompletePathFor(const QString& filePath)
{
    return filePath + QStringLiteral(".incomplete");
}

SaveOutcome EepromTransfer::SaveEEPROMToFile(const QString& filePath)
{
    SaveOutcome outcome;
    if (filePath.isEmpty()) {
        m_showMessage(QStringLiteral("Please enter the file path first."), QString());
        return outcome;
    }
    QString error;
    if (!createParentFolder(filePath, &error)) {
        reportFileFailure(filePath, error);
        return outcome;
    }
    // Opened before the long read, so that a file that cannot be written is
    // known at once; it replaces the old file only when committed.
    QSaveFile file(filePath);
    if (!EepromDataFile::OpenForWriting(&file, &error)) {
        reportFileFailure(filePath, error);
        return outcome;
    }
    outcome.targetExisted = QFileInfo::exists(filePath);
    showProgress(EepromDataFile::kCells);
    QStringList values;
    for (int n = 0; n < EepromDataFile::kCells; ++n) {
        const QString value = readCell(n);
        if (m_link->cancelled()) {
            outcome.status = SaveOutcome::Status::Cancelled;
            return outcome;
        }
        values.append(value);
        if (!EepromDataFile::IsCellValue(value))
            outcome.unreadableCells.append(n);
        m_progress->setValue(n + 1);
    }
    outcome.moduleLost = m_link->lost();
    outcome.deviceLost = m_link->deviceLost();
    if (!outcome.unreadableCells.isEmpty()) {
        file.cancelWriting();
        outcome.incompletePath = incompletePathFor(filePath);
        if (!EepromDataFile::Write(outcome.incompletePath, values, &error)) {
            reportFileFailure(outcome.incompletePath, error);
            return outcome;
        }
        outcome.status = SaveOutcome::Status::Incomplete;
    } else {
        if (!EepromDataFile::WriteAndCommit(&file, EepromDataFile::Format(values), &error)) {
            reportFileFailure(filePath, error);
            return outcome;
        }
        // The data of an earlier incomplete save are out of date now.
        QFile::remove(incompletePathFor(filePath));
        outcome.status = SaveOutcome::Status::Saved;
    }
    m_progress->hide();
    return outcome;
}

// One read, and a second one when the first brought no cell value: nothing,
// or the control's time-out text for an answer that was lost. The link
// brings the line back in step before that second read.
QString EepromTransfer::readCell(int address)
{
    const QString text = QString::number(address);
    const QString value = m_link->ReadEEPROMValue(text);
    if (EepromDataFile::IsCellValue(value) || m_link->cancelled())
        return value;
    return m_link->ReadEEPROMValue(text);
}

WriteOutcome EepromTransfer::WriteFileToEEPROM(const QString& filePath)
{
    WriteOutcome outcome;
    if (filePath.isEmpty()) {
        m_showMessage(QStringLiteral("Please enter the file path first."), QString());
        return outcome;
    }
    if (!QFileInfo::exists(filePath)) {
        m_showMessage(QStringLiteral("File: ") + filePath + QStringLiteral(" does not exist."),
                      QString());
        return outcome;
    }
    showProgress(0);
    QStringList lines;
    if (!ReadTXTFileContents(filePath, &lines)) {
        m_showMessage(QStringLiteral("Error in reading File: ") + filePath, QString());
        return outcome;
    }
    QSet<int> repeats;
    QString repeatError;
    if (!EepromDataFile::FindRepeats(lines, &repeats, &repeatError)) {
        m_progress->hide();
        m_showMessage(QStringLiteral("Nothing was written: File: %1 names a cell twice: %2.")
                          .arg(filePath, repeatError),
                      QString());
        return outcome;
    }
    m_progress->setMaximum(static_cast<int>(lines.size()));
    for (qsizetype k = 0; k < lines.size(); ++k) {
        EepromDataFile::Cell cell{0, 0, static_cast<int>(k + 1)};
        switch (EepromDataFile::ParseLine(lines.at(k), &cell)) {
        case EepromDataFile::LineKind::Skip:
            break;
        case EepromDataFile::LineKind::Invalid:
            outcome.skippedLines.append(cell.line);
            break;
        case EepromDataFile::LineKind::Cell:
            if (repeats.contains(cell.line))
                break;
            ++outcome.writes;
            if (!m_link->WriteEEPROMValue(QString::number(cell.address),
                                          QString::number(cell.value)))
                outcome.failedCells.append(cell.address);
            break;
        }
        if (m_link->cancelled()) {
            outcome.status = WriteOutcome::Status::Cancelled;
            return outcome;
        }
        m_progress->setValue(static_cast<int>(k + 1));
    }
    m_progress->hide();
    outcome.moduleLost = m_link->lost();
    outcome.deviceLost = m_link->deviceLost();
    const bool nothing = outcome.writes == 0 && outcome.skippedLines.isEmpty();
    outcome.status = nothing ? WriteOutcome::Status::NothingToWrite : WriteOutcome::Status::Written;
    return outcome;
}

bool EepromTransfer::ReadTXTFileContents(const QString& fileName, QStringList* lines)
{
    QString error;
    if (EepromDataFile::ReadLines(fileName, lines, &error))
        return true;
    m_showMessage(QStringLiteral("Reading file: ") + fileName + QStringLiteral(" failed. Err: ") +
                      error,
                  QString());
    return false;
}

void EepromTransfer::showProgress(int maximum)
{
    m_progress->setMinimum(0);
    m_progress->setMaximum(maximum);
    m_progress->setValue(0);
    m_progress->setEnabled(true);
    m_progress->show();
}

void EepromTransfer::reportFileFailure(const QString& path, const QString& description)
{
    m_showMessage(QStringLiteral("Saving file: ") + path + QStringLiteral(" failed. Err: ") +
                      description,
                  QString());
}

QString EepromTransfer::nameNumbers(const QString& singular, const QString& plural,
                                    const QVector<int>& numbers)
{
    if (numbers.size() == 1)
        return singular + QLatin1Char(' ') + QString::number(numbers.first());
    constexpr qsizetype kNamed = 10;
    QStringList named;
    for (qsizetype i = 0; i < numbers.size() && i < kNamed; ++i)
        named.append(QString::number(numbers[i]));
    const qsizetype more = numbers.size() - named.size();
    if (more > 0)
        return QStringLiteral("%1 %2 and %3 more")
            .arg(plural, named.join(QStringLiteral(", ")))
            .arg(more);
    const QString last = named.takeLast();
    return QStringLiteral("%1 %2 and %3").arg(plural, named.join(QStringLiteral(", ")), last);
}

namespace {

// Why the cells after the failed ones were not tried ("read" or "written"),
// with a space after it; empty when they were.
template <class Outcome> QString whyTheRestFailed(const Outcome& outcome, const QString& verb)
{
    if (outcome.deviceLost)
        return QStringLiteral("The device was disconnected, so the remaining cells were not %1. ")
            .arg(verb);
    if (outcome.moduleLost)
        return QStringLiteral("The module stopped answering properly, so the remaining cells "
                              "were not %1. ")
            .arg(verb);
    return QString();
}

} // namespace

TransferMessage resultMessage(const SaveOutcome& outcome, const QString& path)
{
    switch (outcome.status) {
    case SaveOutcome::Status::Saved:
        return {QStringLiteral("EEPROM data have been saved in File successfully."), kMemoryAccess};
    case SaveOutcome::Status::Incomplete:
        return {
            QStringLiteral("%1 of %2 cells could not be read (%3). %4The data were saved in "
                           "File: %5; File: %6 was not %7.")
                .arg(outcome.unreadableCells.size())
                .arg(EepromDataFile::kCells)
                .arg(EepromTransfer::nameNumbers(QStringLiteral("cell"), QStringLiteral("cells"),
                                                 outcome.unreadableCells),
                     whyTheRestFailed(outcome, QStringLiteral("read")), outcome.incompletePath,
                     path,
                     outcome.targetExisted ? QStringLiteral("changed") : QStringLiteral("written")),
            kMemoryAccess};
    case SaveOutcome::Status::Failed:
    case SaveOutcome::Status::Cancelled:
        break;
    }
    return {QStringLiteral("Saving data in file failed!"), kMemoryAccess};
}

namespace {

// The lines of a write-back that hold no cell: which ones, and that the
// cells of all others were written unless a write failed.
QString skippedLinesSentence(const WriteOutcome& outcome, const QString& path)
{
    const qsizetype count = outcome.skippedLines.size();
    QString text =
        QStringLiteral("%1 %2 of %3 %4 skipped (not an address and a value from 0 to "
                       "255): %5")
            .arg(count)
            .arg(count == 1 ? QStringLiteral("line") : QStringLiteral("lines"), path,
                 count == 1 ? QStringLiteral("was") : QStringLiteral("were"),
                 EepromTransfer::nameNumbers(QStringLiteral("line"), QStringLiteral("lines"),
                                             outcome.skippedLines));
    if (!outcome.failedCells.isEmpty())
        return text + QLatin1Char('.');
    return text + (outcome.writes == 0 ? QStringLiteral("; no cell was written.")
                                       : QStringLiteral("; all other cells were written."));
}

} // namespace

TransferMessage resultMessage(const WriteOutcome& outcome, const QString& path)
{
    switch (outcome.status) {
    case WriteOutcome::Status::Written: {
        QStringList sentences;
        if (!outcome.failedCells.isEmpty()) {
            sentences.append(QStringLiteral("Writing into EEPROM was not complete: %1 of %2 "
                                            "writes failed (%3).")
                                 .arg(outcome.failedCells.size())
                                 .arg(outcome.writes)
                                 .arg(EepromTransfer::nameNumbers(QStringLiteral("cell"),
                                                                  QStringLiteral("cells"),
                                                                  outcome.failedCells)));
            const QString why = whyTheRestFailed(outcome, QStringLiteral("written"));
            if (!why.isEmpty())
                sentences.append(why.trimmed());
        }
        if (!outcome.skippedLines.isEmpty())
            sentences.append(skippedLinesSentence(outcome, path));
        if (sentences.isEmpty())
            return {QStringLiteral("Data have been written into EEPROM successfully."),
                    kMemoryAccess};
        return {sentences.join(QLatin1Char(' ')), kMemoryAccess};
    }
    case WriteOutcome::Status::NothingToWrite:
        return {QStringLiteral("Nothing to write: File: %1 holds no EEPROM data.").arg(path),
                kMemoryAccess};
    case WriteOutcome::Status::Failed:
    case WriteOutcome::Status::Cancelled:
        break;
    }
    return {QStringLiteral("Writting into EEPROM failed!"), kMemoryAccess};
}
