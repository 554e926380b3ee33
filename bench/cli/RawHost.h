#pragma once
// The least a host can do: the same request-and-answer exchanges as the
// tool, written and read straight on the device with no control in between.
// Its time is the floor that the simulator's pacing allows.
#include <QByteArray>
#include <QString>

class RawHost {
public:
    explicit RawHost(const QString& device);
    ~RawHost();
    bool isOpen() const { return m_fd >= 0; }

    // Sends the command and returns the answer line without its line end;
    // an empty result when none came within the control's command time.
    QByteArray exchange(const QByteArray& command);

private:
    int m_fd = -1;
};
