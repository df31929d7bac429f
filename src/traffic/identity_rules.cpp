#include "traffic/identity_rules.h"

#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/user_error.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_names.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <algorithm>
#include <fmt/format.h>
#include <mutex>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace {

std::unordered_map<std::uint32_t, std::string_view> g_liveryMemory;

// Owned copies: the livery tables may be rebuilt while the titles are still refused.
struct RefusedLiveries {
    std::mutex mutex;
    std::vector<std::string> titles;
    std::set<std::string> kinds; // "type airline"
};
RefusedLiveries g_refused;

std::unordered_set<std::string> g_noMatchSet;
std::vector<std::string> g_ghostCallsigns;

bool lf_endsWithUnderscore(std::string_view cs) { return !cs.empty() && cs.back() == '_'; }

} // namespace

std::string_view gf_rememberedLivery(std::uint32_t hexid)
{
    const auto it = g_liveryMemory.find(hexid);
    if (it == g_liveryMemory.end())
        return {};
    if (gf_isRefusedTitle(it->second)) {
        g_liveryMemory.erase(it);
        return {};
    }
    return it->second;
}

void gf_rememberLivery(std::uint32_t hexid, std::string_view title) { g_liveryMemory[hexid] = title; }

void gf_forgetLivery(std::uint32_t hexid) { g_liveryMemory.erase(hexid); }

void gf_clearRememberedLiveries() { g_liveryMemory.clear(); }

void gf_refuseLivery(const AcRecord& ac)
{
    if (g_stop)
        return;
    gf_showStatus(fmt::format("{} '{}' could not be created by your Sim!", ac.callsign, ac.liveryTitle), true);
    std::size_t refused = 0;
    {
        std::lock_guard lock(g_refused.mutex);
        g_refused.titles.emplace_back(ac.liveryTitle);
        g_refused.kinds.insert(ac.type + " " + ac.airline);
        refused = g_refused.titles.size();
    }
    if (refused >= 20) {
        const std::string m = fmt::format("There are too many liveries that could not be created by {}!", "MSFS");
        gf_log(fmt::format("\n{}Error 81, {}\n", "===> ", m));
        throw brv::UserErrorException(81, fmt::format("{}, see Log.txt", m));
    }
}

bool gf_isRefusedTitle(std::string_view title)
{
    std::lock_guard lock(g_refused.mutex);
    return std::find(g_refused.titles.begin(), g_refused.titles.end(), title) != g_refused.titles.end();
}

std::vector<std::string> gf_getRefusedLiveries()
{
    std::vector<std::string> lines;
    std::lock_guard lock(g_refused.mutex);
    for (const auto& kind : g_refused.kinds)
        lines.push_back("  " + kind);
    return lines;
}

void gf_resetRefusedLiveries()
{
    std::lock_guard lock(g_refused.mutex);
    g_refused.titles.clear();
    g_refused.kinds.clear();
}

void gf_addNoMatch(const std::string& key) { g_noMatchSet.insert(key); }

bool gf_hasNoMatch(const std::string& key) { return g_noMatchSet.count(key) != 0; }

void gf_clearNoMatchList() { g_noMatchSet.clear(); }

void gf_logNoMatchList()
{
    if (g_noMatchSet.empty() || !LOG.value)
        return;
    gf_log("\nNo match found for:");
    for (const auto& entry : g_noMatchSet)
        gf_log(entry);
    gf_log("");
}

bool gf_isGhostCallsign(std::string_view callsign)
{
    return std::find(g_ghostCallsigns.begin(), g_ghostCallsigns.end(), callsign) != g_ghostCallsigns.end();
}

void gf_clearGhostCallsigns() { g_ghostCallsigns.clear(); }

void gf_checkGhost(std::string_view callsign)
{
    const std::string g = std::string(callsign) + "_";
    const auto it = std::find_if(g_liveAircraft.begin(), g_liveAircraft.end(), [&](const LiveAc& ac) {
        return ac.callsign == g && ac.acState != AcState::removingfromsim;
    });
    if (it == g_liveAircraft.end())
        return;
    if (LOG.value) {
        if (it->flightState == FlightState::parked)
            gf_log(fmt::format("{:8}: {:8} is a ghost and will be removed, continue with {}", gf_standName(it->standId),
                               g, callsign));
        else
            gf_log(fmt::format("          {:8} is a ghost and will be removed, continue with {}", g, callsign));
    }
    g_ghostCallsigns.push_back(g);
    removeAircraftFromSim(*it);
}

bool gf_realTwinExists(std::string_view ghostCallsign)
{
    if (!lf_endsWithUnderscore(ghostCallsign))
        return false;
    const std::string_view real = ghostCallsign.substr(0, ghostCallsign.size() - 1);
    return std::any_of(g_liveAircraft.begin(), g_liveAircraft.end(), [&](const LiveAc& ac) {
        return ac.acState != AcState::removingfromsim && ac.callsign == real;
    });
}

bool gf_checkRespawn(LiveAc& ac, const FeedRecord& r)
{
    if (ac.takeoffRoll || ac.approach)
        return true;
    if (ac.acState == AcState::buffer) {
        if (!r.destination.empty() && r.destination != ac.destination)
            ac.destination = r.destination;
        if (!r.origin.empty() && r.origin != ac.origin)
            ac.origin = r.origin;
        if (!r.callsign.empty() && r.callsign != ac.callsign)
            ac.callsign = r.callsign;
        if (!r.registration.empty() && r.registration != ac.registration)
            ac.registration = r.registration;
    }
    // the identity changes of an active aircraft come with its respawn under a new livery
    return true;
}
