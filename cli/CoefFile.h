#pragma once
// A coefficient file checked before a load, by the rules the control's own
// loader reads it with: 56 values, each a decimal from 0 to 255.
#include "CoefficientFile.h"

#include <QString>

namespace CoefFile {

constexpr int kValues = CoefficientFile::kValues;

// Throws a file ToolError when the file cannot be read (or is no regular
// file, or larger than a coefficient file can be), a usage ToolError naming
// the token when it does not hold 56 good values.
void check(const QString& path);

} // namespace CoefFile
