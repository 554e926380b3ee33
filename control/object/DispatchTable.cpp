#include "DispatchTable.h"

#include "CTK28950Ctrl.h"
#include "OwnedText.h"
#include "module/CModule.h"

#include <algorithm>

using component::DispId;
using component::HResult;
using component::InvokeKind;
using component::Variant;

namespace dispatch {

namespace {

const QString kErrorSource = QStringLiteral("TK28950");

const Member* memberById(DispId dispid)
{
    const auto& members = controlMembers();
    const auto found = std::find_if(members.begin(), members.end(),
                                    [dispid](const Member& m) { return m.dispid == dispid; });
    return found == members.end() ? nullptr : &*found;
}

Variant owned(const Variant& value)
{
    QString text;
    if (value.type() != Variant::Type::Text || component::failed(value.toText(&text)))
        return value;
    return Variant(ownedText(text));
}

HResult fail(component::ErrorInfo* error, HResult hr, const QString& description)
{
    if (error)
        *error = {ownedText(kErrorSource), ownedText(description)};
    return hr;
}

// The accessor a call of this kind reaches, with the types of the values
// it takes; nullptr when the member has no such accessor.
Handler accessor(const Member& member, InvokeKind kind, QVector<Param>* params, unsigned* waits)
{
    switch (kind) {
    case InvokeKind::Method:
        if (member.kind != MemberKind::Method)
            return nullptr;
        *params = member.params;
        *waits = member.waits & kCallWaits;
        return member.call;
    case InvokeKind::PropertyGet:
        if (member.kind != MemberKind::Property)
            return nullptr;
        *waits = member.waits & kCallWaits;
        return member.call;
    case InvokeKind::PropertyPut:
        if (member.kind != MemberKind::Property)
            return nullptr;
        *params = {{member.name, member.type}};
        *waits = member.waits & kPutWaits;
        return member.put;
    }
    return nullptr;
}

} // namespace

Outcome Outcome::failure(HResult hr, const QString& description)
{
    Outcome outcome;
    outcome.hr = hr;
    outcome.description = description;
    return outcome;
}

Outcome Outcome::requestFailure(const QString& description)
{
    return failure(component::kException, description);
}

Outcome Outcome::unlessFailed(const QString& result, const QString& success)
{
    return result == success ? Outcome() : requestFailure(result);
}

bool Arguments::flag(int index) const
{
    bool value = false;
    m_values.at(index).toBool(&value);
    return value;
}

std::uint8_t Arguments::byte(int index) const
{
    std::uint8_t value = 0;
    m_values.at(index).toByte(&value);
    return value;
}

qint16 Arguments::number(int index) const
{
    std::int16_t value = 0;
    m_values.at(index).toShort(&value);
    return value;
}

QString Arguments::text(int index) const
{
    QString value;
    m_values.at(index).toText(&value);
    return value;
}

HResult idOfName(const QString& name, DispId* dispid)
{
    if (!dispid)
        return component::kPointer;
    const auto matches = [&name](const char* candidate) {
        return candidate && name.compare(QLatin1String(candidate), Qt::CaseInsensitive) == 0;
    };
    for (const Member& member : controlMembers()) {
        if (matches(member.name) || matches(member.published)) {
            *dispid = member.dispid;
            return component::kOk;
        }
    }
    return component::kUnknownName;
}

HResult invoke(CTK28950Ctrl& control, DispId dispid, InvokeKind kind, const QVector<Variant>& args,
               Variant* result, component::ErrorInfo* error)
{
    const Member* member = memberById(dispid);
    if (!member)
        return fail(error, component::kMemberNotFound,
                    QStringLiteral("no member with dispid %1").arg(dispid));
    QVector<Param> params;
    unsigned waits = kNoWait;
    const Handler handler = accessor(*member, kind, &params, &waits);
    if (!handler)
        return fail(error, component::kMemberNotFound,
                    QStringLiteral("%1 cannot be called that way").arg(member->name));
    if (args.size() != params.size())
        return fail(error, component::kBadParamCount,
                    QStringLiteral("%1 takes %2 argument(s), not %3")
                        .arg(member->name)
                        .arg(params.size())
                        .arg(args.size()));
    QVector<Variant> converted(args.size());
    for (int i = 0; i < args.size(); ++i) {
        const HResult hr = component::convertTo(args[i], params[i].type, &converted[i]);
        if (component::failed(hr))
            return fail(error, hr,
                        QStringLiteral("%1: %2 is not a %3 (%4)")
                            .arg(member->name, QLatin1String(params[i].name),
                                 QLatin1String(typeName(params[i].type)),
                                 QLatin1String(component::describe(hr))));
    }
    if (waits && control.Module().RequestInProgress()) {
        if (kind != InvokeKind::Method)
            return fail(error, component::kException, CModule::BusyText());
        if (result)
            *result = Variant(ownedText(CModule::BusyText()));
        return component::kOk;
    }
    const Outcome outcome = handler(control, Arguments(std::move(converted)));
    if (component::failed(outcome.hr))
        return fail(error, outcome.hr, outcome.description);
    if (result)
        *result = owned(outcome.value);
    return component::kOk;
}

} // namespace dispatch
