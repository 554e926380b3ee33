#pragma once
// A type library: the published description of a component's classes,
// interfaces and members. Libraries carry it as the Qt resource
// ":/TYPELIB/1" (JSON); hosts read it from the library file.
//
// The document (keys marked * are required, the others have the defaults
// of the structs below):
//
// {
//   "name": "TK28950Lib",                                   * library name
//   "libId": "{1CC25E9C-2861-4C7A-8F1E-9A21443A9414}",      * library identifier
//   "version": "1.0",                                       * major.minor
//   "locale": "409",                                          locale, hexadecimal
//   "helpString": "...",                                      what the library is
//   "helpFile": "TK28950.hlp",
//   "helpContext": 0,
//   "interfaces": [
//     {
//       "name": "_DTK28950",                                * interface name
//       "iid": "{1931B6E1-F23D-4C43-A214-AF8CAF5879F6}",
//       "helpString": "Dispatch interface for TK28950 Control",
//       "events": false,                 true: the members are events the object raises
//       "members": [
//         {"dispid": -552, "name": "AboutBox", "kind": "method", "type": "none", "params": []},
//         {"dispid": 2, "name": "InitModule", "kind": "method", "type": "text",
//          "params": ["PortNumber:text"], "helpString": "method InitModule"},
//         {"dispid": 15, "name": "GlobalXOff", "kind": "property", "type": "short",
//          "helpString": "property GlobalXOff"}
//       ]
//     },
//     {
//       "name": "_DTK28950Events",
//       "iid": "{1BCFF798-ED8E-4F4C-9805-F612F646F53D}",
//       "helpString": "Event interface for TK28950 Control",
//       "events": true,
//       "members": [
//         {"dispid": 1, "name": "DataReady", "kind": "event", "type": "none",
//          "params": ["Data:text"]}
//       ]
//     },
//     {"name": "IModule", "iid": "{A2A74D60-B12C-4DC8-AC37-16AA47DE4DC7}", "members": []}
//   ],
//   "classes": [
//     {"name": "TK28950",                                   * class name
//      "clsid": "{D11CFF3A-2288-4F34-9EBF-5028CFCF674B}",   * class identifier
//      "helpString": "TK28950 Control",
//      "defaultInterface": "_DTK28950",                       an interface above
//      "defaultSource": "_DTK28950Events",                    an events interface above
//      "creatable": true, "control": true},
//     {"name": "Module", "clsid": "{42289895-BF1B-433A-923B-09F23516ECE9}",
//      "defaultInterface": "IModule"}
//   ]
// }
//
// Members: "dispid"*, "name"* and "kind"* ("method", "property", or "event",
// which is allowed in events interfaces only and required there); "type" is
// the result of a method or the value of a property: "none" (the default),
// "boolean", "byte", "short", "long", "double" or "text"; "params" lists the
// parameters in order as "Name:type" (any type but "none"); "readOnly"
// (false by default) marks a property that cannot be put. Dispids and names
// are unique within an interface; interface names within the library. Keys
// not named here are ignored.
#include "Dispatch.h"

#include <QString>
#include <QVector>
#include <optional>

namespace component {

constexpr const char* kTypeLibResource = ":/TYPELIB/1";

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

    // On failure *error (if given) says what is wrong and where, for
    // example "interfaces[0].members[2].dispid: expected an integer".
    static std::optional<TypeLibrary> fromJson(const QByteArray& json, QString* error);
    // Loads the library file and reads its ":/TYPELIB/1" resource.
    static std::optional<TypeLibrary> fromLibrary(const QString& libraryPath, QString* error);
    // Reads the ":/TYPELIB/1" resource that the library containing owner (an
    // address inside it, such as one of its functions) carries. Resources of
    // all loaded libraries share one name space, and the first one loaded
    // hides the others: a hidden resource is an error, never another
    // library's description.
    static std::optional<TypeLibrary> fromResource(const void* owner, QString* error);
};

} // namespace component
