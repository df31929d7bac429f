#include "traffic/feed_intake.h"

#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/ground_movement.h"

#include "aircraft/dbase_lookup.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/half_hours.h"
#include "traffic/ac_descriptions.h"
#include "traffic/angles.h"
#include "traffic/class_tables.h"
#include "traffic/identity_rules.h"
#include "traffic/park_airport.h"
#include "traffic/run_flags.h"
#include "traffic/sample_helpers.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_learning.h"
#include "traffic/stand_parking.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_containers.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <limits>

namespace {

// Above 0 and below 10000 ft and within 120 ft of the park airport's elevation: a record of the
// ground reported as airborne.
bool lf_nearFieldElevation(double altitude)
{
    return altitude > 0.0 && altitude < 10000.0 && std::fabs(altitude - gf_parkAirportElevationFt()) <= 120.0;
}

// The gates of 3b: too soon after the newest sample, implausible speed jumps, or too little
// progress on the same course.
bool lf_ignoreForTimeOrSpeed(const LiveAc& ac, const FeedRecord& r)
{
    const FeedSample& last = ac.samples.back();
    const FeedSample& s = r.sample;
    const double dt = r.recordTime - ac.lastSampleTime;
    if (!(dt > 1.0))
        return true;
    const double lastGs = last.groundSpeed;
    const double newGs = s.groundSpeed;
    if ((lastGs > 5.0 && newGs >= 10.0 * lastGs) || (newGs > 5.0 && lastGs >= 10.0 * newGs) ||
        (lastGs <= 5.0 && newGs >= 80.0) || (newGs <= 5.0 && lastGs >= 80.0))
        return true;
    if (ac.extrapolationsLeft >= 1)
        return false;
    const double trackDiff = gf_angleDiffDeg(s.track, last.track);
    if (s.airborne != 0 && newGs > 120.0 && trackDiff <= 1.0)
        return dt <= 0.2429805615550756 / (newGs / 3600.0);
    if (s.airborne == 0 && newGs <= 30.0 && trackDiff <= 2.0) {
        const double limit = newGs > 0.0 ? std::min(0.010799136069114472 / (newGs / 3600.0), 15.0) : 15.0;
        return dt <= limit;
    }
    return false;
}

// The class values that only a live aircraft moves by.
void lf_takeLiveClassValues(AcBase& ac)
{
    ac.turnStep = ac.baseTurnStep;
    const ClassValues& values = gf_classValues(ac.sizeClass);
    ac.maxClimbRate = values.maxClimbRate;
    ac.parkingSpeedKt = values.parkingSpeedKt;
}

void lf_createLiveAc(FeedRecord r)
{
    if (r.type.empty() && !r.registration.empty()) {
        if (const auto record = gf_findDbaseRecord(r.registration))
            r.type = record->type;
    }
    if (!gf_isValidModel(r.type)) {
        const auto record = gf_findDbaseRecord(r.registration);
        if (!record)
            return;
        r.type = record->type;
    }
    if (!gf_isSizeClassEnabled(gf_type2sizeClass(r.type)) || lf_nearFieldElevation(r.sample.altitude))
        return;
    r.coupledCallsign1 = r.callsign;
    r.coupledCallsign2.clear();
    AcBase base(r);
    base.coupledSearchDone = false;
    base.hexid = r.hexId;
    lf_takeLiveClassValues(base);
    g_liveAircraft.emplace_back(r.sample, std::move(base), r.recordTime);
}

// Against the newest sample n: a sample at n's position is stationary; on the ground it is taken
// with speed 0, in the air it is refused.
bool lf_checkSamePosition(LiveAc& ac, FeedSample& s)
{
    if (ac.samples.empty())
        return true;
    const FeedSample& n = ac.samples.back();
    const double dLat = std::fabs(s.lat - n.lat);
    const double dLon = std::fabs(s.lon - n.lon);
    const bool stationary = dLat < g_samePositionDeg && dLon < g_samePositionDeg;
    if (ac.sizeClass == SizeClass::Rotorcraft)
        return true;
    const bool airborneNow = s.airborne != 0 || (ac.acState == AcState::active && !ac.onGround);
    if (!stationary && dLat < 0.00015 && dLon < 0.00015) {
        if (airborneNow)
            return false;
        if (ac.takeoffRoll && s.groundSpeed > 0.0 && n.groundSpeed >= 50.0)
            return false;
        const std::uint32_t due = s.dueTick;
        s = n;
        s.dueTick = due;
        s.groundSpeed = 0.0;
        s.samePosition = 1;
        return true;
    }
    if (!stationary) {
        if (s.groundSpeed != 0.0)
            return true;
        if (!ac.takeoffRoll && s.airborne == 0)
            return true;
        return n.groundSpeed < 50.0;
    }
    if (airborneNow)
        return false;
    if (ac.takeoffRoll && s.groundSpeed > 0.0 && n.groundSpeed >= 30.0)
        return false;
    s.groundSpeed = 0.0;
    s.samePosition = 1;
    return true;
}

void lf_raiseDue(const LiveAc& ac, FeedSample& s)
{
    if (!ac.samples.empty() && s.dueTick <= ac.samples.back().dueTick)
        s.dueTick = gf_clampTick(static_cast<std::int64_t>(ac.samples.back().dueTick) + 1);
}

// A moving ground sample after stationary ones: the stationary samples are dropped when the
// aircraft moved shortly before them or has not really gone anywhere.
void lf_dropStaleStationary(LiveAc& ac, const FeedSample& s)
{
    auto& q = ac.samples;
    const std::size_t n = q.size();
    if (q.empty() || s.airborne != 0 || q.back().samePosition == 0)
        return;
    if (s.samePosition != 0) {
        if (std::all_of(q.begin(), q.end(), [](const FeedSample& x) { return x.samePosition != 0; }))
            q.resize(1);
        return;
    }
    if (n < 3)
        return;
    for (std::size_t p = 2; p + 1 <= std::min<std::size_t>(n, 7); ++p) {
        const FeedSample& moving = q[n - p];
        if (moving.samePosition != 0)
            continue;
        const std::int64_t gap = static_cast<std::int64_t>(q.back().dueTick) - moving.dueTick;
        if (gap < 1500 || gf_distanceNm(gf_sampleLatLon(moving), gf_sampleLatLon(s)) <= 0.011879049676025918)
            q.resize(n - p + 1);
        return;
    }
}

// While pushing back, the feed's heading tells to which side the push-back turn ends.
void lf_notePushbackTurn(LiveAc& ac, const FeedSample& s)
{
    if (STRAIGHT_PBS_ONLY.value || ac.pushbackCounter != 2)
        return;
    double heading = 0.0;
    if (s.trueHeading)
        heading = *s.trueHeading;
    else if (s.track != 0.0)
        heading = s.track * g_deg2rad;
    else
        return;
    const double delta = gf_wrapPi(heading - ac.position[POS_HEADING]);
    ac.pushbackOtherSide = delta > 0.0;
    ac.pushbackCurve = true;
}

// Pushed back: the aircraft waits until the feed shows it has left the push-back point.
bool lf_leftPushbackPoint(LiveAc& ac, FeedSample& s)
{
    const double d = gf_distanceNm(LatLon{ac.position[POS_LAT], ac.position[POS_LON]}, gf_sampleLatLon(s));
    const double hw = ac.halfWingspanNm;
    if (d <= 6.0 * hw && !(d > 2.75 * hw && d > ac.pushedBackDistance)) {
        if (ac.holding == 0) {
            ac.holding = 1;
            ac.holdStartTick = static_cast<std::int32_t>(gf_tickNow());
        }
        ac.pushedBackDistance = d;
        return false;
    }
    s.samePosition = 0;
    if (ac.extrapolationsLeft > 0 && !ac.samples.empty()) {
        ac.samples.front().dueTick = gf_clampTick(gf_tickNow() + 1);
        gf_resetLimits(ac);
    }
    ac.pushbackCurve = false;
    ac.pushbackCounter = 0;
    gf_setFlightState(ac, FlightState::taxi);
    ac.standLat = 0.0;
    ac.standLon = 0.0;
    ac.standHeading = 0.0;
    ac.standId = 0;
    ac.darkCabin = false;
    ac.holding = 0;
    ac.holdStartTick = 0;
    return true;
}

// The aircraft leaves its stand: the feed moved it too far from it.
void lf_leaveStand(LiveAc& ac)
{
    if (ac.extrapolationsLeft >= 1 && !ac.samples.empty()) {
        // a parked aircraft runs on one dead-reckoning sample due a week after it parked
        if (ac.flightState == FlightState::parked) {
            if (ac.parkRequest) {
                const std::int64_t since = static_cast<std::int64_t>(ac.samples.front().dueTick) - g_weekOfTicks;
                const std::int64_t onStand = gf_tickNow() - since;
                const std::int64_t towedBelow = ac.sizeClass == SizeClass::Heavy   ? 360000
                                                : ac.sizeClass == SizeClass::Large ? 150000
                                                : ac.sizeClass == SizeClass::Buzjets ? 90000
                                                                                     : 0;
                if (onStand < towedBelow)
                    ac.towed = true;
                ac.parkRequest = false;
            }
            ac.samples.front().dueTick = gf_clampTick(gf_tickNow() + 1);
        }
        gf_resetLimits(ac);
    }
    if (!ac.airline.empty() && ac.darkCabin == ac.cargo)
        gf_learnStand(StandLearning::real, ac.standId, ac, gf_unpackWeekPoint(g_timeSlot), false);
    gf_releaseStand(ac);
}

bool lf_leaving(LiveAc& ac, FeedSample& s)
{
    s.samePosition = 0;
    ac.departurePending = true;
    if (ac.previousFlightState != FlightState::parked) {
        lf_leaveStand(ac);
        gf_setFlightState(ac, FlightState::parked);
    }
    return true;
}

// Parking or parked: a feed sample near the stand confirms the aircraft there (and keeps it), a
// few growing steps away from it or one well away show it leaving.
bool lf_checkStandDeparture(LiveAc& ac, FeedSample& s)
{
    constexpr double standAreaNm = 0.0458963282937365; // 85 m
    constexpr double stepNm = 0.0016198704103671706;   // 3 m
    ac.standChecked = true;
    const double d = gf_distanceNm(LatLon{ac.standLat, ac.standLon}, gf_sampleLatLon(s));
    const double r = ac.previousFlightState == FlightState::parking ? 2.0 * standAreaNm : standAreaNm;
    if (d > r) {
        if (ac.flightState == FlightState::parking) {
            gf_parkingToTaxi(ac);
            s.samePosition = 0;
            return true;
        }
        if (d > 0.10799136069114472) { // 200 m
            removeAircraftFromSim(ac);
            return false;
        }
        return lf_leaving(ac, s);
    }
    ac.arrivalTime = gf_steadyNowNs();
    if (const Stand* stand = gf_findStandById(ac.standId);
        stand != nullptr && ac.flightState == FlightState::parked && d <= stand->radius)
        ac.feedParked = true;
    if (ac.standReferenceDistance == 0.0) {
        ac.standReferenceDistance = d;
        ac.standLastDistance = d;
        ac.standMoves = 0;
    } else if (d >= ac.standLastDistance + stepNm) {
        ++ac.standMoves;
        ac.standLastDistance = d;
        const double moved = d - ac.standReferenceDistance;
        if (!((ac.standMoves < 3 || moved < ac.halfWingspanNm / 2.0) && moved <= ac.halfWingspanNm))
            return lf_leaving(ac, s);
    } else if (d <= ac.standLastDistance - stepNm) {
        ac.standMoves = 0;
    }
    ac.departurePending = false;
    return false;
}

// On the ground: a landing roll whose samples climb again goes around; a taxiing aircraft at
// 43 kt, or with an airborne sample, starts its take-off roll.
void lf_groundPhaseChange(LiveAc& ac, const FeedSample& s)
{
    if (ac.acState != AcState::active || !ac.onGround || ac.takeoffRoll || ac.samples.empty())
        return;
    const FeedSample& newest = ac.samples.back();
    if (ac.landingRoll) {
        if (newest.airborne == 0 || s.airborne == 0)
            return;
        gf_setFlightState(ac, FlightState::taxi);
        ac.takeoffRoll = true;
        gf_setThrottle(ac, 3);
        if (ac.sizeClass != SizeClass::Rotorcraft)
            gf_queueClientEvent({ac.objectId, EVENT_SPOILERS_SET, 16383});
        gf_setFlaps(ac, 1);
        ac.approach = false;
        ac.parkRequest = false;
        ac.climbConfigured = false;
        gf_setLights(ac.objectId, {1, 1, 1, 1, 1, 1, 0});
        ac.lateLimit = 5000;
        ac.earlyLimit = 3000;
        return;
    }
    if (ac.flightState == FlightState::taxi &&
        (s.airborne != 0 || (s.groundSpeed >= 43.0 && newest.groundSpeed >= 43.0)))
        startTakeoffRoll(ac);
}

} // namespace

void gf_retakeTypeValues(AcBase& ac)
{
    if (ac.sizeClass == gf_type2sizeClass(ac.type) && ac.halfWingspanNm == gf_getHalfWingspan(ac.type))
        return;
    ac.takeTypeValues();
    lf_takeLiveClassValues(ac);
}

void gf_applyFeedRecord(const FeedRecord& r)
{
    LiveAc* ac = gf_findLiveAc(r.hexId);
    if (ac == nullptr) {
        if (!r.callsign.empty() && std::any_of(g_liveAircraft.begin(), g_liveAircraft.end(), [&](const LiveAc& x) {
                return x.callsign == r.callsign && x.type == r.type;
            }))
            return; // a second hex id for the same flight
        lf_createLiveAc(r);
        return;
    }
    if (ac->acState == AcState::liveryrespawn || ac->acState == AcState::removingfromsim)
        return;
    if (!ac->samples.empty() && lf_ignoreForTimeOrSpeed(*ac, r))
        return;
    if (ac->acState == AcState::buffer && lf_nearFieldElevation(r.sample.altitude))
        return;
    if (!gf_checkRespawn(*ac, r))
        return;
    ac->lastSampleTime = r.recordTime;
    decodeExisting(*ac, r.sample);
}

void gf_resetLimits(LiveAc& ac)
{
    ac.extrapolationsLeft = 0;
    ac.lateLimit = ac.takeoffRoll ? 5000 : 3000;
    ac.earlyLimit = 3000;
}

void decodeExisting(LiveAc& ac, FeedSample s)
{
    try {
        auto& q = ac.samples;
        if (q.size() > 200) {
            removeAircraftFromSim(ac);
            return;
        }
        if (ac.holding != 0 && !q.empty() &&
            gf_distanceNm(gf_sampleLatLon(s), gf_sampleLatLon(q.front())) * 1852.0 > HOLDING_THRESHOLD_METERS.value) {
            ac.holding = 0;
            ac.holdStartTick = 0;
            removeAircraftFromSim(ac);
            return;
        }
        if (ac.flightState == FlightState::birth) {
            if (q.empty() || !lf_checkSamePosition(ac, s))
                return;
            lf_raiseDue(ac, s);
            q.push_back(s);
            return;
        }
        if (!checkExtendingSituations(ac, s))
            return;
        lf_dropStaleStationary(ac, s);
        lf_raiseDue(ac, s);
        lf_groundPhaseChange(ac, s);
        q.push_back(s);
        if (q.size() == 2 && q[0].samePosition != 0 && q[1].samePosition != 0) {
            q[0].dueTick = gf_clampTick(gf_tickNow() + 1);
            q[0].groundSpeed = q[1].groundSpeed;
        }
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception {}", "decodeExisting", e.what()));
        throw;
    }
}

bool checkExtendingSituations(LiveAc& ac, FeedSample& s)
{
    switch (ac.flightState) {
    case FlightState::taxi:
    case FlightState::take_off:
    case FlightState::flying:
        break;
    case FlightState::pushing_back:
        lf_notePushbackTurn(ac, s);
        return false;
    case FlightState::pushed_back:
        return lf_leftPushbackPoint(ac, s);
    case FlightState::parking:
    case FlightState::parked:
        return ac.acState != AcState::buffer && ac.acState != AcState::adding2sim && lf_checkStandDeparture(ac, s);
    default:
        return false;
    }
    if (ac.approach || ac.landingRoll)
        return checkNewPosDuringLanding(ac, s);
    const bool accepted = lf_checkSamePosition(ac, s);
    if (!accepted || ac.extrapolationsLeft < 1)
        return accepted;
    // dead reckoning is running: a plausible new sample ends it at once
    auto& q = ac.samples;
    if (q.empty()) {
        gf_log(fmt::format("{} empty sz?", "checkExtendingSituations"));
        return false;
    }
    if (!ac.onGround &&
        gf_angleDiffRadToDeg(gf_bearingRad(gf_sampleLatLon(q.back()), gf_sampleLatLon(s)), ac.position[POS_HEADING]) >= 100.0)
        return false;
    gf_resetLimits(ac);
    q.front().dueTick = gf_clampTick(gf_tickNow() + 1);
    ac.holding = 0;
    ac.holdStartTick = 0;
    return true;
}

bool checkNewPosDuringLanding(LiveAc& ac, FeedSample& s)
{
    auto& q = ac.samples;
    if (q.empty()) {
        gf_log(fmt::format("{} empty sz?", "checkNewPosDuringLanding"));
        return false;
    }
    if (gf_samePosition(s, q.back()))
        return false;
    const double heading = ac.position[POS_HEADING];
    const auto lt_offCourse = [&](const FeedSample& from) {
        return gf_angleDiffRadToDeg(gf_bearingRad(gf_sampleLatLon(from), gf_sampleLatLon(s)), heading);
    };
    if (q.size() == 1) {
        const double a = lt_offCourse(q.front());
        if (ac.approach && a >= 90.0)
            return false;
        if (ac.landingRoll && a >= 150.0) {
            if (ac.extrapolationsLeft > 0)
                return false;
            FeedSample here = q.front();
            here.lat = ac.position[POS_LAT];
            here.lon = ac.position[POS_LON];
            here.dueTick = gf_clampTick(gf_tickNow() + 1);
            q.front() = here;
        }
    } else if (lt_offCourse(q.back()) >= 90.0) {
        const bool three = q.size() >= 3;
        q.pop_back();
        if (three && lt_offCourse(q.back()) >= 90.0)
            q.pop_back();
    }
    if (ac.extrapolationsLeft > 0)
        gf_resetLimits(ac);
    if (gf_samePosition(s, q.back())) {
        s.samePosition = 1;
        return true;
    }
    if (s.groundSpeed > q.back().groundSpeed && s.groundSpeed > 40.0)
        s.groundSpeed = q.back().groundSpeed;
    return true;
}
