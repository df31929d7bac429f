// Plan entries from the parked traffic of the web service: each parked aircraft that flies in
// the live feed under no name goes to the free stand at its position, or keeps a newer static
// aircraft there. The answer is asked for without waiting; a later pass takes it and finds each
// aircraft's stand (the bulk of the work), and the fit against the live feed's index collected
// meanwhile is a pass of its own (the calculation, or the recalculation's second phase).
#include "aircraft/dbase_lookup.h" // gf_getHalfWingspan
#include "airports/park_data.h"
#include "feed/parked_request.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "traffic/ac_descriptions.h"
#include "traffic/parked_counts.h"
#include "traffic/run_flags.h"
#include "traffic/sample_helpers.h"
#include "traffic/stand_search.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_containers.h"

#include <fmt/format.h>
#include <stdexcept>
#include <unordered_set>
#include <utility>

namespace {

constexpr double g_parkedStandNm = 0.05939524838012959; // 110 m
constexpr std::int64_t g_preparedForNs = 60'000'000'000; // an answer prepared ahead is used within a minute

// A parked aircraft of the answer with its stand as found when the answer came.
struct LocatedParked {
    AcBase ac;          // airline, type, callsign, registration, size
    std::string stand;  // the service's name of the stand
    LatLon at;
    std::uint32_t hexId = 0;
    std::uint32_t slot = 0; // half hours since it was seen
    std::uint32_t standId = 0; // 0: none within reach
    LatLon standAt;
};

struct PreparedAnswer {
    bool asked = false; // asked for, the answer not taken yet
    bool ready = false; // taken and located, not used yet
    bool received = false;
    std::string airport;
    std::int64_t steadyNs = 0;
    WeekPoint at;
    std::vector<LocatedParked> located;
};
PreparedAnswer g_prepared;

// The live aircraft's identities, looked up once per record.
struct LiveIdentities {
    std::unordered_set<std::uint32_t> hexIds;
    std::unordered_set<std::string> callsigns;
    std::unordered_set<std::string> registrations;

    LiveIdentities()
    {
        for (const LiveAc& ac : g_liveAircraft) {
            hexIds.insert(ac.hexid);
            callsigns.insert(ac.callsign);
            if (!ac.registration.empty())
                registrations.insert(ac.registration);
        }
    }
    bool flies(const LocatedParked& p) const
    {
        const AcBase& r = p.ac;
        return hexIds.contains(p.hexId) || callsigns.contains(r.callsign) || callsigns.contains(r.callsign + "_") ||
               (!r.registration.empty() && registrations.contains(r.registration));
    }
};

// A refused request (statuses 400 and 403 raise) is no answer: the plan goes on with the options.
bool lf_takeParkedAnswer()
{
    try {
        return gf_takeParkedAnswer();
    } catch (const std::runtime_error& e) {
        gf_logError(fmt::format("{}: {}", "gf_receiveParkedTraffic", e.what()));
        return false;
    }
}

Stand* lf_note(LocatedParked& p, Stand* stand)
{
    p.standId = stand == nullptr ? 0 : stand->id;
    p.standAt = stand == nullptr ? LatLon{} : LatLon{stand->latitude, stand->longitude};
    return stand;
}

// The stand found ahead, or found again when it changed since: taken by a live aircraft, or
// another park airport's stands loaded.
Stand* lf_standOf(LocatedParked& p)
{
    Stand* stand = gf_findStandById(p.standId);
    if (stand != nullptr && !stand->liveOccupied && stand->latitude == p.standAt.lat &&
        stand->longitude == p.standAt.lon)
        return stand;
    return lf_note(p, findFreeStandNear(p.at, p.ac, g_parkedStandNm, false));
}

// A planned neighbour of the blocked stand would touch an aircraft of this half wingspan there.
bool lf_collidesWithPlanned(const Stand& stand, double halfSpanNm, const std::vector<std::int32_t>& planOnStand)
{
    for (const std::uint32_t id : stand.neighbours) {
        const Stand* neighbour = gf_findStandById(id);
        if (neighbour == nullptr || id >= planOnStand.size() || planOnStand[id] < 0)
            continue;
        const StaticPlanEntry& entry = g_staticPlan[static_cast<std::size_t>(planOnStand[id])];
        if (gf_distanceNm(LatLon{stand.latitude, stand.longitude}, LatLon{neighbour->latitude, neighbour->longitude}) <
            gf_getHalfWingspan(entry.type) + halfSpanNm)
            return true;
    }
    return false;
}

StaticPlanEntry lf_entryOf(const AcBase& ac, std::uint32_t hexId, std::uint32_t standId, std::int32_t age)
{
    return StaticPlanEntry{hexId, 0, standId, age, ac.airline, ac.type, ac.callsign, {}, ac.registration, true};
}

// Another parked-traffic static on the stand: one seen later than the record stays (true; its
// entry is planned), an older one leaves.
bool lf_newerStaticStays(const Stand& stand, const LocatedParked& p, WeekPoint now)
{
    const std::string starred = gf_starredCallsign(p.ac.callsign);
    for (StaticAc& s : g_staticAircraft) {
        if (s.standId != stand.id || s.noRealHexid != 0 || s.acState != AcState::active || s.callsign == starred)
            continue;
        const std::int32_t age = gf_staticAge(s, now);
        if (std::cmp_greater(p.slot, age)) {
            g_staticPlan.push_back(lf_entryOf(s, s.realHexid, stand.id, age));
            return true;
        }
        gf_queueStaticRemoval(s);
        return false;
    }
    return false;
}

} // namespace

void gf_requestParkedTraffic()
{
    g_prepared = PreparedAnswer{};
    if (MAX_PARK_SEL.value <= 0)
        return; // none asked for: the plan goes on with the options
    g_prepared.airport = parkAirport.code;
    gf_askParkedTraffic();
    g_prepared.asked = true;
}

bool gf_parkedTrafficAwaited() { return g_prepared.asked; }

bool gf_locateParkedTraffic()
{
    if (!g_prepared.asked || gf_parkedTrafficPending())
        return false;
    g_prepared.asked = false;
    g_prepared.received = lf_takeParkedAnswer();
    g_prepared.ready = true;
    g_prepared.steadyNs = gf_steadyNowNs();
    g_prepared.at = gf_unpackWeekPoint(g_timeSlot);
    if (!g_prepared.received)
        return true;
    g_prepared.located.reserve(g_parkedRecords.size());
    StandsByLatitude stands;
    for (ParkedTrafficRecord& r : g_parkedRecords) {
        if (r.callsign.empty())
            continue;
        LocatedParked& p = g_prepared.located.emplace_back(
            LocatedParked{AcBase(r), std::move(r.stand), LatLon{r.lat, r.lon}, r.hexId, r.slot, 0, {}});
        if (p.ac.airline.empty() && !gf_airlineFromCallsign(p.ac))
            p.ac.airline = "PVT";
        lf_note(p, stands.findFreeStandNear(p.at, p.ac, g_parkedStandNm, false));
    }
    return true;
}

bool gf_takeParkedTraffic(WeekPoint now)
{
    if (!g_prepared.ready || g_prepared.airport != parkAirport.code ||
        gf_steadyNowNs() - g_prepared.steadyNs > g_preparedForNs) {
        // none taken in time (a late answer is not used by a later plan either): no waiting here
        g_prepared = PreparedAnswer{};
        return false;
    }
    g_prepared.ready = false;
    // a half hour that began since the answer came makes every aircraft seen one more ago
    const auto later = static_cast<std::uint32_t>(gf_halfHoursBetween(g_prepared.at, now));
    for (LocatedParked& p : g_prepared.located)
        p.slot += later;
    g_prepared.at = now;
    return g_prepared.received;
}

void gf_forgetParkedTraffic() { g_prepared = PreparedAnswer{}; }

void gf_fitParkedTraffic(WeekPoint now)
{
    const std::int32_t wanted = gf_wantedParkedCount();
    const bool ptOnly = RT_PARKTRAFFIC_ONLY.value;
    if ((wanted == 0 && !ptOnly) || g_prepared.located.empty())
        return;
    const LiveIdentities live;
    std::vector<std::int32_t> planOnStand(g_parkStands.size() + 1, -1); // stand id -> entry
    const auto lt_planned = [&](Stand& stand) {
        if (stand.id < planOnStand.size())
            planOnStand[stand.id] = static_cast<std::int32_t>(g_staticPlan.size()) - 1;
        gf_fillStand(stand);
    };
    for (const StaticPlanEntry& e : g_staticPlan)
        if (e.standId < planOnStand.size())
            planOnStand[e.standId] = static_cast<std::int32_t>(&e - g_staticPlan.data());
    for (LocatedParked& p : g_prepared.located) {
        const AcBase& r = p.ac;
        if (!ptOnly && std::cmp_greater_equal(g_staticPlan.size(), wanted))
            break;
        if (gf_hexIdInFeed(p.hexId) || gf_callsignInFeed(r.callsign) || live.flies(p))
            continue;
        Stand* stand = lf_standOf(p);
        if (stand == nullptr) {
            gf_logIndented(fmt::format("[{:10}: {:8x} {:8} {:12}, hh:{} ===> no stand for PT {}", p.stand, p.hexId,
                                       r.callsign, r.registration, p.slot,
                                       fmt::format("{:.6f},{:.6f}", p.at.lat, p.at.lon)));
            continue;
        }
        if (stand->excluded || stand->filled ||
            (stand->blocked && lf_collidesWithPlanned(*stand, p.ac.halfWingspanNm, planOnStand)))
            continue;
        if (lf_newerStaticStays(*stand, p, now)) {
            lt_planned(*stand); // the stand is taken by the static aircraft's entry
            continue;
        }
        g_staticPlan.push_back(lf_entryOf(p.ac, p.hexId, stand->id, static_cast<std::int32_t>(p.slot)));
        gf_growStandFor(*stand, p.ac);
        lt_planned(*stand);
    }
}
