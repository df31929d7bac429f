#include "simlink/sim_hooks.h"

#include "foundation/hook_set.h"

namespace {
HookSet<SimLinkHooks> g_hooks;
} // namespace

void gf_setSimLinkHooks(SimLinkHooks hooks) { g_hooks.install(std::move(hooks)); }

SimLinkHooks gf_simLinkHooks() { return g_hooks.get(); }
