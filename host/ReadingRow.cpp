#include "ReadingRow.h"

namespace ReadingRow {

QString header(bool withTemperature)
{
    return withTemperature ? QStringLiteral("time_ms,x,y,temperature_c")
                           : QStringLiteral("time_ms,x,y");
}

QString row(qint64 timeMs, const QString& x, const QString& y)
{
    return QStringLiteral("%1,%2,%3").arg(timeMs).arg(x, y);
}

QString row(qint64 timeMs, const QString& x, const QString& y, const QString& temperature)
{
    return row(timeMs, x, y) + ',' + temperature;
}

} // namespace ReadingRow
