// The half-hourly adjustment of the static parking: the static aircraft that stand now are
// compared with a fresh plan for this half hour; what no longer belongs leaves, what still fits
// stays, what is missing is planned, and an aircraft whose option ends now is created again
// under the callsign it departs with.
#include "aircraft/dbase_lookup.h"
#include "airports/park_data.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"
#include "traffic/parked_counts.h"
#include "traffic/run_flags.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_search.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <algorithm>
#include <fmt/format.h>

namespace {

bool lf_active(const StaticAc& s, std::uint32_t noRealHexid)
{
    return s.acState == AcState::active && s.noRealHexid == noRealHexid;
}

bool lf_sameAircraft(const StaticAc& s, const StaticPlanEntry& e)
{
    return (!e.callsign.empty() && s.callsign == gf_starredCallsign(e.callsign)) ||
           (!e.secondCallsign.empty() && s.callsign == gf_starredCallsign(e.secondCallsign));
}

void lf_addKeptStatic(const StaticAc& s, bool leaving)
{
    g_keptStatics.push_back(KeptStatic{s.callsign, s.coupledCallsign1, s.coupledCallsign2, s.registration, s.airline,
                                       s.type, WeekPoint{s.parkedSlot.first, s.parkedSlot.second}, s.standId,
                                       leaving});
}

StaticAc* lf_findActiveStatic(const std::string& callsign, std::uint32_t standId)
{
    const auto it = std::find_if(g_staticAircraft.begin(), g_staticAircraft.end(), [&](const StaticAc& s) {
        return s.acState == AcState::active && s.standId == standId && s.callsign == callsign;
    });
    return it == g_staticAircraft.end() ? nullptr : &*it;
}

template <class Test>
std::vector<StaticPlanEntry>::iterator lf_findEntry(Test test)
{
    return std::find_if(g_staticPlan.begin(), g_staticPlan.end(), test);
}

// The entry was seen no later than the static aircraft was parked: the aircraft stays and the
// entry leaves the plan; a newer entry replaces the aircraft.
void lf_keepOrReplace(StaticAc& s, std::vector<StaticPlanEntry>::iterator entry, WeekPoint now)
{
    if (entry->age >= gf_staticAge(s, now)) {
        lf_addKeptStatic(s, false);
        g_staticPlan.erase(entry);
    } else {
        gf_queueStaticRemoval(s);
    }
}

void lf_newPositionsFromParkedTraffic(WeekPoint now)
{
    gf_fitParkedTraffic(now);
    for (StaticAc& s : g_staticAircraft) {
        if (!lf_active(s, 0))
            continue;
        const auto entry = lf_findEntry([&s](const StaticPlanEntry& e) {
            return lf_sameAircraft(s, e) || (!s.registration.empty() && s.registration == e.registration);
        });
        if (gf_hexIdInFeed(s.realHexid) || entry == g_staticPlan.end() || entry->standId != s.standId) {
            gf_queueStaticRemoval(s);
            continue;
        }
        lf_addKeptStatic(s, false);
        g_staticPlan.erase(entry);
    }
    const auto size = static_cast<std::int64_t>(g_staticPlan.size());
    gf_log(fmt::format("{} new parking position{} from PT", size, gf_plural(size)));
}

// Parked traffic against the option-made static aircraft: a newer parked aircraft on the stand
// replaces one.
void lf_checkOptionStatics(WeekPoint now)
{
    for (StaticAc& s : g_staticAircraft) {
        if (!lf_active(s, 1))
            continue;
        const auto entry = lf_findEntry([&s](const StaticPlanEntry& e) {
            return e.standId == s.standId || (!e.callsign.empty() && s.callsign == gf_starredCallsign(e.callsign));
        });
        if (entry == g_staticPlan.end())
            continue;
        if (entry->age >= gf_staticAge(s, now) ||
            (s.callsign == gf_starredCallsign(entry->callsign) && s.airline == entry->airline && s.type == entry->type))
            g_staticPlan.erase(entry);
        else
            gf_queueStaticRemoval(s);
    }
}

// A plan entry on a neighbouring stand whose aircraft would touch the static one.
std::vector<StaticPlanEntry>::iterator lf_collidingEntry(const StaticAc& s)
{
    const Stand* stand = gf_findStandById(s.standId);
    if (stand == nullptr)
        return g_staticPlan.end();
    const auto& near = stand->neighbours;
    return lf_findEntry([&](const StaticPlanEntry& e) {
        const Stand* other = gf_findStandById(e.standId);
        return other != nullptr && std::find(near.begin(), near.end(), e.standId) != near.end() &&
               gf_distanceNm(LatLon{stand->latitude, stand->longitude}, LatLon{other->latitude, other->longitude}) <
                   s.halfWingspanNm + gf_getHalfWingspan(e.type);
    });
}

// An option of the stand with the aircraft's registration, airline and type holds one of the
// last `window` half hours.
bool lf_bookedInWindow(const StaticAc& s, WeekPoint now, std::int32_t window)
{
    const Stand* stand = gf_findStandById(s.standId);
    if (stand == nullptr)
        return false;
    for (const StandOption& o : stand->options) {
        if (o.reg != s.registration || o.airl != s.airline || o.type != s.type)
            continue;
        for (std::int32_t k = 0; k <= window; ++k) {
            const WeekPoint point = gf_halfHoursBack(now, static_cast<std::uint32_t>(k));
            if (gf_optionDayFits(o, point.day) && o.hh.test(point.slot))
                return true;
        }
    }
    return false;
}

// The kept aircraft's option holds the next half hour.
bool lf_staysNextHalfHour(const KeptStatic& k, WeekPoint now)
{
    const Stand* stand = gf_findStandById(k.standId);
    const WeekPoint next = gf_nextHalfHour(now);
    return stand == nullptr || std::any_of(stand->options.begin(), stand->options.end(), [&](const StandOption& o) {
               return o.cs == k.firstCallsign && o.airl == k.airline && o.type == k.type &&
                      gf_optionDayFits(o, next.day) && o.hh.test(next.slot);
           });
}

void lf_checkOptionStaticsAgainstPlan(WeekPoint now)
{
    const std::int32_t window = std::min(std::max(g_lastRealFit, g_lastSoftFit), 47);
    for (StaticAc& s : g_staticAircraft) {
        if (!lf_active(s, 1))
            continue;
        if (gf_callsignInFeed(s.coupledCallsign1) || gf_callsignInFeed(s.coupledCallsign2)) {
            gf_queueStaticRemoval(s); // the real aircraft flies now
            continue;
        }
        if (const auto entry = lf_findEntry([&s](const StaticPlanEntry& e) { return e.standId == s.standId; });
            entry != g_staticPlan.end()) {
            if (s.airline == entry->airline && s.type == entry->type && lf_sameAircraft(s, *entry)) {
                lf_addKeptStatic(s, false);
                g_staticPlan.erase(entry);
            } else {
                lf_keepOrReplace(s, entry, now);
            }
            continue;
        }
        if (const auto colliding = lf_collidingEntry(s); colliding != g_staticPlan.end())
            lf_keepOrReplace(s, colliding, now);
        else if (lf_bookedInWindow(s, now, window))
            lf_addKeptStatic(s, false);
        else
            gf_queueStaticRemoval(s);
    }
    std::stable_sort(g_keptStatics.begin(), g_keptStatics.end(), [now](const KeptStatic& a, const KeptStatic& b) {
        return gf_halfHoursBetween(a.parked, now) < gf_halfHoursBetween(b.parked, now);
    });
    for (KeptStatic& k : g_keptStatics)
        if (!k.secondCallsign.empty() && k.callsign.find(k.secondCallsign) == std::string::npos &&
            !lf_staysNextHalfHour(k, now))
            k.leaving = true;
}

// A leaving aircraft is planned again under its departure callsign, with its parked point kept.
void lf_recreateLeaving(WeekPoint now)
{
    for (const KeptStatic& k : g_keptStatics) {
        if (!k.leaving)
            continue;
        StaticAc* old = lf_findActiveStatic(k.callsign, k.standId);
        if (old == nullptr)
            continue;
        g_staticPlan.push_back(StaticPlanEntry{0, 1, k.standId, gf_halfHoursBetween(k.parked, now), k.airline, k.type,
                                               k.firstCallsign, k.secondCallsign, k.registration, false});
        gf_queueStaticRemoval(*old);
    }
    std::erase_if(g_keptStatics, [](const KeptStatic& k) { return k.leaving; });
}

// Down to the wanted number: planned entries first, then kept static aircraft, then (with a
// maximum at all) the longest-parked live aircraft; each taken off its list as it is acted on.
void lf_trimToWanted(std::int32_t wanted)
{
    std::int64_t excess = std::ssize(g_liveParked) + std::ssize(g_keptStatics) + std::ssize(g_staticPlan) - wanted;
    for (; excess > 0; --excess) {
        if (!g_staticPlan.empty()) {
            g_staticPlan.pop_back();
        } else if (!g_keptStatics.empty()) {
            if (StaticAc* s = lf_findActiveStatic(g_keptStatics.back().callsign, g_keptStatics.back().standId))
                gf_queueStaticRemoval(*s);
            g_keptStatics.pop_back();
        } else if (!g_liveParked.empty() && wanted > 0) {
            const ParkedLive p = g_liveParked.back();
            g_liveParked.pop_back();
            for (LiveAc& ac : g_liveAircraft)
                if (ac.acState == AcState::active && ac.standId == p.standId && ac.callsign == p.callsign) {
                    gf_removeForMaxPark(ac);
                    break;
                }
        } else {
            break;
        }
    }
}

void lf_applyRemovals()
{
    gf_applyStaticRemovals();
    if (!g_staticPlan.empty())
        gf_beginBusyModeHook();
}

void lf_fillStandOf(std::uint32_t standId)
{
    if (Stand* stand = gf_findStandById(standId))
        gf_fillStand(*stand);
}

} // namespace

void gf_adjustParking(bool removeAll)
{
    const WeekPoint now = gf_logTimeOfDay();
    gf_refreshFeedIndex();
    gf_beginBusyModeHook();
    gf_showSoftFitHook(false);
    g_staticRemovals.clear();
    g_keptStatics.clear();
    g_liveParked.clear();
    g_staticPlan.clear();
    for (Stand& stand : g_parkStands) {
        stand.filled = stand.excluded = stand.blocked = false;
        gf_renumberOptions(stand.options);
    }
    gf_excludeReservedStands();
    if (removeAll)
        for (StaticAc& s : g_staticAircraft)
            if (lf_active(s, 1))
                gf_queueStaticRemoval(s);
    const std::int32_t wanted = gf_wantedParkedCount();
    const bool ptOnly = RT_PARKTRAFFIC_ONLY.value;
    g_liveParked = gf_listParkedLiveAc();
    if (!ptOnly && wanted > 0 && std::ssize(g_liveParked) > wanted) {
        const auto more = static_cast<std::int32_t>(std::ssize(g_liveParked) - wanted);
        gf_showStatus(fmt::format("Parking adjustments: {} more live ac than wanted", more), true);
        gf_removeParkedLiveAc(more);
        g_liveParked = gf_listParkedLiveAc();
    }
    for (const ParkedLive& p : g_liveParked)
        lf_fillStandOf(p.standId);
    const bool received = MAX_PARK_SEL.value > 0 && gf_takeParkedTraffic(now);
    if (received)
        lf_newPositionsFromParkedTraffic(now);
    if (ptOnly) {
        // no stand options: without an answer nothing changes but what was queued above
        if (received)
            gf_showStatus(fmt::format("ParkTraffic changes: {} to be removed, {} to be added", g_staticRemovals.size(),
                                      g_staticPlan.size()),
                          true);
        lf_applyRemovals();
        return;
    }
    if (!removeAll)
        lf_checkOptionStatics(now);
    const auto extra = static_cast<std::int32_t>(std::ssize(g_liveParked) + std::ssize(g_keptStatics));
    for (const KeptStatic& k : g_keptStatics)
        lf_fillStandOf(k.standId);
    if (wanted - std::ssize(g_staticPlan) != extra)
        gf_fitStandOptions(now, wanted, extra);
    lf_checkOptionStaticsAgainstPlan(now);
    lf_recreateLeaving(now);
    lf_trimToWanted(wanted);
    std::stable_sort(g_staticPlan.begin(), g_staticPlan.end(),
                     [](const StaticPlanEntry& a, const StaticPlanEntry& b) { return a.age > b.age; });
    gf_showStatus(fmt::format("Parking adjustments: {} to be removed, {} to be added", g_staticRemovals.size(),
                              g_staticPlan.size()),
                  true);
    lf_applyRemovals();
}
