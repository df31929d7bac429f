#include "traffic/live_update.h"

#include "aircraft/dbase_lookup.h"
#include "aircraft/livery_matching.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/ac_descriptions.h"
#include "traffic/airborne_motion.h"
#include "traffic/angles.h"
#include "traffic/feed_intake.h"
#include "traffic/identity_rules.h"
#include "traffic/live_ac_utilities.h"
#include "traffic/parked_counts.h"
#include "traffic/run_flags.h"
#include "traffic/sample_helpers.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_learning.h"
#include "traffic/stand_parking.h"
#include "traffic/traffic_containers.h"
#include "traffic/user_snapshot.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

namespace {

constexpr double g_feetPerNm = 6076.11549;
// consecutive failed updates after which an aircraft is taken out of the simulator
constexpr std::uint32_t g_maxFailedPasses = 10;


// Drops the oldest sample (and so postpones the spawn) while the aircraft would appear too close
// to the user aircraft.
bool lf_holdBackNearUser(LiveAc& ac)
{
    auto& q = ac.samples;
    const FeedSample s = q.front();
    const UserAcData user = gf_copyUserSnapshot();
    const LatLon u{user.latitude, user.longitude};
    const auto lt_drop = [&] {
        q.pop_front();
        return true;
    };
    const double d = gf_distanceNm(u, gf_sampleLatLon(s));
    if (g_userOnGround) {
        if (ac.spawnHeld) {
            if (user.groundVelocity > 8.0)
                return lt_drop();
            if (s.airborne == 0 && (s.groundSpeed > 8.0 || d * 1852.0 <= 500.0))
                return lt_drop();
        }
        if (s.airborne == 0 && COLLISION_USER_GND.value && d <= 0.08099352051835854)
            return lt_drop();
        return false;
    }
    if (!COLLISION_USER_AIR.value)
        return false;
    if (s.airborne != 0 && d <= 6.0 && std::fabs(user.altitude - s.altitude) < 3000.0) {
        // no step has set the bearing of an aircraft still in the buffer: the one its first step gives
        const double course = q.size() < 2 || gf_samePosition(q[0], q[1])
                                  ? ac.groundBearing
                                  : gf_bearingRad(gf_sampleLatLon(q[0]), gf_sampleLatLon(q[1]));
        const double a = gf_wrapPi(course - gf_bearingRad(u, gf_sampleLatLon(s))) * g_rad2deg;
        double x = 0.0;
        if (a >= 0.0 && a <= 90.0)
            x = 90.0 - a;
        else if (a > 90.0)
            x = a - 90.0;
        else if (a >= -90.0)
            x = a + 90.0;
        else
            x = -(a + 90.0);
        if (std::cos(x * g_deg2rad) * d * g_feetPerNm <= 4000.0) {
            ac.spawnHeld = true;
            return lt_drop();
        }
    } else if (s.airborne == 0 && d <= 1.5 && user.altitudeAboveGround < 1000.0) {
        const double b = gf_wrapPi(gf_bearingRad(u, gf_sampleLatLon(s)) - user.heading);
        if (std::sin(std::fabs(b)) * d * g_feetPerNm <= 500.0) {
            ac.spawnHeld = true;
            return lt_drop();
        }
    }
    if (ac.spawnHeld)
        return lt_drop();
    return false;
}

std::size_t lf_countActive()
{
    return static_cast<std::size_t>(std::count_if(g_liveAircraft.begin(), g_liveAircraft.end(),
                                                  [](const LiveAc& x) { return x.acState == AcState::active; }));
}

void lf_spawnGate(LiveAc& ac)
{
    auto& q = ac.samples;
    if (q.empty()) {
        ac.erase = true;
        return;
    }
    const std::int64_t lead = q.front().airborne == 0 && q.front().groundSpeed != 0.0 ? 300 : 100;
    if (static_cast<std::int64_t>(g_tick.load()) < static_cast<std::int64_t>(q.front().dueTick) - lead)
        return;
    if (q.size() == 1 || (gf_endsWithUnderscore(ac.callsign) && gf_isGhostCallsign(ac.callsign))) {
        ac.erase = true;
        return;
    }
    const bool anyAirborne = std::any_of(q.begin(), q.end(), [](const FeedSample& s) { return s.airborne != 0; });
    const bool anyOnGround = std::any_of(q.begin(), q.end(), [](const FeedSample& s) { return s.airborne == 0; });
    if (anyAirborne && anyOnGround) {
        q.pop_front();
        return;
    }
    if (lf_holdBackNearUser(ac))
        return;
    if (g_createDeque.size() > 10 && ac.flightState == FlightState::birth) {
        q.pop_front();
        return;
    }
    const std::int32_t maxLive = MAX_LIVE_SEL.value;
    if (maxLive == 0) {
        ac.erase = true;
        return;
    }
    if (static_cast<std::int64_t>(lf_countActive() + g_addingStack.size() + g_createDeque.size()) >= maxLive) {
        const UserAcData user = gf_copyUserSnapshot();
        const double d = gf_distanceNm(LatLon{user.latitude, user.longitude}, gf_sampleLatLon(q.front()));
        if (gf_removeOneLiveAc(d)) {
            ac.erase = true; // the newcomer would be the farthest
            return;
        }
    }
    const std::string blocked = BLOCK_CALLSIGN.value.get();
    if (!blocked.empty() && blocked == ac.callsign) {
        ac.erase = true;
        return;
    }
    if (!ac.registration.empty()) {
        if (const auto record = gf_findDbaseRecord(ac.registration)) {
            ac.airline = record->airl;
            ac.type = record->type;
            if (!record->opr.empty())
                ac.airline = record->opr;
            ac.cargo = record->cargo;
            if (!gf_isUsableCallsign(ac))
                ac.callsign = ac.registration;
        }
    }
    if (ac.airline.empty() && !gf_airlineFromCallsign(ac))
        ac.airline = "PVT";
    if (gf_isUsableCallsign(ac) && !gf_hasNoMatch(gf_noMatchKey(ac)) &&
        (!gf_endsWithUnderscore(ac.callsign) || !gf_realTwinExists(ac.callsign))) {
        spawnLiveAc(ac);
        return;
    }
    ac.erase = true;
}

// A new aircraft standing at a free stand of the park airport is parked there from its birth.
bool lf_parkAtBirth(LiveAc& ac)
{
    Stand* stand = findStandAtSpawn(ac);
    if (stand == nullptr)
        return false;
    gf_takeStand(ac, *stand);
    gf_setFlightState(ac, FlightState::parked);
    ac.headingOverride.reset(); // it faces the stand, also when it comes back from a turn onto it
    ac.arrivalTime = gf_steadyNowNs();
    gf_occupyStand(ac, *stand);
    checkCargoStand(ac);
    auto& q = ac.samples;
    q.resize(1);
    q.front().lat = stand->latitude;
    q.front().lon = stand->longitude;
    q.front().track = stand->heading * g_rad2deg;
    gf_learnStand(StandLearning::real, stand->id, ac, gf_unpackWeekPoint(g_timeSlot), false);
    gf_enforceMaxPark(1);
    return true;
}

void lf_handOverPosition(LiveAc& ac)
{
    const auto& p = ac.position;
    g_posFront->push_back(AiPosition{p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], ac.objectId});
}

} // namespace

void spawnLiveAc(LiveAc& ac)
{
    auto& q = ac.samples;
    if (q.size() < 2) {
        gf_log(fmt::format("{} sz:{}", "spawnLiveAc", q.size()));
        return;
    }
    if (q[1].samePosition != 0) {
        q[0].samePosition = 1;
        q[0].groundSpeed = 0.0;
        q[1].groundSpeed = 0.0;
        if (q.size() >= 3 && q[2].samePosition != 0)
            q[2].groundSpeed = 0.0;
    } else {
        q[0].samePosition = 0;
    }
    if (ac.flightState == FlightState::birth) {
        if (ac.liveryTitle.empty()) {
            gf_retakeTypeValues(ac);
            ac.liveryTitle = gf_rememberedLivery(ac.hexid);
            if (ac.liveryTitle.empty())
                gf_matchLiveryLiveAc(ac);
            if (ac.liveryTitle.empty()) {
                if (!ac.registration.empty())
                    gf_addNoMatch(gf_noMatchKey(ac));
                ac.erase = true;
                return;
            }
            gf_rememberLivery(ac.hexid, ac.liveryTitle);
        }
        if (q[0].airborne != 0)
            gf_setFlightState(ac, FlightState::flying);
        else if (!lf_parkAtBirth(ac))
            gf_setFlightState(ac, FlightState::taxi);
        if (ac.flightState != FlightState::parked)
            gf_releaseStand(ac); // held before it left the simulator, it does not park there again
    }
    if (ac.erase)
        return;
    g_duplicateCheckList.push_back(ac.hexid);
    const FeedSample& s = q[0];
    auto& p = ac.position;
    p[POS_LAT] = s.lat;
    p[POS_LON] = s.lon;
    p[POS_ALT] = s.altitude;
    p[POS_VS] = s.verticalRate;
    p[POS_TAS] = s.airspeed;
    if (s.airborne != 0) {
        double v = std::clamp(s.verticalRate, -3000.0, 2400.0);
        if (v < 0.0)
            v /= 2.0;
        p[POS_PITCH] = (-3.0 - (v / 600.0) * 2.2) * g_deg2rad;
    } else {
        p[POS_PITCH] = 0.010471975511965976;
    }
    p[POS_BANK] = s.bank.value_or(0.0);
    double heading = 0.0;
    if (ac.headingOverride)
        heading = *ac.headingOverride;
    else if (ac.flightState == FlightState::parked)
        heading = ac.standHeading;
    else if (q[1].samePosition != 0)
        heading = s.track * g_deg2rad;
    else
        heading = gf_bearingRad(gf_sampleLatLon(s), gf_sampleLatLon(q[1]));
    p[POS_HEADING] = gf_normalize2Pi(heading);
    ac.rates[POS_HEADING] = 0.0;
    ac.spawnHeld = false;
    ac.acState = AcState::adding2sim;
    g_addingStack.push_back(ac.hexid);
    if (!gf_endsWithUnderscore(ac.callsign))
        gf_checkGhost(ac.callsign);
}

bool updateLiveAc(LiveAc& ac)
{
    try {
        if (ac.acState == AcState::buffer) {
            lf_spawnGate(ac);
        } else if (ac.acState == AcState::active) {
            if (ac.samples.empty()) {
                gf_log(fmt::format("{} stream empty ? {}, hexid:{}, objectid:{}, alt:{:.0f} ft, lalo:{}, TAS:{:.0f}",
                                   "updateLiveAc", gf_describeAc(ac), ac.hexid, ac.objectId, ac.position[POS_ALT],
                                   fmt::format("{:.6f},{:.6f}", ac.position[POS_LAT], ac.position[POS_LON]),
                                   ac.position[POS_TAS]));
                removeAircraftFromSim(ac);
            } else {
                if (static_cast<std::int64_t>(g_tick.load()) >= static_cast<std::int64_t>(ac.samples.front().dueTick)) {
                    nextPosMain(ac);
                    const bool stationary = !ac.samples.empty() && ac.samples.front().samePosition != 0;
                    ac.position[POS_VS] = ac.rates[POS_VS] / 60.0;
                    ac.position[POS_TAS] = stationary ? 0.0 : ac.rates[POS_TAS];
                }
                if (ac.acState == AcState::active) {
                    // a parking aircraft also turns while it stands at its stand
                    if (!ac.samples.empty() &&
                        (ac.samples.front().samePosition == 0 || ac.flightState == FlightState::parking))
                        integrateTick(ac);
                    if (ac.objectId != 0) {
                        lf_handOverPosition(ac);
                    } else {
                        gf_log(fmt::format("{} objectid=0? hexid: {},cs:{}, reg:{}, aimo:{} sz:{}", "updateLiveAc",
                                           ac.hexid, ac.callsign, ac.registration, gf_airlineTypeKey(ac),
                                           ac.samples.size()));
                        removeAircraftFromSim(ac);
                    }
                }
            }
        }
        ac.failedPasses = 0;
    } catch (const std::exception& e) {
        gf_logAcFailure("updateLiveAc", e.what(), ac);
        // the next pass tries again; a failure that repeats would log every tick and leave the
        // aircraft frozen, so it leaves the simulator instead
        if (++ac.failedPasses >= g_maxFailedPasses &&
            (ac.acState == AcState::buffer || ac.acState == AcState::active)) {
            gf_log(fmt::format("{}: {} removed after {} failed updates", "updateLiveAc", gf_describeAc(ac),
                               ac.failedPasses));
            removeAircraftFromSim(ac);
        }
        return ac.erase;
    }
    return ac.erase || ac.eraseNow;
}
