#include "Registry.h"

#include "ConfigFolders.h"
#include "RegistryChange.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

// Layout of the file (QSettings' INI form; QSettings escapes the braces):
//   CLSID/{clsid}/library, progId, typeName, threadingModel, miscStatus,
//                 toolboxBitmap, typeLibId, typeLibVersion, control
//   ProgID/<progId> = {clsid}
//   TypeLib/{libId}/<version>/locale, name, library, helpDir
// Identifiers are kept in upper case, so lookups ignore their case.

namespace component {

namespace {

template <typename Entry> struct TextField {
    const char* key;
    QString Entry::*member;
};

constexpr TextField<ClassEntry> kClassFields[] = {
    {"library", &ClassEntry::library},
    {"progId", &ClassEntry::progId},
    {"typeName", &ClassEntry::typeName},
    {"threadingModel", &ClassEntry::threadingModel},
    {"toolboxBitmap", &ClassEntry::toolboxBitmap},
    {"typeLibId", &ClassEntry::typeLibId},
    {"typeLibVersion", &ClassEntry::typeLibVersion},
};
constexpr const char* kMiscStatusKey = "miscStatus";
constexpr const char* kControlKey = "control";

constexpr TextField<TypeLibEntry> kTypeLibFields[] = {
    {"locale", &TypeLibEntry::locale},
    {"name", &TypeLibEntry::name},
    {"library", &TypeLibEntry::library},
    {"helpDir", &TypeLibEntry::helpDir},
};

QString normalisedId(const QString& id)
{
    return id.trimmed().toUpper();
}

// A name that can stand as one step of a key path.
bool isKeyPart(const QString& part)
{
    return !part.isEmpty() && !part.contains(QLatin1Char('/')) && !part.contains(QLatin1Char('\\'));
}

QString keyOf(const QString& group, const char* key)
{
    return group + QLatin1Char('/') + QLatin1String(key);
}

QString classGroup(const QString& clsid)
{
    return QStringLiteral("CLSID/") + normalisedId(clsid);
}

QString progIdKey(const QString& progId)
{
    return QStringLiteral("ProgID/") + progId;
}

QString typeLibGroup(const QString& libId, const QString& version)
{
    return QStringLiteral("TypeLib/") + normalisedId(libId) + QLatin1Char('/') + version;
}

bool hasGroup(const QSettings& settings, const QString& group)
{
    const QStringList keys = settings.allKeys();
    const QString prefix = group + QLatin1Char('/');
    return std::any_of(keys.cbegin(), keys.cend(),
                       [&](const QString& key) { return key.startsWith(prefix); });
}

template <typename Entry, std::size_t N>
void writeFields(RegistryChange& change, const QString& group, const Entry& entry,
                 const TextField<Entry> (&fields)[N])
{
    for (const auto& field : fields)
        change.setValue(keyOf(group, field.key), entry.*field.member);
}

template <typename Entry, std::size_t N>
void readFields(const QSettings& settings, const QString& group, Entry* entry,
                const TextField<Entry> (&fields)[N])
{
    for (const auto& field : fields)
        entry->*field.member = settings.value(keyOf(group, field.key)).toString();
}

std::optional<ClassEntry> classIn(const QSettings& settings, const QString& clsid)
{
    const QString group = classGroup(clsid);
    if (!isKeyPart(clsid) || !hasGroup(settings, group))
        return std::nullopt;
    ClassEntry entry;
    entry.clsid = normalisedId(clsid);
    readFields(settings, group, &entry, kClassFields);
    entry.miscStatus = settings.value(keyOf(group, kMiscStatusKey)).toString().toUInt(nullptr, 0);
    entry.control = settings.value(keyOf(group, kControlKey)).toBool();
    return entry;
}

std::optional<TypeLibEntry> typeLibIn(const QSettings& settings, const QString& libId,
                                      const QString& version)
{
    const QString group = typeLibGroup(libId, version);
    if (!hasGroup(settings, group))
        return std::nullopt;
    TypeLibEntry entry;
    entry.libId = normalisedId(libId);
    entry.version = version;
    readFields(settings, group, &entry, kTypeLibFields);
    return entry;
}

// The first answer of find over the files at paths, in order.
template <typename Entry, typename Find>
std::optional<Entry> firstFound(const QStringList& paths, Find find)
{
    for (const QString& path : paths) {
        const QSettings settings(path, QSettings::IniFormat);
        if (std::optional<Entry> entry = find(settings))
            return entry;
    }
    return std::nullopt;
}

} // namespace

QString Registry::defaultPath()
{
    const QString explicitPath =
        QDir::fromNativeSeparators(qEnvironmentVariable("TK28950_REGISTRY"));
    return explicitPath.isEmpty() ? userConfigFolder() + QStringLiteral("/registry.ini")
                                  : explicitPath;
}

QString Registry::systemPath()
{
    return systemConfigFolder() + QStringLiteral("/registry.ini");
}

Registry::Registry() : m_path(defaultPath()), m_lookupPaths{m_path}
{
    const QString system = systemPath();
    if (system != m_path)
        m_lookupPaths << system;
}

Registry::Registry(const QString& path) : m_path(path), m_lookupPaths{path} {}

HResult Registry::registerClass(const ClassEntry& entry)
{
    if (!isKeyPart(entry.clsid) || !(entry.progId.isEmpty() || isKeyPart(entry.progId)))
        return kInvalidArgument;
    RegistryChange change(m_path);
    if (!change.usable())
        return kFail;
    const QString clsid = normalisedId(entry.clsid);
    const QString group = classGroup(clsid);
    const QString oldProgId = change.settings().value(keyOf(group, "progId")).toString();
    if (oldProgId != entry.progId && isKeyPart(oldProgId) &&
        normalisedId(change.settings().value(progIdKey(oldProgId)).toString()) == clsid)
        change.remove(progIdKey(oldProgId));
    change.remove(group);
    writeFields(change, group, entry, kClassFields);
    change.setValue(keyOf(group, kMiscStatusKey),
                    QStringLiteral("0x%1").arg(entry.miscStatus, 0, 16));
    change.setValue(keyOf(group, kControlKey), entry.control);
    if (!entry.progId.isEmpty())
        change.setValue(progIdKey(entry.progId), clsid);
    return change.commit();
}

HResult Registry::unregisterClass(const QString& clsid)
{
    RegistryChange change(m_path);
    if (!change.usable())
        return kFail;
    const QString group = classGroup(clsid);
    if (!hasGroup(change.settings(), group))
        return kOk;
    const QString progId = change.settings().value(keyOf(group, "progId")).toString();
    if (isKeyPart(progId) &&
        normalisedId(change.settings().value(progIdKey(progId)).toString()) == normalisedId(clsid))
        change.remove(progIdKey(progId));
    change.remove(group);
    return change.commit();
}

HResult Registry::registerTypeLib(const TypeLibEntry& entry)
{
    if (!isKeyPart(entry.libId) || !isKeyPart(entry.version))
        return kInvalidArgument;
    RegistryChange change(m_path);
    if (!change.usable())
        return kFail;
    const QString group = typeLibGroup(entry.libId, entry.version);
    change.remove(group);
    writeFields(change, group, entry, kTypeLibFields);
    return change.commit();
}

HResult Registry::unregisterTypeLib(const QString& libId, const QString& version)
{
    RegistryChange change(m_path);
    if (!change.usable())
        return kFail;
    const QString group = typeLibGroup(libId, version);
    if (!hasGroup(change.settings(), group))
        return kOk;
    change.remove(group);
    return change.commit();
}

std::optional<ClassEntry> Registry::classById(const QString& clsid) const
{
    return firstFound<ClassEntry>(
        m_lookupPaths, [&](const QSettings& settings) { return classIn(settings, clsid); });
}

std::optional<ClassEntry> Registry::classByProgId(const QString& progId) const
{
    if (!isKeyPart(progId))
        return std::nullopt;
    return firstFound<ClassEntry>(m_lookupPaths, [&](const QSettings& settings) {
        const QString clsid = settings.value(progIdKey(progId)).toString();
        return clsid.isEmpty() ? std::nullopt : classIn(settings, clsid);
    });
}

QStringList Registry::classesOf(const QString& library) const
{
    const QString wanted = QFileInfo(library).canonicalFilePath();
    QStringList clsids;
    if (wanted.isEmpty())
        return clsids;
    for (const QString& path : m_lookupPaths) {
        QSettings settings(path, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("CLSID"));
        const QStringList groups = settings.childGroups();
        for (const QString& clsid : groups) {
            const QString served = settings.value(keyOf(clsid, "library")).toString();
            if (QFileInfo(served).canonicalFilePath() == wanted && !clsids.contains(clsid))
                clsids << clsid;
        }
    }
    return clsids;
}

std::optional<TypeLibEntry> Registry::typeLib(const QString& libId, const QString& version) const
{
    if (!isKeyPart(libId) || !isKeyPart(version))
        return std::nullopt;
    return firstFound<TypeLibEntry>(m_lookupPaths, [&](const QSettings& settings) {
        return typeLibIn(settings, libId, version);
    });
}

} // namespace component
