#pragma once
// What keeps the library loaded: live objects and factory locks. The
// library may be unloaded only while both counts are zero.
namespace server {

void objectCreated();
void objectDestroyed();
void lock(bool on);
bool canUnload();

} // namespace server
