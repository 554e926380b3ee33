#pragma once
// What a subcommand's handler works with: its arguments and options, the
// output, and the module session, created only when the handler asks, so
// that everything a handler checks before asking costs no traffic.
#include "CommandSpec.h"
#include "ModuleSession.h"
#include "Output.h"

#include <memory>

class CommandContext {
public:
    CommandContext(const Invocation& invocation, const Output& output);
    ~CommandContext();

    QString name() const { return m_invocation.command->name; }
    QString argument(int index) const { return m_invocation.arguments.value(index); }
    QStringList arguments() const { return m_invocation.arguments; }
    bool hasOption(const QString& name) const { return m_invocation.options.contains(name); }
    QString option(const QString& name) const { return m_invocation.options.value(name); }
    const GlobalOptions& global() const { return m_invocation.global; }
    const Output& output() const { return m_output; }

    // The control, created but with its port still closed.
    ModuleSession& session();
    // The control with its port open, ready for traffic.
    ModuleSession& module();
    // A session of its own on another device, with the same options.
    std::unique_ptr<ModuleSession> sessionOn(const QString& device) const;

private:
    SessionOptions sessionOptions() const;

    const Invocation& m_invocation;
    const Output& m_output;
    std::unique_ptr<ModuleSession> m_session;
};
