#pragma once
// The class factories of the library's two classes: the control and its
// property page. Each creates one new object per request.
#include "Dispatch.h"

#include <QString>

namespace server {

// The factory of the class with this identifier (any letter case), or
// nullptr when the library does not serve it.
component::ClassFactory* factoryFor(const QString& clsid);

} // namespace server
