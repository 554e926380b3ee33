#pragma once
// The two EEPROM file transfers: all cells of the module into an EEPROM data
// file, and such a file back into the module, with a progress bar.
#include "TransferTiming.h"

#include <QString>
#include <QStringList>
#include <QVector>

class MemoryTransferLink;
class QProgressBar;

struct SaveOutcome {
    enum class Status { Saved, Incomplete, Failed, Cancelled };
    Status status = Status::Failed;
    QVector<int> unreadableCells; // addresses, ascending
    bool moduleLost = false;      // the module stopped answering; the rest was not read
    bool deviceLost = false;      // the device went away; the rest was not read
    QString incompletePath;       // where the data of an incomplete save went
    bool targetExisted = false;   // a file was under the path before the save
};

struct WriteOutcome {
    enum class Status { Written, NothingToWrite, Failed, Cancelled };
    Status status = Status::Failed;
    int writes = 0;            // cell records of the file
    QVector<int> failedCells;  // addresses of the records not acknowledged, in file order
    QVector<int> skippedLines; // line numbers of lines that are not an address and a value
    bool moduleLost = false;   // the module stopped answering; the rest was not written
    bool deviceLost = false;   // the device went away; the rest was not written
};

// The message that ends a transfer, and its title.
struct TransferMessage {
    QString text;
    QString title;
};
TransferMessage resultMessage(const SaveOutcome& outcome, const QString& path);
TransferMessage resultMessage(const WriteOutcome& outcome, const QString& path);

class EepromTransfer {
public:
    EepromTransfer(MemoryTransferLink* link, QProgressBar* progress, ShowMessage showMessage);

    // Reads every cell and saves them under filePath. The previous file is
    // replaced only when every cell was read, and the data of an earlier
    // incomplete save beside it are removed; otherwise the data go to
    // filePath + ".incomplete" and the previous file stays.
    SaveOutcome SaveEEPROMToFile(const QString& filePath);
    // Writes every cell record of the file at filePath into the module.
    WriteOutcome WriteFileToEEPROM(const QString& filePath);
    // The lines of a file; false (after telling the operator) when it cannot be read.
    bool ReadTXTFileContents(const QString& fileName, QStringList* lines);

    static QString incompletePathFor(const QString& filePath);
    // The first ten numbers after their noun ("cell 4", "cells 3, 7 and 9"),
    // then how many more.
    static QString nameNumbers(const QString& singular, const QString& plural,
                               const QVector<int>& numbers);

private:
    QString readCell(int address);
    void showProgress(int maximum);
    void reportFileFailure(const QString& path, const QString& description);

    MemoryTransferLink* m_link;
    QProgressBar* m_progress;
    ShowMessage m_showMessage;
};
