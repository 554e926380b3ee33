#pragma once
// The component registry: a text file that maps class identifiers and
// programmatic identifiers to the libraries that serve them, and records the
// registered type libraries. A user's registry is backed by the machine's:
// what the user's file does not know is looked up in the system file.
#include "HResult.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace component {

struct ClassEntry {
    QString clsid;          // "{D11CFF3A-2288-4F34-9EBF-5028CFCF674B}"
    QString library;        // absolute path of the shared library
    QString progId;         // "TK28950.TK28950Ctrl.1", may be empty
    QString typeName;       // "TK28950 Control"
    QString threadingModel; // "Apartment"
    quint32 miscStatus = 0;
    QString toolboxBitmap; // "<library>,1"
    QString typeLibId;     // may be empty
    QString typeLibVersion;
    bool control = false;
};

struct TypeLibEntry {
    QString libId;
    QString version; // "1.0"
    QString locale;  // "409"
    QString name;    // help string of the library
    QString library; // where the type library resource lives
    QString helpDir;
};

class Registry {
public:
    // $TK28950_REGISTRY when set, else $XDG_CONFIG_HOME/tk28950/registry.ini
    // (~/.config/... when XDG_CONFIG_HOME is unset).
    static QString defaultPath();
    // The machine's registry, which packages write: registry.ini in
    // $TK28950_SYSCONFDIR when set, else in /etc/tk28950.
    static QString systemPath();

    // The user's registry (defaultPath()), backed by the system registry.
    Registry();
    // The file at path alone, for lookups and writes.
    explicit Registry(const QString& path);

    // The file writes go to.
    QString path() const { return m_path; }
    // The files lookups read, in order.
    QStringList lookupPaths() const { return m_lookupPaths; }

    // Writers change path() only; they return kOk, or kFail when the file
    // cannot be written. Lookups take the first file, in order, that knows
    // the identifier.
    HResult registerClass(const ClassEntry& entry);
    HResult unregisterClass(const QString& clsid);
    HResult registerTypeLib(const TypeLibEntry& entry);
    HResult unregisterTypeLib(const QString& libId, const QString& version);

    std::optional<ClassEntry> classById(const QString& clsid) const;
    std::optional<ClassEntry> classByProgId(const QString& progId) const;
    std::optional<TypeLibEntry> typeLib(const QString& libId, const QString& version) const;
    // The classes that the library at path serves, by their class identifiers.
    QStringList classesOf(const QString& library) const;

private:
    QString m_path;
    QStringList m_lookupPaths;
};

} // namespace component
