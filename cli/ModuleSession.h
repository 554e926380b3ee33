#pragma once
// One control, one module: creates the control through the registry (or
// from the library beside the tool), opens the port on first need, keeps the
// line in step and runs requests to their answer within the tool's bound.
//
// Answers carry no sequence number: the module answers in order, and an
// answer that comes after its request was given up would be taken as the
// answer to the next one. So the session resynchronises the line when it
// opens it and after every request that failed (no answer within the bound,
// an error or garbled answer, an answer of the wrong shape): it asks the
// module's version, whose answer cannot be mistaken for any other, until
// that answer comes back, letting whatever arrives before it go by.
#include "AnswerWaiter.h"
#include "CommandSpec.h"
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
    int timeoutMs = kDefaultAnswerBoundMs;
    int retries = kDefaultRetries;
    bool verbose = false;
};

// Why an answer is not the one asked for; the empty text when it is.
using AnswerCheck = std::function<QString(const Answer&)>;

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

    // Opens the port and brings the line in step (once). Throws a NoControl
    // ToolError with the reason, or a module failure when the module never
    // answers its version.
    void open();

    // A request the module answers through an event: calls the method and
    // waits for the event, which check must accept. A time-out, ErrorComm,
    // silence or a rejected answer is tried again after a resynchronisation,
    // up to the retries; then it throws, naming what.
    Answer request(component::DispId method, const QVector<component::Variant>& args,
                   const QString& what, const AnswerCheck& check);
    // The same, tried once, for requests that must not be repeated (a raw
    // command, a method whose effect is not known).
    Answer exchange(component::DispId method, const QVector<component::Variant>& args,
                    const QString& what);
    // A call the control completes itself (property access, waiting
    // methods). One whose answers do not all come is tried again after a
    // resynchronisation; a failure of the call itself throws at once.
    component::Variant invoke(component::InvokeKind kind, component::DispId dispid,
                              const QVector<component::Variant>& args, const QString& what);

    int timeoutMs() const { return m_options.timeoutMs; }
    QString portDescription() const;

private:
    // One try each: the answer, or nothing with the reason in failure.
    std::optional<Answer> exchangeOnce(component::DispId method,
                                       const QVector<component::Variant>& args, const QString& what,
                                       const AnswerCheck& check, QString* failure);
    std::optional<component::Variant> invokeOnce(component::InvokeKind kind,
                                                 component::DispId dispid,
                                                 const QVector<component::Variant>& args,
                                                 const QString& what, QString* failure);
    template <typename Result>
    Result withRetries(const QString& what, int tries,
                       const std::function<std::optional<Result>(QString*)>& attempt);
    void resynchronise();
    void drainUntilQuiet();
    void restartLink();
    void throwIfDisconnected(const QString& what);
    void create();
    int portNumber();
    void note(const QString& text) const;
    QString openFailure(const QString& reason) const;

    SessionOptions m_options;
    std::unique_ptr<ControlClient> m_client;
    std::unique_ptr<AnswerWaiter> m_waiter;
    std::optional<MemberCatalog> m_catalog;
    StderrSite m_site;
    std::optional<int> m_mappedPort;
    bool m_open = false;
    bool m_outOfStep = true;  // the next request must resynchronise first
    bool m_disturbed = false; // a request failed: answers may still be on their way
    QString m_versionText;    // the module's answer to the version request
};
