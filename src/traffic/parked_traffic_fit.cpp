// Plan entries from the parked traffic of the web service: each parked aircraft that flies in
// the live feed under no name goes to the free stand at its position, or keeps a newer static
// aircraft there.
#include "aircraft/dbase_lookup.h"
#include "airports/park_data.h"
#include "feed/parked_request.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "traffic/ac_descriptions.h"
#include "traffic/parked_counts.h"
#include "traffic/stand_search.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_containers.h"

#include <fmt/format.h>
#include <utility>
#include <unordered_set>

namespace {

constexpr double g_parkedStandNm = 0.05939524838012959; // 110 m

// The identities of the live aircraft, looked up once per record.
struct LiveIdentities {
    std::unordered_set<std::uint32_t> hexIds;
    std::unordered_set<std::string> names; // callsigns and registrations

    LiveIdentities()
    {
        for (const LiveAc& ac : g_liveAircraft) {
            hexIds.insert(ac.hexid);
            names.insert(ac.callsign);
            if (!ac.registration.empty())
                names.insert("reg:" + ac.registration);
        }
    }
    bool flies(const ParkedTrafficRecord& r) const
    {
        return hexIds.contains(r.hexId) || names.contains(r.callsign) || names.contains(r.callsign + "_") ||
               (!r.registration.empty() && names.contains("reg:" + r.registration));
    }
};

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
bool lf_newerStaticStays(const Stand& stand, const ParkedTrafficRecord& r, WeekPoint now)
{
    const std::string starred = gf_starredCallsign(r.callsign);
    for (StaticAc& s : g_staticAircraft) {
        if (s.standId != stand.id || s.noRealHexid != 0 || s.acState != AcState::active || s.callsign == starred)
            continue;
        const std::int32_t age = gf_staticAge(s, now);
        if (std::cmp_greater(r.slot, age)) {
            g_staticPlan.push_back(lf_entryOf(s, s.realHexid, stand.id, age));
            return true;
        }
        gf_queueStaticRemoval(s);
        return false;
    }
    return false;
}

} // namespace

void gf_fitParkedTraffic(WeekPoint now)
{
    const std::int32_t wanted = gf_wantedParkedCount();
    const bool ptOnly = RT_PARKTRAFFIC_ONLY.value;
    if ((wanted == 0 && !ptOnly) || g_parkedRecords.empty())
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
    for (const ParkedTrafficRecord& r : g_parkedRecords) {
        if (!ptOnly && std::cmp_greater_equal(g_staticPlan.size(), wanted))
            break;
        if (r.callsign.empty() || gf_hexIdInFeed(r.hexId) || gf_callsignInFeed(r.callsign) || live.flies(r))
            continue;
        AcBase ac(r);
        if (ac.airline.empty() && !gf_airlineFromCallsign(ac))
            ac.airline = "PVT";
        if (const auto record = gf_findDbaseRecord(ac.registration))
            ac.cargo = record->cargo;
        Stand* stand = findFreeStandNear(LatLon{r.lat, r.lon}, ac, g_parkedStandNm, false);
        if (stand == nullptr) {
            gf_logIndented(fmt::format("[{:10}: {:8x} {:8} {:12}, hh:{} ===> no stand for PT {}", r.stand, r.hexId,
                                       r.callsign, r.registration, r.slot, fmt::format("{:.6f},{:.6f}", r.lat, r.lon)));
            continue;
        }
        if (stand->excluded || stand->filled ||
            (stand->blocked && lf_collidesWithPlanned(*stand, ac.halfWingspanNm, planOnStand)))
            continue;
        if (lf_newerStaticStays(*stand, r, now)) {
            lt_planned(*stand); // the stand is taken by the static aircraft's entry
            continue;
        }
        g_staticPlan.push_back(lf_entryOf(ac, r.hexId, stand->id, static_cast<std::int32_t>(r.slot)));
        lt_planned(*stand);
    }
}
