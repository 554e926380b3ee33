#pragma once
// A type library: the published description of a component's classes,
// interfaces and members. Libraries carry it as the Qt resource
// ":/TYPELIB/1" (JSON); hosts read it from the library file.
#include "Dispatch.h"

#include <QString>
#include <QVector>
#include <optional>

namespace component {

struct TypeLibMember {
    DispId dispid = 0;
    QString name;
    QString kind;       // "method", "property" or "event"
    QString type;       // result or property type: "text", "short", "none", ...
    QStringList params; // "Name:type"
    QString helpString;
    bool readOnly = false;
};

struct TypeLibInterface {
    QString name;
    QString iid;
    QString helpString;
    bool events = false;
    QVector<TypeLibMember> members;
    std::optional<TypeLibMember> member(DispId dispid) const;
};

struct TypeLibClass {
    QString name;
    QString clsid;
    QString helpString;
    QString defaultInterface;
    QString defaultSource;
    bool creatable = false;
    bool control = false;
};

struct TypeLibrary {
    QString name;
    QString libId;
    QString version;
    QString locale;
    QString helpString;
    QString helpFile;
    int helpContext = 0;
    QVector<TypeLibInterface> interfaces;
    QVector<TypeLibClass> classes;

    const TypeLibInterface* interface(const QString& name) const;

    static std::optional<TypeLibrary> fromJson(const QByteArray& json, QString* error);
    // Loads the library file and reads its ":/TYPELIB/1" resource.
    static std::optional<TypeLibrary> fromLibrary(const QString& libraryPath, QString* error);
};

} // namespace component
