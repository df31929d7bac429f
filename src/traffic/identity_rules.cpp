#include "traffic/identity_rules.h"

#include "aircraft/livery_tables.h"
#include "foundation/geometry.h"
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

// Owned copies: a remembered title is handed out as the livery tables' own view of it, so that a
// rebuilt table never leaves a record with a view into freed text.
std::unordered_map<std::uint32_t, std::string> g_liveryMemory;

// Owned copies: the livery tables may be rebuilt while the titles are still refused.
struct RefusedLiveries {
    std::mutex mutex;
    std::vector<std::string> titles;
    std::set<std::string> kinds; // "type airline"
};
RefusedLiveries g_refused;

std::unordered_set<std::string> g_noMatchSet;
std::vector<std::string> g_ghostCallsigns;



// The log line when the static aircraft stands for the new live one; empty when it does not.
std::string lf_duplicateLine(const StaticAc& s, const LiveAc& ac, std::string_view w)
{
    const std::string stand = gf_standName(s.standId);
    if (s.noRealHexid == 0 && s.realHexid == ac.hexid)
        return fmt::format("{:8}: {:8} removed, new {} '{}' has same hexid", stand, s.callsign, w, ac.callsign);
    if (!ac.registration.empty() && ac.registration == s.registration)
        return fmt::format("{:8}: {:8} {} removed, new {} '{}' has same regcode {}", stand, s.callsign, s.registration,
                           w, ac.callsign, ac.registration);
    const auto lt_coupled = [&](std::string_view cs) {
        return !cs.empty() && (cs == s.coupledCallsign1 || cs == s.coupledCallsign2);
    };
    if (!lt_coupled(ac.callsign) && !lt_coupled(ac.coupledCallsign2) &&
        !(gf_endsWithUnderscore(ac.callsign) && lt_coupled(ac.callsign.substr(0, ac.callsign.size() - 1))))
        return {};
    return fmt::format("{:8}: {:8} '{} {}' removed, new {} {} '{}' '{}' has {} callsign", stand, s.callsign,
                       s.coupledCallsign1, s.coupledCallsign2, w, ac.callsign, ac.coupledCallsign1,
                       ac.coupledCallsign2, s.coupledCallsign1 == ac.callsign ? "same" : "coupled");
}

} // namespace

std::string_view gf_rememberedLivery(std::uint32_t hexid)
{
    const auto it = g_liveryMemory.find(hexid);
    if (it == g_liveryMemory.end())
        return {};
    const std::string_view stored = gf_findLiveryTitle(it->second);
    if (stored.empty() || gf_isRefusedTitle(stored)) {
        g_liveryMemory.erase(it);
        return {};
    }
    return stored;
}

void gf_rememberLivery(std::uint32_t hexid, std::string_view title) { g_liveryMemory[hexid] = std::string(title); }

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
    if (!gf_endsWithUnderscore(ghostCallsign))
        return false;
    const std::string_view real = ghostCallsign.substr(0, ghostCallsign.size() - 1);
    return std::any_of(g_liveAircraft.begin(), g_liveAircraft.end(), [&](const LiveAc& ac) {
        return ac.acState != AcState::removingfromsim && ac.callsign == real;
    });
}

void gf_removeDuplicatesOfNewAc(const LiveAc& ac, bool onGround)
{
    if (ac.callsign.empty())
        return;
    for (StaticAc& s : g_staticAircraft) {
        if (s.acState != AcState::active)
            continue;
        const std::string line = lf_duplicateLine(s, ac, onGround ? "on ground" : "airborne");
        if (line.empty())
            continue;
        gf_logIf(line);
        removeAircraftFromSim(s);
        return;
    }
}

void gf_avoidCollisionWithStatic(LiveAc& ac)
{
    const LatLon here{ac.position[POS_LAT], ac.position[POS_LON]};
    ac.lastStaticCheck = {here.lat, here.lon};
    if (ac.landingRoll || ac.takeoffRoll)
        return;
    for (StaticAc& s : g_staticAircraft) {
        if (s.acState != AcState::active || s.callsign == ac.callsign ||
            gf_distanceNm(here, LatLon{s.standLat, s.standLon}) > 1.1 * (s.halfWingspanNm + ac.halfWingspanNm))
            continue;
        gf_logIf(fmt::format("{:8}: {:8} removed for collision avoidance with static {}", gf_standName(s.standId),
                             s.callsign, ac.callsign));
        removeAircraftFromSim(s);
        return;
    }
}
