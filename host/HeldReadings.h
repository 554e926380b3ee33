#pragma once
// A stream of single readings, held until the line proves in step. A
// reading of a module that moves cannot be confirmed by reading it again,
// and one extra line on the way (an answer repeated late, one cut in two)
// puts every later answer on the next request: an X reading in place of a
// Y one, a temperature in place of a reading, each of a good shape. Rows
// are handed on only when the version request, whose answer no other
// request brings, is answered by the version and the session found the
// line out of step neither meanwhile nor while they were read; the rows of
// a span that cannot be shown so are let go and counted, never handed on.
#include <QList>
#include <QString>
#include <QtGlobal>

#include <utility>

class ControlSession;

class HeldReadings {
public:
    // A row waits this long at most while readings follow one another
    // without a pause (a stream that pauses proves its rows in the pause),
    // and no more rows than this wait together: a sign of a shifted line
    // lets go all of them, which on a quick line must not be many.
    static constexpr qint64 kLongestHoldMs = 250;
    static constexpr qsizetype kMostRowsHeld = 64;

    struct Row {
        qint64 timeMs = 0;
        QString x;
        QString y;
        QString temperature; // as the module sent it, when read with this row
    };

    // For the session's readings from now on.
    explicit HeldReadings(ControlSession& session);

    // A row just read: held, or let go with those held when the session
    // found the line out of step since the last row.
    void add(Row row);
    bool isEmpty() const { return m_rows.isEmpty(); }
    qsizetype size() const { return m_rows.size(); }
    // Whether the rows held must be proved now: the oldest, read at its
    // timeMs, has waited long enough by nowMs, or there are enough of them.
    bool due(qint64 nowMs) const
    {
        return !isEmpty() &&
               (nowMs - m_rows.first().timeMs >= kLongestHoldMs || size() >= kMostRowsHeld);
    }
    // The rows held, once the line proves in step; none when it does not.
    // Empties the hold either way. Throws ControlError when the version
    // does not come (the rows are let go).
    QList<Row> release();
    // Rows let go since the last call.
    qint64 takeLetGo() { return std::exchange(m_letGo, 0); }

private:
    bool stayedInStep();

    ControlSession& m_session;
    qint64 m_timesOutOfStep;
    QList<Row> m_rows;
    qint64 m_letGo = 0;
};
