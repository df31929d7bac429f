#include "aircraft/livery_match_hooks.h"

#include <utility>

namespace {

LiveryMatchHooks g_hooks;

} // namespace

void gf_installLiveryMatchHooks(LiveryMatchHooks hooks) { g_hooks = std::move(hooks); }

void gf_resetLiveryMatchHooks() { g_hooks = LiveryMatchHooks{}; }

std::string gf_matchDescribeAc(const LiveryMatchAc& ac) { return g_hooks.describeAc ? g_hooks.describeAc(ac) : std::string(); }

std::string gf_matchDescribeAcLong(const LiveryMatchAc& ac)
{
    return g_hooks.describeAcLong ? g_hooks.describeAcLong(ac) : std::string();
}

bool gf_isRefusedLivery(std::string_view title) { return g_hooks.isRefusedLivery && g_hooks.isRefusedLivery(title); }

std::vector<std::string> gf_refusedLiveryLines()
{
    return g_hooks.getRefusedLiveries ? g_hooks.getRefusedLiveries() : std::vector<std::string>{};
}
