#include "simlink/sim_hooks.h"

#include <mutex>

namespace {
std::mutex g_hooksMutex;
SimLinkHooks g_hooks;
} // namespace

void gf_setSimLinkHooks(SimLinkHooks hooks)
{
    std::lock_guard lock(g_hooksMutex);
    g_hooks = std::move(hooks);
}

SimLinkHooks gf_simLinkHooks()
{
    std::lock_guard lock(g_hooksMutex);
    return g_hooks;
}
