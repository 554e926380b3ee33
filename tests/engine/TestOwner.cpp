#include "TestOwner.h"

#include "resources/MessageTable.h"

#include <QDeadlineTimer>
#include <QEventLoop>

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        RunEventsFor(5);
    return done();
}

void RunEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"' << QString::fromLatin1(bytes.toPercentEncoding(" ,.+-:")).toStdString() << '"';
}

void PrintTo(const HostEvent& event, std::ostream* os)
{
    *os << event.name.toStdString() << "(\"" << event.text.toStdString() << "\")";
}

int Occurrences(const QByteArray& haystack, const QByteArray& needle)
{
    int count = 0;
    for (qsizetype at = haystack.indexOf(needle); at >= 0; at = haystack.indexOf(needle, at + 1))
        ++count;
    return count;
}

TestOwner::TestOwner()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { OnTimer(); });
    QObject::connect(&comm, &CMSComm::OnComm, [this] {
        if (comm.CommEvent() == CMSComm::kEventReceive)
            module.OnBytesReceived(comm.Input());
    });
}

TestOwner::~TestOwner() = default;

bool TestOwner::Open(const QString& device)
{
    qputenv("TK28950_PORT_9", device.toLocal8Bit());
    const bool opened = comm.Create() && comm.SetCommPort(9) &&
                        comm.SetSettings(QStringLiteral("38400,n,8,1")) && comm.SetRThreshold(1) &&
                        comm.SetSThreshold(1) && comm.SetInputMode(1) && comm.SetPortOpen(true);
    if (!opened)
        return false;
    comm.Input();
    module.SetComm(&comm);
    module.SetInitialised(true);
    module.SetControl(this);
    m_clock.start();
    return true;
}

void TestOwner::Reinitialise()
{
    m_timedOut = false;
    module.ResetLink();
}

bool TestOwner::StartCommandTimer(int ms)
{
    m_timer.start(ms);
    return true;
}

void TestOwner::StopCommandTimer()
{
    m_timer.stop();
}

bool TestOwner::CommandTimerActive() const
{
    return m_timer.isActive();
}

void TestOwner::ShowMessage(const QString& text, const QString&)
{
    messages << text;
}

void TestOwner::HandleReplyCode(int code, const QString& reply)
{
    codes << code;
    if (!m_eventsEnabled)
        return;
    switch (code) {
    case CModuleLink::kCompleted:
        if (!reply.isEmpty())
            Raise(QStringLiteral("DataReady"), reply);
        break;
    case CModuleLink::kUnpaired:
        Raise(QStringLiteral("ErrorComm"), reply);
        break;
    case CModuleLink::kXReading:
        Raise(QStringLiteral("XReady"), reply);
        break;
    case CModuleLink::kYReading:
        Raise(QStringLiteral("YReady"), reply);
        break;
    case CModuleLink::kCommError:
        Raise(QStringLiteral("ErrorComm"), LoadMessage(Msg::CommError));
        break;
    default:
        break;
    }
}

void TestOwner::RaiseDataReady(const QString& text)
{
    Raise(QStringLiteral("DataReady"), text);
}

void TestOwner::Raise(const QString& name, const QString& text)
{
    const HostEvent event{name, text};
    events << event;
    if (onEvent)
        onEvent(event);
}

void TestOwner::OnTimer()
{
    m_timer.stop();
    m_timedOut = true;
    timedOutAtMs = m_clock.elapsed();
    Raise(QStringLiteral("DataReady"), LoadMessage(Msg::TimeOut));
    module.OnCommandTimeout();
}
