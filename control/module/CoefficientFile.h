#pragma once
// The coefficient file: one axis's table of 56 calibration values, each a
// decimal from 0 to 255, separated by blanks, tabs or line ends. Tokens
// after the 56th are not read. Read by the control's loader and checked by
// the command-line tool before it connects, by the same rules.
#include "CellMap.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace CoefficientFile {

constexpr int kValues = CellMap::kCoefCount;
// A token longer than this is refused whatever it holds.
constexpr int kMaxTokenLength = 15;
// 56 values take a few hundred bytes; a file larger than this is refused
// before it is read.
constexpr qint64 kMaxBytes = 64 * 1024;

using Values = std::array<int, kValues>;

struct Table {
    enum class Status {
        Read,       // values holds the table
        Unreadable, // missing, unreadable, or a folder
        Refused,    // a device, FIFO or socket, or a file far too large
        Invalid,    // too few values, or a token that is no value
    };
    Status status = Status::Unreadable;
    Values values{};
    QString problem; // why the table was not read, for a message
};

// Why a token is no coefficient, quoting it; the empty text when it is one.
// number counts the tokens from 1.
QString TokenProblem(int number, const QByteArray& token);

// The table the text holds; a UTF-8 byte order mark at its start is skipped.
Table Parse(const QByteArray& text);
// The table in the file at path, read with the bound above.
Table Read(const QString& path);

} // namespace CoefficientFile
