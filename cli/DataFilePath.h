#pragma once
// Where the EEPROM commands read and write their data files. "-" stands for
// standard input (restore, diff) or standard output (dump). A regular file is
// replaced as a whole through a save-and-rename; a stream (standard output,
// a pipe, a device, a descriptor such as /dev/stdout) cannot be renamed over
// and is written directly.
#include "BoundedFile.h"

#include <QByteArray>
#include <QString>

namespace DataFilePath {

// How messages name the file: "standard input" / "standard output" for "-".
QString describe(const QString& path, bool output);

// The whole of the file at path ("-": the process's standard input), read
// within maxBytes.
component::BoundedFile read(const QString& path, qint64 maxBytes);

// True when writing to path reaches this process's standard output: "-",
// or a name of the same open file, such as /dev/stdout.
bool isStandardOutput(const QString& path);

// True when path is to be written directly rather than replaced.
bool isStream(const QString& path);

// Writes content to a stream in one go; false and *error when not all of it
// could be written.
bool writeStream(const QString& path, const QByteArray& content, QString* error);

} // namespace DataFilePath
