#include "PacedQueue.h"

#include "Clock.h"

#include <algorithm>

namespace
{
constexpr qint64 NsPerMs = 1000000;
}

PacedQueue::PacedQueue(qint64 byteTimeNs, QObject* parent)
    : QObject(parent), m_byteTimeNs(byteTimeNs)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PacedQueue::releaseDue);
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
    while (!m_bytes.empty() && m_bytes.front().arrivalNs <= now) {
        due.append(m_bytes.front().byte);
        m_bytes.pop_front();
    }
    armTimer();
    if (!due.isEmpty())
        emit released(due); // may push or clear reentrantly: the queue is consistent here
}

void PacedQueue::armTimer()
{
    if (m_bytes.empty()) {
        m_timer.stop();
        return;
    }
    const qint64 waitNs = m_bytes.front().arrivalNs - Clock::nowNs();
    m_timer.start(static_cast<int>(std::max<qint64>(1, (waitNs + NsPerMs - 1) / NsPerMs)));
}
