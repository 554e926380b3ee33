#pragma once
// Where a program looks for the control's library when its class is not
// registered: beside the program, then in the library folder of an install.
#include <QString>
#include <QStringList>

namespace LibraryLocation {
QStringList candidates();
// The first candidate that exists, else the first one (so that the loader's
// message names a path).
QString fallbackLibrary();
} // namespace LibraryLocation
