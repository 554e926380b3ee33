#pragma once
// The control's member table: the published facts of each member joined
// with the code that serves it. Name look-up, argument checking and
// conversion, and the refusal of a second waiting request all work from
// this one table.
#include "Dispatch.h"
#include "ValueType.h"
#include "Variant.h"
#include "resources/TK28950Members.h"

#include <QString>
#include <QVector>
#include <functional>
#include <span>

class CTK28950Ctrl;

namespace dispatch {

using component::typeName;
using ValueType = tk28950::ValueType;
using MemberKind = tk28950::MemberKind;
using Param = tk28950::Param;

// What serving a call gave: a value, or a failure with its description.
struct Outcome {
    component::HResult hr = component::kOk;
    component::Variant value;
    QString description;

    Outcome() = default;
    Outcome(component::Variant v) : value(std::move(v)) {}
    Outcome(const QString& text) : value(text) {}
    static Outcome failure(component::HResult hr, const QString& description);
    // A module request that met a failure (no answer, a damaged or wrong
    // answer, a refusal): the call fails with what it met.
    static Outcome requestFailure(const QString& description);
    // The result text of a module operation: nothing when it is success,
    // else the request failure it describes.
    static Outcome unlessFailed(const QString& result, const QString& success);
};

// The arguments of one call, each already converted to its parameter's type.
class Arguments {
public:
    explicit Arguments(QVector<component::Variant> values) : m_values(std::move(values)) {}
    bool flag(int index) const;
    std::uint8_t byte(int index) const;
    qint16 number(int index) const;
    QString text(int index) const;

private:
    QVector<component::Variant> m_values;
};

using Handler = std::function<Outcome(CTK28950Ctrl& control, const Arguments& args)>;

// Which accessors of a member start a waiting request (refused while
// another one of the same control runs).
enum Waits : unsigned { kNoWait = 0, kCallWaits = 1, kPutWaits = 2, kBothWait = 3 };

struct Member {
    component::DispId dispid;
    const char* name;      // the name the dispatch table answers to
    const char* published; // the name in the type library; nullptr: not published
    MemberKind kind;
    QVector<Param> params; // of a method; a property's put takes one value of `type`
    ValueType type;        // a method's result, or the property's type
    Handler call;          // the method, or the property's read
    Handler put;           // the property's write; nullptr when read-only
    unsigned waits = kNoWait;
};

// The control's table, in the order the type library lists the members.
const QVector<Member>& controlMembers();
// The table served from these rows of member facts: a property kept in
// cells is served by its row alone, any other member by the code the
// control has for its dispid (none when it has no such code).
QVector<Member> membersOf(std::span<const tk28950::MemberFacts> rows);

// Dispid of a member by either of its names, case-insensitively.
component::HResult idOfName(const QString& name, component::DispId* dispid);

// Checks kind and arguments against the table, converts the arguments and
// serves the call.
component::HResult invoke(CTK28950Ctrl& control, component::DispId dispid,
                          component::InvokeKind kind, const QVector<component::Variant>& args,
                          component::Variant* result, component::ErrorInfo* error);

} // namespace dispatch
