#include "CModule.h"

#include "link/ModuleOwner.h"
#include "resources/MessageTable.h"

#include <utility>

CModule::CModule() = default;

CModule::~CModule() = default;

bool CModule::Signal(int index) const
{
    return index >= 1 && index <= 4 && m_bSignal[index - 1];
}

bool CModule::RequestInProgress() const
{
    return m_requestDepth > 0;
}

QString CModule::BusyText()
{
    return QStringLiteral("TK28950 busy: another request is still waiting for its answer");
}

bool CModule::BeginRequest()
{
    const bool parserResend = std::exchange(m_parserResend, false);
    if (RequestInProgress() && !parserResend)
        return false;
    ++m_requestDepth;
    if (m_pControl)
        m_pControl->SetEventsEnabled(false);
    return true;
}

// The gate opens when the outermost request ends: a resend that the parser
// runs inside a request must not open it under the request still waiting.
void CModule::EndRequest()
{
    if (m_requestDepth > 0)
        --m_requestDepth;
    if (m_requestDepth == 0 && m_pControl)
        m_pControl->SetEventsEnabled(true);
}

QString CModule::TextRequest(const std::function<QString()>& body)
{
    if (!IsLinked())
        return LoadMessage(Msg::NotInitialized);
    if (m_pControl->TimedOut())
        return LoadMessage(Msg::TimeOut);
    if (!BeginRequest())
        return BusyText();
    const QString result = body();
    EndRequest();
    return m_pControl->TimedOut() ? LoadMessage(Msg::TimeOut) : result;
}

qint16 CModule::NumberRequest(const std::function<qint16()>& body)
{
    if (!IsLinked() || m_pControl->TimedOut() || !BeginRequest())
        return 0;
    const qint16 result = body();
    EndRequest();
    return m_pControl->TimedOut() ? 0 : result;
}
