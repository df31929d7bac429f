#include "traffic/ground_movement.h"

#include "airports/park_data.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/ac_descriptions.h"
#include "traffic/airborne_profile.h"
#include "traffic/angles.h"
#include "traffic/class_tables.h"
#include "traffic/run_flags.h"
#include "traffic/sample_helpers.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_learning.h"
#include "traffic/stand_names.h"
#include "traffic/stand_parking.h"
#include "traffic/stand_search.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <gsl/gsl>
#include <limits>

namespace {

constexpr double g_feetPerNm = 6076.11549;

LatLon lf_here(const LiveAc& ac) { return LatLon{ac.position[POS_LAT], ac.position[POS_LON]}; }

void lf_event(const LiveAc& ac, std::uint32_t eventId, std::uint32_t value)
{
    gf_queueClientEvent({ac.objectId, eventId, value});
}

void lf_spoilersOff(const LiveAc& ac)
{
    if (ac.sizeClass != SizeClass::Rotorcraft)
        lf_event(ac, EVENT_SPOILERS_SET, 0);
}

// The spoiler and throttle controls zeroed; Light aircraft have none.
void lf_controlsZero(const LiveAc& ac)
{
    if (ac.sizeClass != SizeClass::Light)
        gf_setSpoilersAndThrottle(ac.objectId, false, false);
}

// Sample 0 and 1 differ in speed by more than 5 kt, one of them moving, at least 100 m apart.
void lf_speedChangeMidpoint(LiveAc& ac)
{
    const FeedSample& s0 = ac.samples[0];
    const FeedSample& s1 = ac.samples[1];
    if ((s0.groundSpeed > 0.0 || s1.groundSpeed > 0.0) && std::fabs(s0.groundSpeed - s1.groundSpeed) > 5.0 &&
        gf_distanceNm(gf_sampleLatLon(s0), gf_sampleLatLon(s1)) >= 100.0 * g_nmPerMetre)
        insertMidpoint(ac);
}

void lf_shapePath(LiveAc& ac)
{
    auto& q = ac.samples;
    if (q.size() >= 3 && q[2].samePosition == 0) {
        const double h =
            gf_angleDiffRadToDeg(gf_bearingRad(gf_sampleLatLon(q[1]), gf_sampleLatLon(q[2])), ac.position[POS_HEADING]);
        const std::int64_t gap =
            std::max<std::int64_t>(25, static_cast<std::int64_t>(q[1].dueTick) - static_cast<std::int64_t>(q[0].dueTick));
        if (h <= 3.0) {
            lf_speedChangeMidpoint(ac);
        } else if (h > 45.0 && gf_distanceNm(gf_sampleLatLon(q[0]), gf_sampleLatLon(q[1])) > 0.02699784 && q[0].groundSpeed <= 43.0 &&
                   gap >= 600) {
            insertMidpoint(ac);
        } else if (h <= 160.0) {
            if (gf_samePosition(q[0], q[2])) {
                lf_speedChangeMidpoint(ac);
            } else {
                makeCurve(ac);
                ac.curveTurnDeg = h;
            }
        } else {
            lf_speedChangeMidpoint(ac);
        }
    } else if (q.size() >= 3) {
        lf_speedChangeMidpoint(ac);
    } else if (ac.extrapolationsLeft < 1) {
        lf_speedChangeMidpoint(ac);
    }
}

void lf_ruleLimits(LiveAc& ac)
{
    ac.earlyLimit = 3000;
    ac.lateLimit = ac.takeoffRoll ? 5000 : 3000;
}

// Ticks until the heading is within the half degree of groundBearing at which the turn stops.
std::int64_t lf_ticksToTurn(const LiveAc& ac)
{
    const double left = gf_angleDiffRadToDeg(ac.groundBearing, ac.position[POS_HEADING]) - 0.5;
    if (!(left > 0.0 && ac.turnStep > 0.0))
        return 0;
    return static_cast<std::int64_t>(std::ceil(left / (ac.turnStep * g_rad2deg))) + 1;
}

// In a take-off roll with 43 kt reached: take off when the samples ahead climb away.
void lf_takeoffDecision(LiveAc& ac, std::int64_t d)
{
    const auto& q = ac.samples;
    const double takeoffSpeed = gf_classValues(ac.sizeClass).takeoffSpeedKt;
    for (std::size_t i = 1; i < q.size(); ++i) {
        if (q[i].verticalRate > 256.0)
            continue;
        const bool fast = std::all_of(q.begin() + 1, q.end(), [&](const FeedSample& s) { return s.groundSpeed >= takeoffSpeed; });
        const bool airborne = std::all_of(q.begin() + 1, q.end(), [](const FeedSample& s) { return s.airborne != 0; });
        if (fast && airborne) {
            ac.rates[POS_ALT] = ac.maxClimbRate;
            startTakeoff(ac);
        }
        return;
    }
    const bool anyOnGround = std::any_of(q.begin() + 1, q.end(), [](const FeedSample& s) { return s.airborne == 0; });
    ac.rates[POS_ALT] = anyOnGround ? ac.maxClimbRate
                                    : std::max(q[1].altitude - ac.position[POS_ALT], 0.1) / static_cast<double>(d);
    startTakeoff(ac);
}

} // namespace

std::int32_t gf_ticksFor(double distanceNm, double speedKt)
{
    const double t = std::round(distanceNm * 360000.0 / speedKt);
    if (!(std::fabs(t) < 2147483648.0))
        throw gsl::narrowing_error();
    return gsl::narrow<std::int32_t>(t);
}

bool evalCurve(const std::array<double, 8>& curve, LatLon& position, double& heading, double t)
{
    const double t0 = curve[2];
    const double t1 = curve[5];
    if (std::isnan(curve[6]) || std::isnan(curve[7]) || !(t >= t0 && t <= t1))
        return false;
    const double u = (t - t0) / (t1 - t0);
    if (!(u >= 0.0 && u <= 1.0))
        return false;
    // end: north, east; control: east, north
    const double endN = curve[3];
    const double endE = curve[4];
    const double ctlE = curve[6];
    const double ctlN = curve[7];
    const double north = 2.0 * u * (1.0 - u) * ctlN + u * u * endN;
    const double east = 2.0 * u * (1.0 - u) * ctlE + u * u * endE;
    const double dN = 2.0 * u * (endN - ctlN) + 2.0 * (1.0 - u) * ctlN;
    const double dE = 2.0 * u * (endE - ctlE) + 2.0 * (1.0 - u) * ctlE;
    heading = gf_normalize2Pi(std::atan2(dE, dN));
    position.lat = curve[0] + north / g_metresPerDegLat;
    position.lon = curve[1] + east / (g_metresPerDegLat * std::cos(curve[0] * g_deg2rad));
    return true;
}

std::int32_t gf_pushbackTurnTicks(double turnStepRad)
{
    // 90 degrees over a step in radians per tick, kept as the turn's length: a Large aircraft
    // (0.07 deg per tick) takes 737 ticks for its quarter turn.
    const double n = std::round(90.0 / turnStepRad / 100.0);
    if (!(std::fabs(n) < 2147483648.0))
        throw gsl::narrowing_error();
    return gsl::narrow<std::int32_t>(n);
}

void insertMidpoint(LiveAc& ac)
{
    auto& q = ac.samples;
    const FeedSample& s0 = q[0];
    const FeedSample& s1 = q[1];
    FeedSample m = s0;
    m.lat = (s0.lat + s1.lat) / 2.0;
    m.lon = s0.lon + std::remainder(s1.lon - s0.lon, 360.0) / 2.0;
    m.groundSpeed = (s0.groundSpeed + s1.groundSpeed) / 2.0;
    m.altitude = (s0.altitude + s1.altitude) / 2.0;
    m.dueTick = gf_clampTick(static_cast<std::int64_t>(
        std::llround((static_cast<double>(s0.dueTick) + static_cast<double>(s1.dueTick)) / 2.0)));
    m.airborne = m.altitude > 0.0 ? 1 : 0;
    if (m.airborne == 0)
        m.altitude = 0.0;
    m.samePosition = 0;
    q.insert(q.begin() + 1, m);
}

void makeCurve(LiveAc& ac)
{
    auto& q = ac.samples;
    if (q.size() < 3)
        return;
    if (q[2].groundSpeed == 0.0)
        q[2].groundSpeed = (q[0].groundSpeed + q[1].groundSpeed) / 2.0;
    const double oLat = ac.position[POS_LAT];
    const double oLon = ac.position[POS_LON];
    const double eastScale = g_metresPerDegLat * std::cos(oLat * g_deg2rad);
    const auto lt_north = [&](const FeedSample& s) { return (s.lat - oLat) * g_metresPerDegLat; };
    const auto lt_east = [&](const FeedSample& s) { return std::remainder(s.lon - oLon, 360.0) * eastScale; };
    ac.curve = {oLat, oLon, 0.0, lt_north(q[2]), lt_east(q[2]), 1.0, lt_east(q[1]), lt_north(q[1])};
    ac.curveT = 0.0;
    q.erase(q.begin() + 1);
}

void startTakeoffRoll(LiveAc& ac)
{
    if (ac.towed)
        gf_logError(fmt::format("towed aircraft takes-off? {}", gf_describeAc(ac)));
    ac.takeoffRoll = true;
    gf_setThrottle(ac, 0);
    lf_spoilersOff(ac);
    gf_setFlaps(ac, 1);
    ac.approach = false;
    ac.parkRequest = false;
    ac.climbConfigured = false;
    gf_setLights(ac.objectId, {1, 1, 1, 1, 1, 1, 0});
    ac.lateLimit = 5000;
    ac.earlyLimit = 3000;
    if (!ac.airline.empty())
        learnStandAfterLanding(ac, true);
}

void endLandingRoll(LiveAc& ac)
{
    if (gf_angleDiffRadToDeg(ac.position[POS_HEADING], ac.rollStartHeading) >= 15.0) {
        // turned off the runway
        gf_setFlaps(ac, 0);
        ac.landingRoll = false;
        ac.rollStartHeading = 0.0;
        gf_setThrottle(ac, ac.sizeClass == SizeClass::Rotorcraft ? 4 : 0);
        lf_spoilersOff(ac);
        lf_controlsZero(ac);
        gf_setLights(ac.objectId, {1, 1, 0, 1, 0, 1, 1});
    } else if (ac.samples[0].groundSpeed <= 90.0) {
        lf_spoilersOff(ac);
        lf_controlsZero(ac);
        gf_setFlaps(ac, 1);
    }
}

void startPushback(LiveAc& ac)
{
    ac.extrapolationsLeft = 0;
    const double back = ac.standHeading + 3.141592653589793;
    const Stand* stand = gf_findStandById(ac.standId);
    if (stand == nullptr)
        return;
    auto& q = ac.samples;
    const double speed = ac.parkingSpeedKt;
    q.front().groundSpeed = speed;
    ac.groundBearing = ac.position[POS_HEADING];
    const LatLon p1 = gf_destinationPoint(lf_here(ac), back, 2.5 * stand->radius * g_feetPerNm);
    const std::int32_t t1 = gf_ticksFor(gf_distanceNm(lf_here(ac), p1), speed);
    q.resize(1);
    FeedSample s = q.front();
    s.lat = p1.lat;
    s.lon = p1.lon;
    s.altitude = 0.0;
    s.airborne = 0;
    s.samePosition = 0;
    s.groundSpeed = speed;
    s.dueTick = gf_clampTick(gf_tickNow() + t1);
    q.push_back(s);
    insertMidpoint(ac);
    const auto lt_side = [&](double bearing) {
        FeedSample side = s;
        const LatLon at = gf_destinationPoint(p1, bearing, ac.halfWingspanNm * g_feetPerNm);
        side.lat = at.lat;
        side.lon = at.lon;
        side.dueTick = gf_clampTick(gf_tickNow() + t1 / 2 + gf_ticksFor(gf_distanceNm(gf_sampleLatLon(q[1]), at), speed));
        return side;
    };
    ac.departureSample = lt_side(back + 3.141592653589793 / 2.0);
    q.push_back(lt_side(back - 3.141592653589793 / 2.0));
    gf_setLights(ac.objectId, {1, 1, 0, 1, 0, 1, 0});
    gf_setFlightState(ac, FlightState::pushing_back);
    ac.pushbackCounter = 2;
}

void pullOut(LiveAc& ac)
{
    ac.departurePending = false;
    ac.extrapolationsLeft = 0;
    auto& q = ac.samples;
    const double speed = ac.parkingSpeedKt;
    const LatLon target =
        gf_destinationPoint(LatLon{ac.standLat, ac.standLon}, ac.standHeading, 2.0 * ac.halfWingspanNm * g_feetPerNm);
    q.front().groundSpeed = speed;
    FeedSample s = q.front();
    s.lat = target.lat;
    s.lon = target.lon;
    s.altitude = 0.0;
    s.airborne = 0;
    s.samePosition = 0;
    s.dueTick = gf_clampTick(gf_tickNow() + gf_ticksFor(gf_distanceNm(lf_here(ac), target), speed));
    q.resize(1);
    q.push_back(s);
    gf_setFlightState(ac, FlightState::taxi);
    ac.groundBearing = ac.position[POS_HEADING];
    gf_setLights(ac.objectId, {1, 1, 0, 1, 0, 1, 0});
    lf_event(ac, EVENT_ENGINE_AUTO_START, 0);
    gf_setThrottle(ac, 0);
    gf_setFlaps(ac, 1);
    if (LOG.value)
        gf_log(fmt::format("{:8}: {:8} pulling out", gf_standName(ac.standId), ac.callsign));
}

void pushbackStep(LiveAc& ac)
{
    ac.pushbackCounter -= 1;
    if (ac.pushbackCounter == 1) {
        if (ac.pushbackCurve) {
            if (ac.pushbackOtherSide)
                ac.samples.back() = ac.departureSample;
            makeCurve(ac);
            ac.curveStep = 1.0 / static_cast<double>(gf_pushbackTurnTicks(ac.turnStep));
            ac.curveTurnDeg = 90.0;
        } else if (ac.samples.size() >= 3) {
            ac.samples.pop_back(); // straight push-back
        }
    } else if (ac.pushbackCounter < 1) {
        ac.groundBearing = ac.position[POS_HEADING];
        lf_event(ac, EVENT_ENGINE_AUTO_START, 0);
        gf_setThrottle(ac, 0);
        gf_setFlaps(ac, 1);
        gf_setFlightState(ac, FlightState::pushed_back);
        ac.pushbackCounter = 1;
        ac.pushedBackDistance = 900.0;
        ac.extrapolationsLeft = 0;
        ac.departurePending = false;
    }
}

namespace {

// A taxiing aircraft that comes to rest near its last sample looks for a stand; one that has just
// left a stand under its own power does not.
void lf_parkWhenStopped(LiveAc& ac)
{
    const auto& q = ac.samples;
    if (q.size() < 2 || q.back().samePosition == 0 || ac.flightState != FlightState::taxi || !g_parkAirportLoaded)
        return;
    const FlightState before = ac.previousFlightState;
    if (!ac.towed &&
        (before == FlightState::parked || before == FlightState::pushing_back || before == FlightState::pushed_back))
        return;
    if (ac.extrapolationsLeft >= 1)
        try2Park(ac, ac.parkRequest);
    else if (q[1].groundSpeed <= 5.0 && gf_distanceNm(lf_here(ac), gf_sampleLatLon(q.back())) <= 0.018898488)
        try2Park(ac, false);
}

void lf_shapeAndTime(LiveAc& ac)
{
    auto& q = ac.samples;
    if (ac.flightState == FlightState::pushing_back) {
        pushbackStep(ac);
    } else if (ac.flightState == FlightState::parked) {
        lf_ruleLimits(ac);
        if (ac.departurePending) {
            const double a = std::round(std::remainder(
                gf_bearingRad(LatLon{ac.standLat, ac.standLon}, gf_sampleLatLon(q.back())) * g_rad2deg -
                    ac.standHeading * g_rad2deg,
                360.0));
            if (std::fabs(a) < 90.0)
                pullOut(ac);
            else
                startPushback(ac);
        }
    } else if (q[1].samePosition == 0) {
        lf_shapePath(ac);
    }
    if (q.size() >= 2 && q[1].samePosition == 0) {
        if (gf_hasCurve(ac) || ac.flightState == FlightState::pushing_back) {
            // pushing back the aircraft faces away from its path and never turns in place
            ac.turnInPlace = false;
        } else {
            ac.headingErrorDeg = gf_angleDiffRadToDeg(ac.groundBearing, ac.position[POS_HEADING]);
            ac.turnInPlace = ac.headingErrorDeg > 3.0;
        }
    }
    lf_parkWhenStopped(ac);
    if (ac.flightState == FlightState::parking && q.size() >= 2 && q[1].samePosition != 0) {
        ac.groundBearing = ac.standHeading; // at its stand: the last turn is onto the stand's heading
        gf_holdReachedStand(ac);
    }
    if (q.size() >= 2)
        groundDueTick(ac);
}

} // namespace

void nextPosGround(LiveAc& ac)
{
    try {
        lf_shapeAndTime(ac);
    } catch (const std::exception& e) {
        // the step goes on with the feed's own due tick
        gf_logAcFailure("nextPosGround", e.what(), ac);
    }
}

void groundDueTick(LiveAc& ac)
{
    ac.turnStep = ac.baseTurnStep;
    FeedSample& s0 = ac.samples[0];
    FeedSample& s1 = ac.samples[1];
    const std::int64_t now = gf_tickNow();
    const std::int64_t due0 = s0.dueTick;
    const std::int64_t due1 = s1.dueTick;
    std::int64_t next = 0;
    if (s1.samePosition == 0) {
        const double dist = gf_distanceNm(gf_sampleLatLon(s0), gf_sampleLatLon(s1));
        double v = (s0.groundSpeed + s1.groundSpeed) / 2.0;
        // no usable mean speed (both 0, negative or cancelling out): the feed's own timing
        if (!(v > 0.0))
            v = std::max(1.0, dist * 360000.0 / static_cast<double>(std::max<std::int64_t>(25, due1 - due0)));
        const std::int64_t T = std::max<std::int64_t>(gf_ticksFor(dist, v), 25);
        if (gf_hasCurve(ac) || ac.turnInPlace) {
            const double A = ac.turnInPlace ? ac.headingErrorDeg : ac.curveTurnDeg;
            // degrees over radians per tick, kept as the turn's tick count
            const double n = std::max(1.0, std::round(A / ac.turnStep / 100.0));
            if (A > 0.0 && dist > 0.0) {
                const double r = static_cast<double>(T) / n;
                if (A <= 45.0) {
                    if (r >= 1.2) {
                        const double m = std::min({r, 10.0 * r / A, 30.0 * r * g_nmPerMetre / dist});
                        if (m > 0.0)
                            ac.turnStep *= 1.0 / m;
                    } else if (r > 0.0) {
                        ac.turnStep *= 1.0 / r;
                    }
                } else {
                    ac.turnStep *= std::min(r, std::min(A, 90.0) / 30.0);
                    if (A >= 90.0) {
                        ac.earlyLimit = std::max(ac.earlyLimit, 2000);
                        ac.lateLimit = std::max(ac.lateLimit, 2000);
                    }
                }
            }
        }
        next = now + T;
    } else {
        const std::int64_t g = std::max<std::int64_t>(due1 - due0, 25);
        next = now + std::max<std::int64_t>(due0 - now + g, 25);
    }
    if (ac.extrapolationsLeft < 1)
        next = std::clamp<std::int64_t>(next, due1 - ac.earlyLimit, due1 + ac.lateLimit);
    // at its stand a parking aircraft turns in place onto the stand's heading before it parks,
    // at the class's turn step, however long that takes
    if (s1.samePosition != 0 && ac.flightState == FlightState::parking)
        next = std::max(next, now + lf_ticksToTurn(ac));
    s1.dueTick = gf_clampTick(std::max(next, now));
}

void groundRates(LiveAc& ac, std::int64_t d)
{
    const FeedSample& s0 = ac.samples[0];
    const FeedSample& s1 = ac.samples[1];
    if (ac.flightState == FlightState::parked || ac.flightState == FlightState::flying) {
        gf_setFlightState(ac, FlightState::taxi);
    } else if (ac.takeoffRoll) {
        if (ac.sizeClass == SizeClass::Rotorcraft || s0.groundSpeed >= 25.0 || s1.groundSpeed >= 30.0)
            gf_setThrottle(ac, 4);
        else if (s0.groundSpeed >= 20.0 || s1.groundSpeed >= 25.0)
            gf_setThrottle(ac, 2);
        else if (s0.groundSpeed >= 15.0 || s1.groundSpeed >= 20.0)
            gf_setThrottle(ac, 1);
        else
            gf_setThrottle(ac, 0);
    } else if (ac.landingRoll) {
        endLandingRoll(ac);
    } else {
        gf_setThrottle(ac, ac.sizeClass == SizeClass::Rotorcraft ? 4 : 0);
    }
    if (!ac.takeoffRoll && !ac.landingRoll) {
        ac.earlyLimit = std::max(1000, ac.earlyLimit - 100);
        ac.lateLimit = std::max(1000, ac.lateLimit - 100);
    }
    if (ac.flareStage == 0 && ac.flightState != FlightState::take_off) {
        ac.position[POS_PITCH] = ac.staticPitch;
        ac.position[POS_BANK] = 0.0;
        ac.rates[POS_PITCH] = 0.0;
        ac.rates[POS_BANK] = 0.0;
    }
    // every curve, the push-back turn too, lasts until its end sample falls due
    if (gf_hasCurve(ac))
        ac.curveStep = 1.0 / static_cast<double>(d);
    ac.rates[POS_ALT] = 0.0;
    ac.rates[POS_VS] = 0.0;
    ac.rates[POS_TAS] = ac.flightState == FlightState::pushing_back ? -s1.groundSpeed : s1.groundSpeed;
    if (ac.takeoffRoll && ac.flightState != FlightState::take_off && s0.groundSpeed >= 43.0)
        lf_takeoffDecision(ac, d);
}
