#include "TypeLib.h"

#include "QuotedInput.h"

#include "ComponentHost.h"
#include "ModulePath.h"
#include "TypeLibJson.h"
#include "ValueType.h"

#include <QJsonDocument>
#include <QResource>

#include <algorithm>

namespace component {

namespace {

using Need = JsonObjectReader::Need;

constexpr QLatin1String kMemberKinds[] = {QLatin1String("method"), QLatin1String("property"),
                                          QLatin1String("event")};
constexpr QLatin1String kEventKind("event");

template <std::size_t N> bool isOneOf(const QString& word, const QLatin1String (&words)[N])
{
    return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

QString elementPath(const QString& arrayPath, qsizetype index)
{
    return QStringLiteral("%1[%2]").arg(arrayPath).arg(index);
}

// "Name:type", with a type that a value can have.
bool isParameter(const QString& parameter)
{
    const QStringList parts = parameter.split(QLatin1Char(':'));
    if (parts.size() != 2 || parts[0].trimmed().isEmpty())
        return false;
    const std::optional<ValueType> type = valueTypeNamed(parts[1]);
    return type && *type != ValueType::None;
}

void checkKind(JsonObjectReader& reader, const QString& kind, bool eventsInterface)
{
    if (!isOneOf(kind, kMemberKinds))
        reader.report("kind", QStringLiteral("expected \"method\", \"property\" or \"event\""));
    else if ((kind == kEventKind) != eventsInterface)
        reader.report("kind", eventsInterface
                                  ? QStringLiteral("an events interface holds events only")
                                  : QStringLiteral("events belong in an events interface"));
}

TypeLibMember readMember(const QJsonValue& value, const QString& path, bool eventsInterface,
                         JsonProblem* problem)
{
    JsonObjectReader reader(value, path, problem);
    TypeLibMember member;
    member.dispid = reader.integer("dispid", Need::Required);
    member.name = reader.text("name", Need::Required);
    member.kind = reader.text("kind", Need::Required);
    checkKind(reader, member.kind, eventsInterface);
    member.type =
        reader.text("type", Need::Optional, QString::fromLatin1(typeName(ValueType::None)));
    if (!valueTypeNamed(member.type))
        reader.report("type", QStringLiteral("unknown type %1").arg(quotedInput(member.type)));
    member.params = reader.texts("params");
    for (qsizetype i = 0; i < member.params.size(); ++i) {
        if (!isParameter(member.params[i]))
            problem->report(elementPath(reader.pathOf("params"), i),
                            QStringLiteral("expected \"Name:type\""));
    }
    member.helpString = reader.text("helpString");
    member.readOnly = reader.flag("readOnly");
    return member;
}

// Reports the second of two entries that share a key.
template <typename Item, typename Key>
void checkUnique(const QVector<Item>& items, const QString& arrayPath, Key keyOf,
                 const QString& what, JsonProblem* problem)
{
    for (qsizetype i = 0; i < items.size(); ++i) {
        for (qsizetype j = 0; j < i; ++j) {
            if (keyOf(items[i]) == keyOf(items[j]))
                problem->report(
                    elementPath(arrayPath, i),
                    QStringLiteral("%1 %2 is used twice").arg(what).arg(keyOf(items[i])));
        }
    }
}

TypeLibInterface readInterface(const QJsonValue& value, const QString& path, JsonProblem* problem)
{
    JsonObjectReader reader(value, path, problem);
    TypeLibInterface interface;
    interface.name = reader.text("name", Need::Required);
    interface.iid = reader.text("iid");
    interface.helpString = reader.text("helpString");
    interface.events = reader.flag("events");
    const QJsonArray members = reader.array("members");
    const QString membersPath = reader.pathOf("members");
    for (qsizetype i = 0; i < members.size(); ++i)
        interface.members.append(
            readMember(members[i], elementPath(membersPath, i), interface.events, problem));
    checkUnique(
        interface.members, membersPath, [](const TypeLibMember& m) { return m.dispid; },
        QStringLiteral("dispid"), problem);
    checkUnique(
        interface.members, membersPath, [](const TypeLibMember& m) { return m.name.toLower(); },
        QStringLiteral("name"), problem);
    return interface;
}

// An empty name is allowed (no such interface); any other must be one of
// the library's interfaces, of the right sort.
void checkInterfaceName(JsonObjectReader& reader, const char* key, const QString& name, bool events,
                        const TypeLibrary& library)
{
    if (name.isEmpty())
        return;
    const TypeLibInterface* interface = library.interface(name);
    if (!interface)
        reader.report(key, QStringLiteral("no interface %1 in the library").arg(quotedInput(name)));
    else if (interface->events != events)
        reader.report(
            key, events ? QStringLiteral("%1 is not an events interface").arg(quotedInput(name))
                        : QStringLiteral("%1 is an events interface").arg(quotedInput(name)));
}

TypeLibClass readClass(const QJsonValue& value, const QString& path, const TypeLibrary& library,
                       JsonProblem* problem)
{
    JsonObjectReader reader(value, path, problem);
    TypeLibClass typeClass;
    typeClass.name = reader.text("name", Need::Required);
    typeClass.clsid = reader.text("clsid", Need::Required);
    typeClass.helpString = reader.text("helpString");
    typeClass.defaultInterface = reader.text("defaultInterface");
    typeClass.defaultSource = reader.text("defaultSource");
    typeClass.creatable = reader.flag("creatable");
    typeClass.control = reader.flag("control");
    checkInterfaceName(reader, "defaultInterface", typeClass.defaultInterface, false, library);
    checkInterfaceName(reader, "defaultSource", typeClass.defaultSource, true, library);
    return typeClass;
}

TypeLibrary readLibrary(const QJsonObject& root, JsonProblem* problem)
{
    JsonObjectReader reader(root, QString(), problem);
    TypeLibrary library;
    library.name = reader.text("name", Need::Required);
    library.libId = reader.text("libId", Need::Required);
    library.version = reader.text("version", Need::Required);
    library.locale = reader.text("locale");
    library.helpString = reader.text("helpString");
    library.helpFile = reader.text("helpFile");
    library.helpContext = reader.integer("helpContext");
    const QJsonArray interfaces = reader.array("interfaces");
    for (qsizetype i = 0; i < interfaces.size(); ++i)
        library.interfaces.append(
            readInterface(interfaces[i], elementPath(QStringLiteral("interfaces"), i), problem));
    checkUnique(
        library.interfaces, QStringLiteral("interfaces"),
        [](const TypeLibInterface& i) { return i.name; }, QStringLiteral("name"), problem);
    const QJsonArray classes = reader.array("classes");
    for (qsizetype i = 0; i < classes.size(); ++i)
        library.classes.append(
            readClass(classes[i], elementPath(QStringLiteral("classes"), i), library, problem));
    return library;
}

std::optional<TypeLibrary> failure(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return std::nullopt;
}

// Reads the resource if it lies inside the expected file; ownerName names
// that file in messages.
template <typename IsOwner>
std::optional<TypeLibrary> readResource(const QString& ownerName, IsOwner isOwner, QString* error)
{
    const QResource resource{QString::fromLatin1(kTypeLibResource)};
    if (!resource.isValid())
        return failure(error, QStringLiteral("%1 carries no type library").arg(ownerName));
    if (!isOwner(resource.data()))
        return failure(error, QStringLiteral("the type library of %1 is hidden by that of another "
                                             "library loaded before it")
                                  .arg(ownerName));
    return TypeLibrary::fromJson(resource.uncompressedData(), error);
}

} // namespace

std::optional<TypeLibMember> TypeLibInterface::member(DispId dispid) const
{
    const auto found =
        std::find_if(members.cbegin(), members.cend(),
                     [dispid](const TypeLibMember& m) { return m.dispid == dispid; });
    return found == members.cend() ? std::nullopt : std::optional(*found);
}

const TypeLibInterface* TypeLibrary::interface(const QString& name) const
{
    const auto found = std::find_if(interfaces.cbegin(), interfaces.cend(),
                                    [&name](const TypeLibInterface& i) { return i.name == name; });
    return found == interfaces.cend() ? nullptr : &*found;
}

std::optional<TypeLibrary> TypeLibrary::fromJson(const QByteArray& json, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return failure(error, QStringLiteral("not JSON: %1 at offset %2")
                                  .arg(parseError.errorString())
                                  .arg(parseError.offset));
    if (!document.isObject())
        return failure(error, QStringLiteral("expected an object"));
    JsonProblem problem;
    TypeLibrary library = readLibrary(document.object(), &problem);
    if (problem.found())
        return failure(error, problem.text);
    return library;
}

std::optional<TypeLibrary> TypeLibrary::fromLibrary(const QString& libraryPath, QString* error)
{
    QString loadError;
    const std::shared_ptr<Library> library = Library::load(libraryPath, &loadError);
    if (!library)
        return failure(error, loadError);
    return readResource(
        libraryPath, [&library](const void* data) { return library->contains(data); }, error);
}

std::optional<TypeLibrary> TypeLibrary::fromResource(const void* owner, QString* error)
{
    const void* ownerModule = moduleOf(owner);
    return readResource(
        modulePath(owner),
        [ownerModule](const void* data) { return moduleOf(data) == ownerModule; }, error);
}

} // namespace component
