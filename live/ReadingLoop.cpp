#include "ReadingLoop.h"

#include "AnswerShape.h"
#include "ControlError.h"
#include "ControlTexts.h"
#include "ModuleAnswers.h"
#include "QuotedInput.h"
#include "SerialPorts.h"
#include "TK28950Dispids.h"

#include <QTimer>

namespace {

// A freshly opened line may still hold answers meant for an earlier host;
// they go by before the version's answer, which no other request brings.
constexpr int kVersionAttempts = 3;

// An answer that came but is not the reading asked for: the module is
// there, only this reading is not taken.
struct NotTaken {
    QString reason;
};

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
    m_running = true;
    if (!m_inStep)
        m_timer.start(0);
}

void ReadingLoop::close()
{
    m_running = false;
    m_timer.stop();
    if (m_inStep)
        m_closeAfterStep = true;
    else
        m_session.reset();
}

// The requests run the event loop while they wait, so the window stays
// live; what it asks for meanwhile (stop, close, start) takes effect when
// the step is over.
void ReadingLoop::step()
{
    if (!m_running || m_inStep)
        return;
    m_inStep = true;
    try {
        if (m_clock.elapsed() >= m_nextTemperatureMs)
            readTemperature();
        readPair();
        m_failuresInRow = 0;
    } catch (const NotTaken& answer) {
        Q_EMIT rejected(answer.reason);
    } catch (const ControlError& error) {
        fail(error.message());
    }
    m_inStep = false;
    if (m_closeAfterStep) {
        m_closeAfterStep = false;
        close();
    }
    if (!m_running)
        return;
    // A late reading is followed from now on, without a burst to catch up.
    m_nextDueMs = std::max(m_nextDueMs + m_intervalMs, m_clock.elapsed());
    m_timer.start(int(std::max<qint64>(0, m_nextDueMs - m_clock.elapsed())));
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
    Q_EMIT lost(gone ? QStringLiteral("the device was disconnected")
                     : QStringLiteral("the module stopped answering: %1").arg(reason));
}

void ReadingLoop::readPair()
{
    const qint64 timeMs = m_clock.elapsed();
    const QString x = readAxis(true);
    const QString y = readAxis(false);
    Q_EMIT reading(timeMs, x, y);
}

QString ReadingLoop::readAxis(bool x)
{
    const Answer answer =
        m_session->request(x ? tk28950::dispid::ReadXChan : tk28950::dispid::ReadYChan,
                           {component::Variant(std::uint8_t{0})});
    const AnswerEvent expected = x ? AnswerEvent::XReady : AnswerEvent::YReady;
    if (answer.event != expected || !AnswerShape::isSignedDecimal(answer.text))
        throw NotTaken{QStringLiteral("the answer %1 is not a %2 reading")
                           .arg(component::quotedInput(answer.text),
                                x ? QStringLiteral("X") : QStringLiteral("Y"))};
    return answer.text;
}

// Asked for as the module's own command, so that its very answer is
// checked: the control's temperature method turns any answer, an error
// included, into a number.
void ReadingLoop::readTemperature()
{
    m_nextTemperatureMs = m_clock.elapsed() + kTemperatureEveryMs;
    const Answer answer = m_session->request(tk28950::dispid::SendCMD, {QStringLiteral("e")});
    if (answer.event != AnswerEvent::DataReady || !AnswerShape::isSignedDecimal(answer.text))
        throw NotTaken{QStringLiteral("the answer %1 is not a temperature")
                           .arg(component::quotedInput(answer.text))};
    Q_EMIT temperature(ModuleAnswers::degreesText(answer.text.toDouble(), false));
}
