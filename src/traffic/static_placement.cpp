// The plan becomes static aircraft, one entry per call from the back of the plan: a stand with
// a live or static aircraft on it or beside it takes none, the others get a record, a livery and
// a create request.
#include "aircraft/livery_matching.h"
#include "airports/park_data.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "traffic/run_flags.h"
#include "traffic/stand_names.h"
#include "traffic/stand_search.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_containers.h"

#include <algorithm>
#include <fmt/format.h>

namespace {

std::uint32_t g_staticSerial = 0; // of the last static hex id

// A static aircraft on its way out of the simulator gives its stand up already.
bool lf_leaving(const StaticAc& s)
{
    return s.acState == AcState::removingfromsim ||
           (s.acState == AcState::adding2sim && (s.removeWhenCreated || s.eraseNow));
}


// A live aircraft parking or parked, or a static one that stays, on the stand or a neighbour.
bool lf_standTaken(const Stand& stand, const StaticPlanEntry& entry)
{
    const auto lt_near = [&stand](std::uint32_t id) {
        return id != 0 && (id == stand.id || std::find(stand.neighbours.begin(), stand.neighbours.end(), id) !=
                                                 stand.neighbours.end());
    };
    for (const LiveAc& live : g_liveAircraft) {
        if ((live.flightState != FlightState::parking && live.flightState != FlightState::parked) ||
            !lt_near(live.standId))
            continue;
        if (live.standId == stand.id)
            gf_logIf(fmt::format("{:8}: no static parking for {}, live aircraft {} standing here", stand.name,
                                 entry.callsign, live.callsign));
        else
            gf_logIf(fmt::format(
                "{:8}: no static parking for {}, live aircraft {} is adjacent at {}, possibly colliding", stand.name,
                entry.callsign, live.callsign, gf_standName(live.standId)));
        return true;
    }
    for (const StaticAc& s : g_staticAircraft) {
        if (lf_leaving(s) || !lt_near(s.standId))
            continue;
        gf_logIf(fmt::format("{:8}: no static parking for {}, static aircraft {} is adjacent at {}, possibly colliding",
                             stand.name, entry.callsign, s.callsign, gf_standName(s.standId)));
        return true;
    }
    return false;
}

} // namespace

std::string gf_displayedCallsign(const StaticPlanEntry& entry)
{
    const std::string& pick = entry.staysNextSlot ? entry.callsign : entry.secondCallsign;
    const std::string& other = entry.staysNextSlot ? entry.secondCallsign : entry.callsign;
    const std::string& callsign = pick.empty() ? other : pick;
    if (callsign.empty()) {
        gf_logError(fmt::format("{} callsign is empty..", "lf_detcs"));
        return {};
    }
    return gf_starredCallsign(callsign);
}

void gf_placeNextStaticAc()
{
    if (g_staticPlan.empty() || g_parkStands.empty())
        return;
    const StaticPlanEntry entry = std::move(g_staticPlan.back());
    g_staticPlan.pop_back();
    const Stand* stand = gf_findStandById(entry.standId);
    if (stand == nullptr) {
        gf_logError(fmt::format("stand with id {} not found", entry.standId));
        return;
    }
    if (lf_standTaken(*stand, entry))
        return;
    // a serial that a static aircraft still carries is passed over: one hex id, one record
    for (int tries = 0; tries == 0 || (tries < 10000 && gf_findStaticAc(g_staticSerial) != nullptr); ++tries)
        g_staticSerial = (g_staticSerial + 1) % 10000;
    const std::string callsign = entry.callsign.empty() ? fmt::format("{}{}{}", entry.airline, g_staticSerial, "*")
                                                        : gf_displayedCallsign(entry);
    StaticAc& ac = g_staticAircraft.emplace_back(AcBase(entry.airline, entry.type, "", "", callsign, entry.callsign,
                                                        entry.secondCallsign, entry.registration),
                                                 stand->id, stand->latitude, stand->longitude, stand->heading,
                                                 stand->cargo);
    ac.hexid = g_staticSerial;
    if (!gf_matchLiveryStaticAc(ac, stand->cargo, stand->name)) {
        g_staticAircraft.pop_back();
        return;
    }
    ac.noRealHexid = entry.noRealHexid;
    const WeekPoint parked =
        gf_halfHoursBack(gf_unpackWeekPoint(g_timeSlot), static_cast<std::uint32_t>(std::max(entry.age, 0)));
    ac.parkedSlot = {parked.day, parked.slot};
    ac.realHexid = entry.hexId;
    ac.acState = AcState::adding2sim;
    CreateRequest request;
    request.initPos.Latitude = stand->latitude;
    request.initPos.Longitude = stand->longitude;
    request.initPos.Heading = stand->heading * 57.29577951308232;
    request.initPos.OnGround = 1;
    request.callsign = callsign;
    request.liveryTitle = gf_ownedLiveryTitle(ac);
    request.hexId = ac.hexid;
    g_staticCreateDeque.push_back(std::move(request));
}

void gf_setStaticSerial(std::uint32_t serial) { g_staticSerial = serial; }
