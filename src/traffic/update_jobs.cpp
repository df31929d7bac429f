// The traffic jobs of the per-update work (about once a second): the duplicate check, the callsign
// lookup, the collision rules with the user aircraft and between live and static aircraft, the
// blocked callsign, the whole-list removals and the callsign to object id list.
#include "foundation/geometry.h"
#include "foundation/half_hours.h"
#include "foundation/log.h"
#include "foundation/text_utils.h"
#include "simlink/user_aircraft.h"
#include "traffic/angles.h"
#include "traffic/followed_object.h"
#include "traffic/identity_rules.h"
#include "traffic/sample_helpers.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_names.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <fstream>

namespace {

constexpr double g_feetPerNm = 6076.11549;

// The user's position when the static aircraft were last checked against it.
std::array<double, 2> g_userAtStaticCheck{};

LatLon lf_at(const LiveAc& ac) { return LatLon{ac.position[POS_LAT], ac.position[POS_LON]}; }

bool lf_moved(double lat, double lon, const std::array<double, 2>& noted)
{
    return std::fabs(lat - noted[0]) >= g_samePositionDeg || std::fabs(lon - noted[1]) >= g_samePositionDeg;
}


void lf_avoidUserOnGround(const UserAcData& user)
{
    const LatLon u{user.latitude, user.longitude};
    const double radius = gf_userHalfWingspan().value_or(0.0);
    if (gf_removeFirst(g_liveAircraft, [&](const LiveAc& ac) {
            return ac.onGround && ac.acState == AcState::active &&
                   gf_distanceNm(u, lf_at(ac)) <= 1.15 * (radius + ac.halfWingspanNm);
        }))
        return;
    if (!lf_moved(user.latitude, user.longitude, g_userAtStaticCheck))
        return;
    g_userAtStaticCheck = {user.latitude, user.longitude};
    gf_removeFirst(g_staticAircraft, [&](const StaticAc& s) {
        return s.acState == AcState::active &&
               gf_distanceNm(u, LatLon{s.standLat, s.standLon}) <= 1.1 * (radius + s.halfWingspanNm);
    });
}

// Near the runway (user low, aircraft on the ground within 1 nm): an aircraft within 50 ft of the
// user's heading line. Else within 4 nm and 1000 ft: one whose track passes within 700 ft of the user.
bool lf_inTheUsersWay(const UserAcData& user, const LiveAc& ac)
{
    const LatLon u{user.latitude, user.longitude};
    const double d = gf_distanceNm(u, lf_at(ac));
    if (ac.onGround && user.altitudeAboveGround < 500.0 && d <= 1.0)
        return std::sin(std::fabs(gf_wrapPi(gf_bearingRad(u, lf_at(ac)) - user.heading))) * d * g_feetPerNm <= 50.0;
    if (d > 4.0 || !(std::fabs(ac.position[POS_ALT] - user.altitude) < 1000.0))
        return false;
    const double bearing = gf_bearingRad(u, lf_at(ac));
    const double a = gf_wrapPi(ac.position[POS_HEADING] - bearing) * g_rad2deg;
    const double b = std::fabs(90.0 - std::fabs(a));
    return std::cos(b * g_deg2rad) * d * g_feetPerNm <= 700.0;
}

} // namespace

void gf_checkNextDuplicate(std::uint64_t timeSlot)
{
    // an entry whose aircraft is gone (removed, refused, blocked) would hold up all behind it
    while (!g_duplicateCheckList.empty()) {
        LiveAc* ac = gf_findLiveAc(g_duplicateCheckList.front());
        g_duplicateCheckList.pop_front();
        if (ac == nullptr)
            continue;
        if (!ac->coupledSearchDone) {
            gf_searchForCoupledCsAroundThisTime(gf_unpackWeekPoint(timeSlot), *ac);
            ac->coupledSearchDone = true;
        }
        gf_removeDuplicatesOfNewAc(*ac, ac->onGround);
        return;
    }
}

std::optional<std::uint32_t> gf_activeLiveObjectId(std::string_view callsign)
{
    const auto it = std::find_if(g_liveAircraft.begin(), g_liveAircraft.end(), [&](const LiveAc& ac) {
        return ac.acState == AcState::active && ac.callsign == callsign;
    });
    g_followedObjectId = it == g_liveAircraft.end() ? 0 : it->objectId;
    if (it == g_liveAircraft.end())
        return std::nullopt;
    return it->objectId;
}

void gf_avoidCollisionWithUser(const UserAcData& user, bool userOnGround)
{
    if (userOnGround) {
        lf_avoidUserOnGround(user);
        return;
    }
    gf_removeFirst(g_liveAircraft,
                   [&](const LiveAc& ac) { return ac.acState == AcState::active && lf_inTheUsersWay(user, ac); });
}

void gf_avoidLiveParkedCollisions()
{
    if (g_staticAircraft.empty())
        return;
    for (LiveAc& ac : g_liveAircraft) {
        if (ac.onGround && ac.acState == AcState::active &&
            (ac.flightState == FlightState::taxi || ac.flightState == FlightState::parking) &&
            lf_moved(ac.position[POS_LAT], ac.position[POS_LON], ac.lastStaticCheck))
            gf_avoidCollisionWithStatic(ac);
    }
}

bool gf_removeActiveLiveAcByCallsign(std::string_view callsign)
{
    return gf_removeFirst(g_liveAircraft, [&](const LiveAc& ac) {
        return ac.callsign == callsign && ac.acState == AcState::active;
    });
}

void gf_removeStaticDuplicateOfLiveAc()
{
    if (g_staticAircraft.empty())
        return;
    for (const LiveAc& ac : g_liveAircraft) {
        if (!ac.onGround || ac.acState != AcState::active)
            continue;
        const auto lt_duplicate = [&](const StaticAc& s) {
            return gf_equalsWithStar(ac.callsign, s.callsign) ||
                   (!ac.registration.empty() && s.registration == ac.registration);
        };
        if (gf_removeFirst(g_staticAircraft,
                           [&](const StaticAc& s) { return s.acState == AcState::active && lt_duplicate(s); }))
            return;
    }
}

void gf_removeAllStaticAc()
{
    // waiting creations are withdrawn by hex id from the static queue; the rest leave the simulator
    for (StaticAc& s : g_staticAircraft)
        removeAircraftFromSim(s);
    std::erase_if(g_staticAircraft, [](const StaticAc& s) { return s.erase || s.eraseNow; });
}

void gf_writeCallsign2ObjectId()
{
    std::vector<std::string> lines;
    for (const LiveAc& ac : g_liveAircraft) {
        if (ac.acState != AcState::active)
            continue;
        const std::string parked =
            ac.flightState == FlightState::parked ? fmt::format("Parked at {}", gf_standName(ac.standId)) : "";
        lines.push_back(fmt::format("{} {:9} {} {}: {} {}", ac.onGround ? "Gnd" : "Air", ac.callsign, ac.airline,
                                    ac.type, ac.objectId, parked));
    }
    std::sort(lines.begin(), lines.end());
    std::ofstream file(std::string(g_callsignListFile), std::ios::trunc);
    for (const std::string& line : lines)
        file << line << '\n';
    if (!file)
        gf_logError(fmt::format("Writing {} failed", g_callsignListFile));
}

void gf_resetUpdateJobs()
{
    g_userAtStaticCheck = {};
    g_followedObjectId = 0;
}
