#pragma once
// Turns command-line texts into the values the control's members take, and
// refuses what does not convert before anything is sent to the module.
#include "Variant.h"

#include <QString>

namespace ArgumentConversion {

// Converts text to the interface type named by type ("text", "short",
// "boolean", "byte", ...). Throws a usage ToolError that starts with what.
component::Variant toType(const QString& text, const QString& type, const QString& what);

// An EEPROM address or cell value: a decimal number from 0 to 255.
int toCellNumber(const QString& text, const QString& what);

// A whole number from minimum to maximum, for the tool's own options.
int toInteger(const QString& text, int minimum, int maximum, const QString& what);

} // namespace ArgumentConversion
