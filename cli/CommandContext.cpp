#include "CommandContext.h"

CommandContext::CommandContext(const Invocation& invocation, const Output& output)
    : m_invocation(invocation), m_output(output)
{
}

CommandContext::~CommandContext() = default;

SessionOptions CommandContext::sessionOptions() const
{
    SessionOptions options;
    options.port = global().port;
    options.device = global().device;
    options.timeoutMs = global().timeoutMs;
    options.retries = global().retries;
    options.verbose = global().verbose;
    options.singleRead = global().singleRead;
    return options;
}

ModuleSession& CommandContext::session()
{
    if (!m_session)
        m_session = std::make_unique<ModuleSession>(sessionOptions());
    return *m_session;
}

std::unique_ptr<ModuleSession> CommandContext::sessionOn(const QString& device) const
{
    SessionOptions options = sessionOptions();
    options.port.reset();
    options.device = device;
    return std::make_unique<ModuleSession>(options);
}

ModuleSession& CommandContext::module()
{
    ModuleSession& opened = session();
    opened.open();
    return opened;
}
