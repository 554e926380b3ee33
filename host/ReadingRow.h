#pragma once
// The CSV form of X and Y readings over time, "time_ms,x,y" and optionally
// the temperature in degrees Centigrade: the columns the command-line
// tool's monitor prints and the live view records, so that one script reads
// both.
#include <QString>
#include <QtGlobal>

namespace ReadingRow {

QString header(bool withTemperature = false);
// The readings as the module sent them ("+01.250").
QString row(qint64 timeMs, const QString& x, const QString& y);
QString row(qint64 timeMs, const QString& x, const QString& y, const QString& temperature);

} // namespace ReadingRow
