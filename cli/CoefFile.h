#pragma once
// A coefficient file checked before a load: 56 values, each a decimal from
// 0 to 255, separated by blanks, tabs or line ends; later tokens are not used.
#include <QString>

namespace CoefFile {

constexpr int kValues = 56;

// Throws a file ToolError when the file cannot be read, a usage ToolError
// naming the token when it does not hold 56 good values.
void check(const QString& path);

} // namespace CoefFile
