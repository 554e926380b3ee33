#pragma once
// Ctrl-C (SIGINT) and SIGTERM as a Qt signal, so that a long-running command
// ends its current step cleanly instead of dying in the middle of it.
#include <QObject>

class QSocketNotifier;

class InterruptSignal : public QObject {
    Q_OBJECT
public:
    InterruptSignal();
    ~InterruptSignal() override;
    bool raised() const { return m_raised; }

signals:
    void interrupted();

private:
    void take();

    QSocketNotifier* m_notifier = nullptr;
    bool m_raised = false;
};
