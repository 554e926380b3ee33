#include "ReadingLoop.h"

#include "AnswerShape.h"
#include "ControlError.h"
#include "ControlTexts.h"
#include "ModuleAnswers.h"
#include "SerialPorts.h"
#include "TK28950Dispids.h"

#include <QTimer>

#include <functional>

namespace {

// A freshly opened line may still hold answers meant for an earlier host;
// they go by before the version's answer, which no other request brings.
constexpr int kVersionAttempts = 3;

QString withHint(const QString& reason)
{
    const QString hint = SerialPorts::openFailureHint(reason);
    return hint.isEmpty() ? reason : QStringLiteral("%1; %2").arg(reason, hint);
}

} // namespace

ReadingLoop::ReadingLoop(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ReadingLoop::step);
}

ReadingLoop::~ReadingLoop() = default;

QString ReadingLoop::open(const QString& device, int port)
{
    close();
    if (m_session)
        throw ControlError(QStringLiteral("the port is still busy with a reading"));
    const QString where = device.isEmpty() ? QStringLiteral("port %1").arg(port) : device;
    auto session = std::make_unique<ControlSession>();
    try {
        if (device.isEmpty())
            session->open(port);
        else
            session->open(device);
    } catch (const ControlError& error) {
        throw ControlError(withHint(error.message()));
    }
    QString failure = QStringLiteral("the answers are not the module's version");
    for (int attempt = 1; attempt <= kVersionAttempts; ++attempt) {
        try {
            const Answer answer = session->request(tk28950::dispid::Version);
            if (answer.event == AnswerEvent::DataReady && AnswerShape::isVersion(answer.text)) {
                m_session = std::move(session);
                m_held.emplace(*m_session);
                m_clock.start();
                return answer.text;
            }
        } catch (const ControlError& error) {
            failure = error.message();
            break;
        }
    }
    throw ControlError(QStringLiteral("no module answers on %1: %2").arg(where, failure));
}

void ReadingLoop::start(int intervalMs)
{
    if (!m_session)
        return;
    m_intervalMs = intervalMs;
    m_nextDueMs = m_clock.elapsed();
    m_nextTemperatureMs = m_nextDueMs;
    m_failuresInRow = 0;
    m_lost = false;
    m_running = true;
    if (!m_inStep)
        m_timer.start(0);
}

void ReadingLoop::close()
{
    m_running = false;
    m_timer.stop();
    if (m_inStep) {
        m_closeAfterStep = true;
        return;
    }
    m_held.reset();
    m_session.reset();
}

// The requests run the event loop while they wait, so the window stays
// live; what it asks for meanwhile (stop, close, start) takes effect when
// the step is over. The rows held are passed on in a pause, when the
// readings stop, or when the oldest has waited long enough.
void ReadingLoop::step()
{
    if (!m_running || m_inStep)
        return;
    onTheLine([this] {
        try {
            readRow();
            m_failuresInRow = 0;
        } catch (const ControlError& error) {
            fail(error.message());
        }
        // A late reading is followed from now on, without a burst to catch up.
        m_nextDueMs = std::max(m_nextDueMs + m_intervalMs, m_clock.elapsed());
        pass(!m_running || m_nextDueMs > m_clock.elapsed());
    });
    if (m_running)
        m_timer.start(int(std::max<qint64>(0, m_nextDueMs - m_clock.elapsed())));
}

void ReadingLoop::stop()
{
    m_running = false;
    m_timer.stop();
    if (!m_inStep && m_session)
        onTheLine([this] { pass(true); });
}

// Runs work that talks to the module as one step; a close asked for
// meanwhile follows it.
void ReadingLoop::onTheLine(const std::function<void()>& work)
{
    m_inStep = true;
    work();
    m_inStep = false;
    if (m_closeAfterStep) {
        m_closeAfterStep = false;
        close();
    }
}

// Hands on the rows held once the line proves in step, when a pause
// follows or they have waited long enough; tells those let go.
void ReadingLoop::pass(bool pauseFollows)
{
    if (!m_lost && (pauseFollows || m_held->due(m_clock.elapsed()))) {
        try {
            for (const HeldReadings::Row& row : m_held->release()) {
                if (!row.temperature.isEmpty())
                    Q_EMIT temperature(
                        ModuleAnswers::degreesText(row.temperature.toDouble(), false));
                Q_EMIT reading(row.timeMs, row.x, row.y);
            }
        } catch (const ControlError& error) {
            fail(error.message());
        }
    }
    if (const qint64 letGo = m_held->takeLetGo(); letGo > 0)
        Q_EMIT rejected(
            QStringLiteral("%1 readings of X and Y let go: the line was out of step").arg(letGo));
}

void ReadingLoop::fail(const QString& reason)
{
    const bool gone = reason == ControlTexts::kDeviceDisconnected;
    if (!gone && ++m_failuresInRow < kFailuresBeforeLost) {
        Q_EMIT rejected(reason);
        return;
    }
    m_closeAfterStep = true;
    m_running = false;
    m_lost = true;
    Q_EMIT lost(gone ? QStringLiteral("the device was disconnected")
                     : QStringLiteral("the module stopped answering: %1").arg(reason));
}

// The temperature, when it is due, then X and Y: one row, held.
void ReadingLoop::readRow()
{
    HeldReadings::Row row;
    row.timeMs = m_clock.elapsed();
    if (row.timeMs >= m_nextTemperatureMs)
        row.temperature = readTemperature();
    using Axis = ControlSession::Axis;
    using Readings = ControlSession::Readings;
    row.x = m_session->reading(Axis::X, QStringLiteral("X reading"), Readings::Single);
    row.y = m_session->reading(Axis::Y, QStringLiteral("Y reading"), Readings::Single);
    m_held->add(std::move(row));
}

QString ReadingLoop::readTemperature()
{
    m_nextTemperatureMs = m_clock.elapsed() + kTemperatureEveryMs;
    return m_session->temperatureTenths(QStringLiteral("temperature"),
                                        ControlSession::Readings::Single);
}
