#pragma once

#include "PreciseTimer.h"

#include <QByteArray>
#include <QObject>

#include <deque>

// Bytes travelling over a serial line: each byte takes one byte time on the
// wire (zero for an unpaced line) and none starts before the time it was
// queued for. Bytes are released, in order, once they have fully crossed;
// a timer waits for the next one, so an idle queue costs nothing.
class PacedQueue : public QObject {
    Q_OBJECT
public:
    explicit PacedQueue(qint64 byteTimeNs, QObject* parent = nullptr);

    // Times in nanoseconds of the simulator's clock.
    void push(const QByteArray& bytes, qint64 notBeforeNs);
    void clear();

signals:
    // The bytes that have crossed, and the time the last of them finished
    // crossing: the moment the far end had them, however late the timer
    // that released them fired.
    void released(const QByteArray& bytes, qint64 lastArrivalNs);

private:
    void releaseDue();
    void armTimer();

    struct TimedByte {
        char byte;
        qint64 arrivalNs;
    };
    std::deque<TimedByte> m_bytes;
    qint64 m_byteTimeNs;
    qint64 m_wireFreeNs = 0;
    PreciseTimer m_timer;
};
