#pragma once
// The control's published interface as text, made from the member table
// when the project is built: the members of the type library's dispatch
// interface, and the lists of names the tool's man page and bash
// completion show.
#include "resources/TK28950Members.h"

#include <QString>
#include <span>

namespace published {

// templateText with each of its placeholders replaced by what the rows give:
//   @TK28950_TYPELIB_MEMBERS@   the dispatch interface's member entries (JSON)
//   @TK28950_PROPERTIES@        published property names, space-separated
//   @TK28950_METHODS@           published method names, space-separated
//   @TK28950_PROPERTY_LIST@     published property names, comma-separated
//   @TK28950_EVENT_METHOD_LIST@ methods answered by an event, comma-separated
QString fill(const QString& templateText, std::span<const tk28950::MemberFacts> rows);

} // namespace published
