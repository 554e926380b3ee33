#pragma once

#include <QObject>

class QSocketNotifier;

// A single-shot timer with nanosecond resolution (a timerfd watched by the
// event loop). Pacing at 38400 baud needs waits of a fraction of a
// millisecond, finer than QTimer's milliseconds; like QTimer it costs nothing
// while it is not running.
class PreciseTimer : public QObject {
    Q_OBJECT
public:
    explicit PreciseTimer(QObject* parent = nullptr);
    ~PreciseTimer() override;

    void start(qint64 waitNs);
    void stop();

signals:
    void timeout();

private:
    void expire();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
