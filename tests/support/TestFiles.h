#pragma once
// Whole-file reads and writes for tests.
#include <QByteArray>
#include <QString>

// The file's bytes, or nothing when it cannot be read.
QByteArray readFileBytes(const QString& path);
// True when every byte was written.
bool writeFileBytes(const QString& path, const QByteArray& content);
