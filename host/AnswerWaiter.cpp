#include "AnswerWaiter.h"

#include "ControlClient.h"
#include "ControlTexts.h"
#include "EventWait.h"

AnswerWaiter::AnswerWaiter(ControlClient& client)
{
    connect(&client, &ControlClient::dataReady, this,
            [this](const QString& text) { take(AnswerEvent::DataReady, text); });
    connect(&client, &ControlClient::errorComm, this,
            [this](const QString& text) { take(AnswerEvent::ErrorComm, text); });
    connect(&client, &ControlClient::xReady, this,
            [this](const QString& text) { take(AnswerEvent::XReady, text); });
    connect(&client, &ControlClient::yReady, this,
            [this](const QString& text) { take(AnswerEvent::YReady, text); });
}

void AnswerWaiter::arm()
{
    m_answer.reset();
    m_controlTimedOut = false;
}

std::optional<Answer> AnswerWaiter::wait(int timeoutMs, const std::function<bool()>& stop)
{
    EventWait::until([&] { return m_answer.has_value() || (stop && stop()); }, timeoutMs);
    return m_answer;
}

void AnswerWaiter::take(AnswerEvent event, const QString& text)
{
    if (event == AnswerEvent::DataReady && text == ControlTexts::kTimeOut)
        m_controlTimedOut = true;
    if (event == AnswerEvent::ErrorComm && text == ControlTexts::kDeviceDisconnected)
        m_disconnected = true;
    ++m_eventsSeen;
    if (!m_answer)
        m_answer = Answer{event, text};
}

QString AnswerWaiter::eventName(AnswerEvent event)
{
    switch (event) {
    case AnswerEvent::DataReady:
        return QStringLiteral("DataReady");
    case AnswerEvent::ErrorComm:
        return QStringLiteral("ErrorComm");
    case AnswerEvent::XReady:
        return QStringLiteral("XReady");
    case AnswerEvent::YReady:
        return QStringLiteral("YReady");
    }
    return {};
}

bool AnswerWaiter::staysQuiet(int quietMs, const std::function<bool()>& stop)
{
    if (quietMs <= 0)
        return true;
    const int seen = m_eventsSeen;
    EventWait::until([&] { return m_eventsSeen > seen || (stop && stop()); }, quietMs);
    return m_eventsSeen == seen;
}
