#include "MemberCatalog.h"

#include "ControlError.h"
#include "ValueType.h"

#include <algorithm>

using component::TypeLibMember;

namespace {

constexpr char kDispatchInterface[] = "_DTK28950";

bool isKind(const TypeLibMember& member, MemberCatalog::Kind kind)
{
    const QString wanted =
        kind == MemberCatalog::Kind::Method ? QStringLiteral("method") : QStringLiteral("property");
    return member.kind.compare(wanted, Qt::CaseInsensitive) == 0;
}

const component::TypeLibInterface* dispatchInterface(const component::TypeLibrary& library)
{
    if (const auto* named = library.interface(QString::fromLatin1(kDispatchInterface)))
        return named;
    const auto found = std::find_if(library.interfaces.begin(), library.interfaces.end(),
                                    [](const auto& candidate) { return !candidate.events; });
    return found == library.interfaces.end() ? nullptr : &*found;
}

} // namespace

MemberCatalog MemberCatalog::fromLibrary(const QString& libraryPath)
{
    QString error;
    const auto library = component::TypeLibrary::fromLibrary(libraryPath, &error);
    if (!library)
        throw ControlError(
            QStringLiteral("cannot read the type library of %1: %2").arg(libraryPath, error));
    return fromTypeLibrary(*library);
}

MemberCatalog MemberCatalog::fromTypeLibrary(const component::TypeLibrary& library)
{
    const auto* interface = dispatchInterface(library);
    if (!interface)
        throw ControlError(
            QStringLiteral("the type library %1 has no dispatch interface").arg(library.name));
    return MemberCatalog(interface->members);
}

MemberCatalog::MemberCatalog(QVector<TypeLibMember> members) : m_members(std::move(members)) {}

const TypeLibMember* MemberCatalog::byName(const QString& name, Kind kind) const
{
    for (const auto& member : m_members)
        if (isKind(member, kind) && member.name.compare(name, Qt::CaseInsensitive) == 0)
            return &member;
    return nullptr;
}

const TypeLibMember* MemberCatalog::byDispid(component::DispId dispid, Kind kind) const
{
    for (const auto& member : m_members)
        if (isKind(member, kind) && member.dispid == dispid)
            return &member;
    return nullptr;
}

QStringList MemberCatalog::names(Kind kind) const
{
    QStringList result;
    for (const auto& member : m_members)
        if (isKind(member, kind))
            result << member.name;
    return result;
}

QVector<MemberCatalog::Parameter> MemberCatalog::parameters(const TypeLibMember& member)
{
    QVector<Parameter> result;
    for (const QString& entry : member.params) {
        const qsizetype colon = entry.indexOf(QLatin1Char(':'));
        const QString untyped = QString::fromLatin1(typeName(component::ValueType::Text));
        result.append(colon < 0 ? Parameter{entry, untyped}
                                : Parameter{entry.left(colon), entry.mid(colon + 1)});
    }
    return result;
}
