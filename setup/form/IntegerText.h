#pragma once
// The two conversions of the setup boxes: a box's text to a signed 16-bit
// integer (rounded half to even, -32768 to 32767), and back to decimal text.
#include <QString>
#include <cstdint>
#include <optional>

std::optional<std::int16_t> integerFromText(const QString& text);
QString integerToText(std::int16_t value);

// What the operator is told when a box holds no such number.
QString notAnIntegerMessage(const QString& boxName, const QString& text);
