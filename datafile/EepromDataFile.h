#pragma once
// The EEPROM data file: a header line "Address" TAB "Value", then one line
// per cell, "n" TAB value, every line ended by CR LF. Plain 8-bit text.
#include "BoundedFile.h"
#include "ModuleLimits.h"

#include <QByteArray>
#include <QSaveFile>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

namespace EepromDataFile {

using tk28950::kCells;
// Files longer than these are refused when read: no EEPROM file comes
// close. A file as large as the byte bound is refused before it is read.
constexpr int kMaxLines = 32767;
constexpr qint64 kMaxBytes = 1024 * 1024;

QString headerLine(); // "Address\tValue"

// True for a cell value as the module reports it: a decimal from 0 to 255.
bool IsCellValue(const QString& text);

// Lines of a file, split at CR LF, lone CR or lone LF, without terminators;
// a UTF-8 byte order mark at its start is skipped. Only a regular file
// within the bounds above is read.
bool ReadLines(const QString& path, QStringList* lines, QString* error);
// The lines of input already read within the byte bound, or *error with why
// it was not read or has too many lines.
bool LinesOf(const component::BoundedFile& input, QStringList* lines, QString* error);
QStringList SplitLines(const QByteArray& text);

// The whole file for these values (values[n] is cell n): the header and one
// line per value, CR LF after every line, in 8-bit text.
QByteArray Format(const QStringList& values);

// Opens file for writing. Unbuffered, so that a write that the disk or a
// size limit cuts short is seen as such (a buffered one could be committed
// truncated).
bool OpenForWriting(QSaveFile* file, QString* error);
// Writes content and, when all of it was written, replaces the old file.
bool WriteAndCommit(QSaveFile* file, const QByteArray& content, QString* error);

// Writes the header and one line per value (values[n] is cell n), CR LF after
// every line, through QSaveFile: the old file is replaced only when everything
// was written.
bool Write(const QString& path, const QStringList& values, QString* error);

struct Cell {
    int address;
    int value;
    int line; // 1-based line number
};

// What one line of a data file holds.
enum class LineKind {
    Skip,   // a header line ("address" prefix, any case, leading blanks) or an empty line
    Cell,   // "address<TAB or space>value", both decimals from 0 to 255
    Invalid // anything else
};
// Classifies one line; for LineKind::Cell fills *cell (its line number is left alone).
LineKind ParseLine(const QString& line, Cell* cell);

// Every line that is not a header and not empty must be a cell; otherwise
// returns false and *error names the first offending line. A cell named
// twice is refused as RemoveRepeats() does.
bool ParseCells(const QStringList& lines, QVector<Cell>* cells, QString* error);

// A file names each cell once: a cell named again with the same value is
// dropped from *cells (it is written once); with another value, returns
// false and *error names both lines.
bool RemoveRepeats(QVector<Cell>* cells, QString* error);
// For a file whose lines are written one by one: the numbers (from 1) of
// the lines that repeat a cell with the same value, which are not written
// again; false, as RemoveRepeats(), when a cell is named with two values.
// Lines that hold no cell are left to the caller.
bool FindRepeats(const QStringList& lines, QSet<int>* repeatLines, QString* error);

} // namespace EepromDataFile
