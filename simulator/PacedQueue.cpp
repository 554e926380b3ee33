#include "PacedQueue.h"

#include "Clock.h"

#include <algorithm>

PacedQueue::PacedQueue(qint64 byteTimeNs, QObject* parent)
    : QObject(parent), m_byteTimeNs(byteTimeNs)
{
    connect(&m_timer, &PreciseTimer::timeout, this, &PacedQueue::releaseDue);
}

void PacedQueue::push(const QByteArray& bytes, qint64 notBeforeNs)
{
    for (char byte : bytes) {
        m_wireFreeNs = std::max(notBeforeNs, m_wireFreeNs) + m_byteTimeNs;
        m_bytes.push_back({byte, m_wireFreeNs});
    }
    releaseDue();
}

void PacedQueue::clear()
{
    m_bytes.clear();
    m_wireFreeNs = 0;
    m_timer.stop();
}

void PacedQueue::releaseDue()
{
    const qint64 now = Clock::nowNs();
    QByteArray due;
    qint64 lastArrivalNs = 0;
    while (!m_bytes.empty() && m_bytes.front().arrivalNs <= now) {
        due.append(m_bytes.front().byte);
        lastArrivalNs = m_bytes.front().arrivalNs;
        m_bytes.pop_front();
    }
    armTimer();
    if (!due.isEmpty())
        emit released(due, lastArrivalNs); // may push or clear reentrantly: the queue is consistent
}

void PacedQueue::armTimer()
{
    if (m_bytes.empty()) {
        m_timer.stop();
        return;
    }
    m_timer.start(m_bytes.front().arrivalNs - Clock::nowNs());
}
