#pragma once
// Which loaded file an address belongs to.
#include <QString>

namespace component {

// Absolute path of the shared library that contains address, as it was
// loaded; empty when no library does. A component library finds its own
// file with the address of one of its functions:
//     modulePath(reinterpret_cast<const void*>(&DllRegisterServer))
// The path is made absolute against the current folder, so a library must be
// loaded by an absolute path for this to name it after a change of folder.
QString modulePath(const void* address);

// A token for the loaded object (library or program) that contains address;
// nullptr when none does. Equal tokens mean the same object.
const void* moduleOf(const void* address);

} // namespace component
