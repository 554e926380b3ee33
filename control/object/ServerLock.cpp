#include "ServerLock.h"

#include <atomic>

namespace server {

namespace {
std::atomic<int> g_objects{0};
std::atomic<int> g_locks{0};
} // namespace

void objectCreated()
{
    ++g_objects;
}

void objectDestroyed()
{
    --g_objects;
}

void lock(bool on)
{
    if (on)
        ++g_locks;
    else if (g_locks > 0)
        --g_locks;
}

bool canUnload()
{
    return g_objects == 0 && g_locks == 0;
}

} // namespace server
