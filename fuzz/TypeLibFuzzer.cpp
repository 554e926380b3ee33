// The type library document. A library that is read keeps the rules its
// reader promises its users: every name set, dispids and names unique in an
// interface, events only in events interfaces, known types, parameters as
// "Name:type", and classes that name interfaces of the library.
#include "Property.h"
#include "TypeLib.h"
#include "ValueType.h"

#include <QSet>

#include <cstddef>
#include <cstdint>

using component::TypeLibrary;

namespace {

bool IsType(const QString& type, bool noneAllowed)
{
    const std::optional<component::ValueType> known = component::valueTypeNamed(type);
    return known && (noneAllowed || *known != component::ValueType::None);
}

void CheckInterface(const component::TypeLibInterface& interface)
{
    Require(!interface.name.isEmpty(), "interfaces have names");
    QSet<int> dispids;
    QSet<QString> names;
    for (const auto& member : interface.members) {
        Require(!member.name.isEmpty(), "members have names");
        Require(!dispids.contains(member.dispid) && !names.contains(member.name),
                "dispids and names are unique in an interface");
        dispids.insert(member.dispid);
        names.insert(member.name);
        const bool event = member.kind == QLatin1String("event");
        Require(event == interface.events, "events are in events interfaces only, and only events");
        Require(event || member.kind == QLatin1String("method") ||
                    member.kind == QLatin1String("property"),
                "a member is a method, a property or an event");
        Require(IsType(member.type, true), "a member's type is known");
        for (const QString& param : member.params) {
            const QStringList parts = param.split(QLatin1Char(':'));
            Require(parts.size() == 2 && !parts[0].isEmpty() && IsType(parts[1], false),
                    "a parameter is Name:type");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString error;
    const auto library = TypeLibrary::fromJson(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &error);
    if (!library) {
        Require(!error.isEmpty(), "a refused document says why");
        return 0;
    }
    Require(!library->name.isEmpty() && !library->libId.isEmpty() && !library->version.isEmpty(),
            "the library's required keys are set");
    QSet<QString> interfaceNames;
    for (const auto& interface : library->interfaces) {
        CheckInterface(interface);
        Require(!interfaceNames.contains(interface.name), "interface names are unique");
        interfaceNames.insert(interface.name);
    }
    for (const auto& cls : library->classes) {
        Require(!cls.name.isEmpty() && !cls.clsid.isEmpty(), "classes have names and identifiers");
        const auto* source = library->interface(cls.defaultSource);
        const auto* dispatch = library->interface(cls.defaultInterface);
        Require(cls.defaultInterface.isEmpty() || (dispatch && !dispatch->events),
                "a class's default interface is a dispatch interface of the library");
        Require(cls.defaultSource.isEmpty() || (source && source->events),
                "a class's event source is an events interface of the library");
    }
    return 0;
}
