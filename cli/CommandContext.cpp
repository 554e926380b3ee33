#include "CommandContext.h"

CommandContext::CommandContext(const Invocation& invocation, const Output& output,
                               std::function<void(const ToolError&)> abandon)
    : m_invocation(invocation), m_output(output), m_abandon(std::move(abandon))
{
}

CommandContext::~CommandContext() = default;

ModuleSession& CommandContext::session()
{
    if (!m_session) {
        SessionOptions options;
        options.port = global().port;
        options.device = global().device;
        options.timeoutMs = global().timeoutMs;
        options.retries = global().retries;
        options.verbose = global().verbose;
        options.abandon = m_abandon;
        m_session = std::make_unique<ModuleSession>(options);
    }
    return *m_session;
}

ModuleSession& CommandContext::module()
{
    ModuleSession& opened = session();
    opened.open();
    return opened;
}
