#pragma once
// Input shown inside a message: a file's line, a token, a module's answer,
// a value typed by an operator. Whatever the input holds, the quote is one
// short line that is safe to print on a terminal or in a message box.
#include <QByteArray>
#include <QString>

namespace component {

// The longest part of the input a quote shows.
constexpr int kQuotedInputChars = 40;

// The input in double quotes, cut after kQuotedInputChars characters
// (followed by "..." outside the quotes when cut). Control characters, the
// backslash, the double quote and everything beyond ASCII are escaped:
// "\n", "\t", "\r", "\\", "\"", "\xNN" up to U+00FF, "\u{NNNN}" beyond.
QString quotedInput(const QString& input);
// Bytes are shown as 8-bit text: each byte is one character.
QString quotedInput(const QByteArray& input);

} // namespace component
