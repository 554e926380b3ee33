#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

// Counts the hosts that have the terminal device open, from the open and
// close notifications of the file system. When the count cannot be kept
// (the device cannot be watched), a host is always taken to be present.
class HostWatch : public QObject {
    Q_OBJECT
public:
    explicit HostWatch(QObject* parent = nullptr);
    ~HostWatch() override;

    // Call before any host can have opened the device.
    void watch(const QString& devicePath);
    bool hostPresent() const;
    // Takes in the notifications that are waiting; emits allClosed when the
    // last host has closed the device.
    void update();

signals:
    void allClosed();

private:
    int m_inotify = -1;
    int m_openCount = 0;
    QSocketNotifier* m_notifier = nullptr;
};
