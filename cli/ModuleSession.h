#pragma once
// One control, one module: creates the control through the registry (or
// from the library beside the tool), opens the port on first need, and runs
// requests to their answer within the tool's bound.
#include "AnswerWaiter.h"
#include "Dispatch.h"
#include "MemberCatalog.h"
#include "StderrSite.h"
#include "ToolError.h"

#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

class ControlClient;

struct SessionOptions {
    std::optional<int> port; // --port
    QString device;          // --device
    int timeoutMs = 5000;
    bool verbose = false;
    // Called when a call into the control outlives its bound; must not return.
    std::function<void(const ToolError&)> abandon;
};

class ModuleSession {
public:
    explicit ModuleSession(SessionOptions options);
    ~ModuleSession();

    // The control's published members; creates the control on first use
    // (no traffic, the port stays closed).
    const MemberCatalog& catalog();
    // A member by its published name in any letter case, or by a name the
    // control's dispatch table knows for a published member. Throws a usage
    // ToolError listing the known names otherwise.
    const component::TypeLibMember& member(const QString& name, MemberCatalog::Kind kind);

    // Opens the port (once). Throws a NoControl ToolError with the reason.
    void open();

    // A request the module answers through an event: calls the method and
    // waits for the event. A time-out, ErrorComm or silence throws.
    Answer exchange(component::DispId method, const QVector<component::Variant>& args,
                    const QString& what);
    // A call the control completes itself (property access, waiting
    // methods). Throws when it fails or the module stopped answering.
    component::Variant invoke(component::InvokeKind kind, component::DispId dispid,
                              const QVector<component::Variant>& args, const QString& what);

    int timeoutMs() const { return m_options.timeoutMs; }
    QString portDescription() const;

private:
    void create();
    int portNumber();
    void note(const QString& text) const;

    SessionOptions m_options;
    std::unique_ptr<ControlClient> m_client;
    std::unique_ptr<AnswerWaiter> m_waiter;
    std::optional<MemberCatalog> m_catalog;
    StderrSite m_site;
    std::optional<int> m_mappedPort;
    bool m_open = false;
};
