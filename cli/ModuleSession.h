#pragma once
// The tool's side of the one road to the module (ControlSession): creates
// the control through the registry (or from the library beside the tool),
// opens the port on first need and brings the line in step once, and runs
// requests through the session with the tool's options (bound, retries,
// single reads). What the tool adds is its policy: verbose notes on
// standard error, failures as ToolErrors with their exit codes, the member
// names of the command line.
#include "AnswerWaiter.h"
#include "CommandSpec.h"
#include "ControlSession.h"
#include "Dispatch.h"
#include "HeldReadings.h"
#include "MemberCatalog.h"
#include "StderrSite.h"
#include "ToolError.h"

#include <QString>
#include <QVector>
#include <memory>
#include <optional>

struct SessionOptions {
    std::optional<int> port;      // --port
    QString device;               // --device
    std::optional<int> timeoutMs; // --timeout: a fixed bound
    int retries = kDefaultRetries;
    bool verbose = false;
    bool singleRead = false; // --single-read
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

    // Opens the port and brings the line in step (once). Throws a NoControl
    // ToolError with the reason, or a module failure when the module never
    // answers its version.
    void open();

    // The session's requests (see ControlSession), the port opened first;
    // a failure throws a module ToolError naming what.
    Answer request(component::DispId method, const QVector<component::Variant>& args,
                   const QString& what, const Expectation& expected);
    // Asked until two answers agree (once with --single-read).
    Answer requestConfirmed(component::DispId method, const QVector<component::Variant>& args,
                            const QString& what, const Expectation& expected);
    Answer exchange(component::DispId method, const QVector<component::Variant>& args,
                    const QString& what);
    component::Variant invoke(component::InvokeKind kind, component::DispId dispid,
                              const QVector<component::Variant>& args, const QString& what);
    // Read until two readings agree (once with --single-read, or when single
    // readings are asked for); readings that keep changing are a failure
    // that names --single-read.
    QString reading(ControlSession::Axis axis, const QString& what,
                    ControlSession::Readings readings = ControlSession::Readings::Confirmed);
    // Read until two answers agree (once with --single-read).
    QString temperatureTenths(const QString& what);
    // Single readings held until the line proves in step, the port opened
    // first.
    HeldReadings heldReadings();
    // The rows held, once the line proves in step (none when it does not);
    // a failure throws a module ToolError.
    QList<HeldReadings::Row> release(HeldReadings& held);
    int readCell(int address);
    // Read until two reads agree (once with --single-read).
    int readCellConfirmed(int address);
    // A read that agrees with the value written confirms it; any other is
    // confirmed by reads that agree.
    int readCellExpecting(int address, int expected);
    void writeCell(int address, int value);

    int timeoutMs() const;
    QString portDescription() const;

private:
    template <typename Step> auto onTheLine(Step step);
    ControlSession& control();
    int portNumber();
    void note(const QString& text) const;
    QString openFailure(const QString& reason) const;

    SessionOptions m_options;
    std::unique_ptr<ControlSession> m_session;
    std::optional<MemberCatalog> m_catalog;
    StderrSite m_site;
    std::optional<int> m_mappedPort;
    bool m_open = false;
};
