#pragma once
// The members the control publishes on its dispatch interface, as its type
// library describes them: names (looked up in any letter case), dispids,
// kinds and parameter types.
#include "TypeLib.h"

#include <QString>
#include <QStringList>
#include <QVector>

class MemberCatalog {
public:
    enum class Kind { Method, Property };

    // Reads the dispatch interface from the type library inside the control's
    // library file. Throws a ControlError when it cannot be read.
    static MemberCatalog fromLibrary(const QString& libraryPath);
    // The same from a type library already read. Throws a ControlError when
    // it has no dispatch interface.
    static MemberCatalog fromTypeLibrary(const component::TypeLibrary& library);
    explicit MemberCatalog(QVector<component::TypeLibMember> members);

    const component::TypeLibMember* byName(const QString& name, Kind kind) const;
    const component::TypeLibMember* byDispid(component::DispId dispid, Kind kind) const;
    QStringList names(Kind kind) const;

    // A member's parameters as name and type ("Address", "text").
    struct Parameter {
        QString name;
        QString type;
    };
    static QVector<Parameter> parameters(const component::TypeLibMember& member);

private:
    QVector<component::TypeLibMember> m_members;
};
