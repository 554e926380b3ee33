#pragma once
// Reads the module over and over: X then Y, each a request and the XReady or
// YReady that answers it, at a chosen interval or as fast as the line
// allows, and the temperature once a second. Only answers that are signed
// decimals are taken, and they are passed on only once the line proves in
// step after them (in a pause, or at least every quarter of a second);
// readings that cannot be shown to be their requests' answers are told and
// let go. A request that goes wrong is skipped (the session puts the line
// back in step before the next one); a device that went away, or a module
// that stopped answering, ends the loop.
#include "ControlSession.h"
#include "HeldReadings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class ReadingLoop : public QObject {
    Q_OBJECT
public:
    // Readings in a row without an answer after which the module counts as gone.
    static constexpr int kFailuresBeforeLost = 3;
    static constexpr int kTemperatureEveryMs = 1000;

    explicit ReadingLoop(QObject* parent = nullptr);
    ~ReadingLoop() override;

    // Opens the device (or, with an empty device, the numbered port) and asks
    // the module's version. Returns the version; throws ControlError with
    // the reason when there is no module to read.
    QString open(const QString& device, int port);
    // Reads until stop(), every intervalMs (0: one reading after another).
    void start(int intervalMs);
    void setIntervalMs(int intervalMs) { m_intervalMs = intervalMs; }
    // Stops reading after the reading under way and passes on the readings
    // held; the port stays open.
    void stop();
    // Stops and closes the port once the reading under way is over; the
    // readings still held are let go.
    void close();
    bool isOpen() const { return m_session != nullptr; }
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    // timeMs counts from open(); x and y as the module sent them.
    void reading(qint64 timeMs, const QString& x, const QString& y);
    // Degrees Centigrade.
    void temperature(const QString& degrees);
    // One request that brought no usable answer; the loop goes on.
    void rejected(const QString& reason);
    // The loop has ended and the port is closed; said once.
    void lost(const QString& reason);

private:
    void step();
    void readRow();
    QString readTemperature();
    void onTheLine(const std::function<void()>& work);
    void pass(bool pauseFollows);
    void fail(const QString& reason);

    std::unique_ptr<ControlSession> m_session;
    std::optional<HeldReadings> m_held;
    QElapsedTimer m_clock;
    QTimer m_timer; // the next step; one timer, so there is only ever one chain
    int m_intervalMs = 0;
    qint64 m_nextDueMs = 0;
    qint64 m_nextTemperatureMs = 0;
    int m_failuresInRow = 0;
    bool m_running = false;
    bool m_inStep = false;
    bool m_closeAfterStep = false;
    bool m_lost = false; // told; the rows held are let go
};
