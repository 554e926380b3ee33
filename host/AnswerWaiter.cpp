#include "AnswerWaiter.h"

#include "ControlClient.h"
#include "ControlTexts.h"

#include <QEventLoop>
#include <QTimer>

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

std::optional<Answer> AnswerWaiter::wait(int timeoutMs)
{
    if (m_answer)
        return m_answer;
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    bound.setTimerType(Qt::PreciseTimer);
    connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    bound.start(timeoutMs);
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
    return m_answer;
}

void AnswerWaiter::take(AnswerEvent event, const QString& text)
{
    if (event == AnswerEvent::DataReady && text == ControlTexts::kTimeOut)
        m_controlTimedOut = true;
    if (event == AnswerEvent::ErrorComm && text == ControlTexts::kDeviceDisconnected)
        m_disconnected = true;
    if (m_answer)
        return;
    m_answer = Answer{event, text};
    if (m_loop)
        m_loop->quit();
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
