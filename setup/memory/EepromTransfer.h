#pragma once
// The two EEPROM file transfers: all cells of the module into an EEPROM data
// file, and such a file back into the module, with a progress bar.
#include "TransferTiming.h"

#include <QString>
#include <QStringList>

class MemoryTransferLink;
class QProgressBar;

struct SaveOutcome {
    enum class Status { Saved, Incomplete, Failed, Cancelled };
    Status status = Status::Failed;
    int unreadableCells = 0;
    QString incompletePath; // where the data of an incomplete save went
};

struct WriteOutcome {
    enum class Status { Written, NothingToWrite, Failed, Cancelled };
    Status status = Status::Failed;
    int writes = 0;       // records sent to the module
    int failedWrites = 0; // of those, writes the module did not acknowledge
    int skippedLines = 0; // lines that are not an address and a value from 0 to 255
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
    // replaced only when every cell was read; otherwise the data go to
    // filePath + ".incomplete" and the previous file stays.
    SaveOutcome SaveEEPROMToFile(const QString& filePath);
    // Writes every cell record of the file at filePath into the module.
    WriteOutcome WriteFileToEEPROM(const QString& filePath);
    // The lines of a file; false (after telling the operator) when it cannot be read.
    bool ReadTXTFileContents(const QString& fileName, QStringList* lines);

    static QString incompletePathFor(const QString& filePath);

private:
    QString readCell(int address);
    void showProgress(int maximum);
    void reportFileFailure(const QString& path, const QString& description);

    MemoryTransferLink* m_link;
    QProgressBar* m_progress;
    ShowMessage m_showMessage;
};
