#include "traffic/stand_parking.h"

#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "traffic/ac_descriptions.h"
#include "traffic/feed_intake.h"
#include "traffic/ground_movement.h"
#include "traffic/object_reports.h"
#include "traffic/parked_counts.h"
#include "traffic/sample_helpers.h"
#include "traffic/identity_rules.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_learning.h"
#include "traffic/stand_names.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_containers.h"
#include "traffic/user_snapshot.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

namespace {

constexpr double g_nearNm = 0.010799136;       // 20 m
constexpr double g_wideNm = 0.029697624;       // 55 m
constexpr double g_arrivedNm = 0.001079914;    // 2 m
constexpr double g_barelyMovedNm = 0.018898488; // 35 m

LatLon lf_at(const Stand& stand) { return LatLon{stand.latitude, stand.longitude}; }


std::string_view lf_lessLast(std::string_view cs) { return cs.empty() ? cs : cs.substr(0, cs.size() - 1); }


// The stand kept free for the user aircraft, or the one it stands on.
bool lf_keptForUser(const Stand& stand)
{
    const std::string reserved = g_reservedStand.get();
    if (!reserved.empty() && stand.name == reserved)
        return true;
    const UserAcData user = gf_copyUserSnapshot();
    const std::string userStand = gf_getNearestStandName(LatLon{user.latitude, user.longitude});
    return !userStand.empty() && stand.name == userStand;
}

// Aircraft of these half wingspans on the two stands would touch.
bool lf_tooClose(const Stand& a, const Stand& b, double halfSpanA, double halfSpanB)
{
    return gf_distanceNm(lf_at(a), lf_at(b)) <= 1.1 * (halfSpanA + halfSpanB);
}

bool lf_parkedOrPushing(const LiveAc& other)
{
    return other.acState == AcState::active &&
           (other.flightState == FlightState::parked || other.flightState == FlightState::pushing_back);
}

// The first neighbour whose first live aircraft, parked or pushing back under another callsign,
// stands too close to the stand for the aircraft.
std::vector<std::uint32_t>::const_iterator lf_findCollidingNeighbour(const std::vector<std::uint32_t>& neighbourIds,
                                                                    const Stand& stand, const LiveAc& aircraft)
{
    return std::find_if(neighbourIds.begin(), neighbourIds.end(), [&](std::uint32_t id) {
        const Stand* theirs = gf_findStandById(id);
        const LiveAc* other = nullptr;
        for (const LiveAc& x : g_liveAircraft)
            if (x.standId == id) {
                other = &x;
                break;
            }
        return theirs != nullptr && other != nullptr && lf_parkedOrPushing(*other) &&
               other->callsign != aircraft.callsign &&
               lf_tooClose(*theirs, stand, other->halfWingspanNm, aircraft.halfWingspanNm);
    });
}

std::string lf_formatMakesWay(std::string_view format, const std::string& stand, const StaticAc& s, const LiveAc& live)
{
    const bool same = s.coupledCallsign1 == live.callsign || s.registration == live.registration;
    return fmt::format(fmt::runtime(format), stand, s.callsign, s.registration, same ? " the same live version" : "",
                       live.callsign, live.registration);
}

// Static aircraft make way at the stand, in every state, and the first one on each neighbour
// that stands too close.
void lf_staticsMakeWay(const Stand& stand, const LiveAc& live)
{
    bool erased = false;
    for (StaticAc& s : g_staticAircraft) {
        if (s.standId != stand.id)
            continue;
        const AcState before = s.acState;
        removeAircraftFromSim(s);
        if (before == AcState::active)
            gf_logIf(lf_formatMakesWay("{:8}: {:8} {} makes way for{} {} {}", stand.name, s, live));
        else if (s.eraseNow)
            gf_logIf(lf_formatMakesWay("queued {:8}: {:8} {} makes way for{} {} {}", stand.name, s, live));
        erased = erased || s.erase || s.eraseNow;
    }
    for (const std::uint32_t id : stand.neighbours) {
        const Stand* neighbour = gf_findStandById(id);
        const auto it = std::find_if(g_staticAircraft.begin(), g_staticAircraft.end(), [&](const StaticAc& s) {
            return s.standId == id && s.acState == AcState::active && neighbour != nullptr &&
                   lf_tooClose(*neighbour, stand, s.halfWingspanNm, live.halfWingspanNm);
        });
        if (it == g_staticAircraft.end())
            continue;
        gf_logIf(fmt::format("{:8}: {:8} makes way for {} parking at excluded stand {}", gf_standName(it->standId),
                             it->callsign, live.callsign, stand.name));
        removeAircraftFromSim(*it);
    }
    if (erased)
        std::erase_if(g_staticAircraft, [](const StaticAc& s) { return s.erase || s.eraseNow; });
}

// The live aircraft parked on the stand, and those parked or pushing back on a neighbour too
// close to it, leave for the arriving one.
void lf_clearForArrival(const Stand& stand, const LiveAc& ac)
{
    for (LiveAc& other : g_liveAircraft) {
        if (&other == &ac || other.acState != AcState::active || other.standId == 0)
            continue;
        if (other.standId == stand.id && other.flightState == FlightState::parked) {
            gf_logIf(
                fmt::format("{:8}: {:8} removed, {} wants to park there", stand.name, other.callsign, ac.callsign));
            removeAircraftFromSim(other);
            continue;
        }
        if (!lf_parkedOrPushing(other) ||
            std::find(stand.neighbours.begin(), stand.neighbours.end(), other.standId) == stand.neighbours.end())
            continue;
        const Stand* theirs = gf_findStandById(other.standId);
        if (theirs != nullptr && lf_tooClose(*theirs, stand, other.halfWingspanNm, ac.halfWingspanNm)) {
            gf_logIf(fmt::format("{:8}: {:8} removed by parking {} at adjacent and possibly colliding stand {}",
                                 theirs->name, other.callsign, ac.callsign, stand.name));
            removeAircraftFromSim(other);
        }
    }
}

// The stand the aircraft held before it left the simulator to come back with another livery,
// when it is back beside it: no other aircraft got the stand meanwhile.
Stand* lf_heldStandNear(const LiveAc& ac, LatLon position)
{
    if (!ac.occupiesStand)
        return nullptr;
    Stand* stand = gf_findStandById(ac.standId);
    return stand != nullptr && gf_distanceNm(position, lf_at(*stand)) <= g_wideNm ? stand : nullptr;
}

} // namespace

void gf_takeStand(LiveAc& ac, const Stand& stand)
{
    gf_releaseStand(ac);
    ac.standLat = stand.latitude;
    ac.standLon = stand.longitude;
    ac.standHeading = stand.heading;
    ac.standId = stand.id;
    ac.darkCabin = stand.cargo;
    ac.standChecked = false;
    ac.standReferenceDistance = 0.0;
    ac.standLastDistance = 0.0;
    ac.standMoves = 0;
}

void gf_occupyStand(LiveAc& ac, Stand& stand)
{
    stand.liveOccupied = true;
    ac.occupiesStand = true;
}

void gf_releaseStand(LiveAc& ac)
{
    if (!ac.occupiesStand)
        return;
    ac.occupiesStand = false;
    if (Stand* stand = gf_findStandById(ac.standId))
        stand->liveOccupied = false;
}

void try2Park(LiveAc& ac, bool wide)
{
    if (ac.samples.empty()) {
        gf_logError(fmt::format("{} empty sz?", "try2Park"));
        return;
    }
    const FeedSample& last = ac.samples.back();
    if (std::fabs(last.lat - ac.lastParkTry[0]) < g_samePositionDeg &&
        std::fabs(last.lon - ac.lastParkTry[1]) < g_samePositionDeg)
        return;
    ac.lastParkTry = {last.lat, last.lon};
    Stand* stand = findFreeStandNear(gf_sampleLatLon(last), ac, wide ? g_wideNm : g_nearNm, wide);
    if (stand == nullptr || lf_keptForUser(*stand))
        return;
    lf_clearForArrival(*stand, ac);
    lf_staticsMakeWay(*stand, ac);
    gf_growStandFor(*stand, ac);
    gf_takeStand(ac, *stand);
    ac.samples.resize(1);
    gf_setFlightState(ac, FlightState::parking);
    drive2Stand(ac, StandPosition{stand->latitude, stand->longitude, stand->heading});
}

void drive2Stand(LiveAc& ac, const StandPosition& target)
{
    auto& q = ac.samples;
    if (q.empty()) {
        gf_logError(fmt::format("{} empty sz?", "drive2Stand"));
        return;
    }
    FeedSample& last = q.back();
    const LatLon to{target.latitude, target.longitude};
    const double dist = gf_distanceNm(gf_sampleLatLon(last), to);
    const std::int64_t t = std::max<std::int64_t>(gf_ticksFor(dist, ac.parkingSpeedKt), 100);
    last.groundSpeed = ac.parkingSpeedKt;
    FeedSample s;
    s.lat = to.lat;
    s.lon = to.lon;
    s.altitude = ac.position[POS_ALT];
    s.groundSpeed = ac.parkingSpeedKt;
    s.airspeed = ac.parkingSpeedKt;
    s.track = target.heading * g_rad2deg;
    s.dueTick = gf_clampTick(q.front().dueTick + t);
    s.samePosition =
        std::fabs(last.lat - to.lat) < g_samePositionDeg && std::fabs(last.lon - to.lon) < g_samePositionDeg;
    s.trueHeadingValid = q.front().trueHeadingValid;
    s.bank = ac.position[POS_BANK];
    q.push_back(s);
    s.groundSpeed = 0.0;
    s.airspeed = 0.0;
    s.samePosition = 1;
    s.dueTick = gf_clampTick(q.front().dueTick + 50 + t);
    q.push_back(s);
    ac.groundBearing = target.heading;
    if (ac.extrapolationsLeft > 0)
        gf_resetLimits(ac);
}

void checkArrival(LiveAc& ac)
{
    Stand* stand = gf_findStandById(ac.standId);
    if (stand != nullptr && stand->liveOccupied && !ac.occupiesStand) {
        // another live aircraft reached it first; the stand stays marked
        ac.extrapolationsLeft = 1;
        removeAircraftFromSim(ac);
        return;
    }
    const LatLon here{ac.position[POS_LAT], ac.position[POS_LON]};
    if (gf_distanceNm(here, LatLon{ac.standLat, ac.standLon}) > g_arrivedNm) {
        gf_parkingToTaxi(ac);
        return;
    }
    gf_setFlightState(ac, FlightState::parked);
    const WeekPoint now = gf_unpackWeekPoint(g_timeSlot);
    ac.parkedSlot = {now.day, now.slot};
    if (ac.towed)
        gf_logIf(fmt::format("          towed aircraft {} parks", gf_describeAc(ac)));
    if (!ac.samples.empty())
        ac.samples.front().samePosition = 1;
    ac.arrivalTime = gf_steadyNowNs();
    if (stand != nullptr)
        gf_occupyStand(ac, *stand);
    checkCargoStand(ac);
    gf_parkStaticAc(ac);
    gf_logIf(fmt::format("{:8}: {:8} arrived at stand", gf_standName(ac.standId), ac.callsign));
    g_duplicateCheckList.push_back(ac.hexid);
    if (!ac.airline.empty() && ac.darkCabin == ac.cargo)
        gf_learnStand(StandLearning::real, ac.standId, ac, now, false);
    gf_enforceMaxPark(0);
}

void gf_holdReachedStand(LiveAc& ac)
{
    if (Stand* stand = gf_findStandById(ac.standId); stand != nullptr && !stand->liveOccupied)
        gf_occupyStand(ac, *stand);
}

void gf_parkingToTaxi(LiveAc& ac)
{
    gf_releaseStand(ac);
    gf_setFlightState(ac, FlightState::taxi);
}

Stand* findStandAtSpawn(LiveAc& ac)
{
    auto& q = ac.samples;
    if (q.empty() || g_parkStands.empty() || !gf_nearParkAirport(gf_sampleLatLon(q.front())))
        return nullptr;
    const bool moving = q.front().samePosition == 0;
    LatLon position = gf_sampleLatLon(q.front());
    if (moving) {
        if ((q.size() > 1 && q[1].groundSpeed > 5.0) ||
            gf_distanceNm(gf_sampleLatLon(q.back()), position) > g_barelyMovedNm)
            return nullptr;
        position = gf_sampleLatLon(q.back());
    }
    Stand* stand = lf_heldStandNear(ac, position);
    if (stand == nullptr)
        stand = findFreeStandNear(position, ac, g_wideNm, !moving);
    if (stand == nullptr || lf_keptForUser(*stand))
        return nullptr;
    if (gf_keptOutWhileFull(ac) || !standMayBeTaken(stand->id, ac.callsign) ||
        lf_findCollidingNeighbour(stand->neighbours, *stand, ac) != stand->neighbours.end()) {
        removeAircraftFromSim(ac);
        return nullptr;
    }
    lf_staticsMakeWay(*stand, ac);
    gf_growStandFor(*stand, ac);
    if (moving) {
        q.front().samePosition = 1;
        q.front().groundSpeed = 0.0;
    }
    return stand;
}

bool standMayBeTaken(std::uint32_t standId, std::string_view callsign)
{
    for (LiveAc& old : g_liveAircraft) {
        if (standId == 0 || old.standId != standId || old.acState != AcState::active ||
            (old.flightState != FlightState::parked && old.flightState != FlightState::pushing_back &&
             old.flightState != FlightState::pushed_back))
            continue;
        const std::string stand = gf_standName(standId);
        if (old.callsign == callsign) {
            gf_logIf(fmt::format("{:8}: {:8} ac with same callsign {} wants it, remove existing ... ", stand,
                                 old.callsign, callsign));
        } else if (lf_lessLast(callsign) == old.callsign) {
            return false;
        } else if (callsign == lf_lessLast(old.callsign) ||
                   (gf_endsWithUnderscore(old.callsign) && !gf_endsWithUnderscore(callsign))) {
            gf_logIf(fmt::format("{:8}: {:8} ghost, replace by {}", stand, old.callsign, callsign));
        } else if ((!gf_endsWithUnderscore(old.callsign) && gf_endsWithUnderscore(callsign)) || old.feedParked) {
            return false;
        } else {
            gf_logIf(fmt::format("{:8}: {:8} removed because another live {} wants the stand ...", stand,
                                 old.callsign, callsign));
        }
        removeAircraftFromSim(old);
    }
    return true;
}

void checkCargoStand(LiveAc& ac)
{
    // the stand was taken as a cargo stand (darkCabin); a passenger aircraft on it shows otherwise
    if (ac.cargo || !ac.darkCabin)
        return;
    Stand* stand = gf_findStandById(ac.standId);
    if (stand == nullptr || !stand->cargo)
        return;
    stand->cargo = false;
    stand->cargo_change = true;
    gf_countStandUpdate();
    ac.darkCabin = false;
    gf_logError(fmt::format("{} stand: {}, cargo attribute set to false, {} parked here", parkAirport.code, stand->name,
                            gf_describeAc(ac)));
}
