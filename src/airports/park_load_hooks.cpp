#include "airports/park_load_hooks.h"

#include <mutex>
#include <utility>

namespace {
std::mutex g_hooksMutex;
ParkLoadHooks g_hooks;
} // namespace

void gf_setParkLoadHooks(ParkLoadHooks hooks)
{
    std::lock_guard lock(g_hooksMutex);
    g_hooks = std::move(hooks);
}

ParkLoadHooks gf_parkLoadHooks()
{
    std::lock_guard lock(g_hooksMutex);
    return g_hooks;
}
