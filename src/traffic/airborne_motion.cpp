#include "traffic/airborne_motion.h"

#include "traffic/airborne_profile.h"
#include "traffic/ground_movement.h"

#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "simlink/sim_state.h"
#include "traffic/ac_descriptions.h"
#include "traffic/angles.h"
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
#include <gsl/gsl>
#include <limits>

namespace {

constexpr double g_feetPerNm = 6076.11549;

bool lf_groundPhase(FlightState fs)
{
    return fs == FlightState::pushing_back || fs == FlightState::pushed_back || fs == FlightState::taxi ||
           fs == FlightState::parking;
}

} // namespace

// Within the limits of the feed's due tick while no dead reckoning runs.
void gf_airborneDueTick(LiveAc& ac)
{
    FeedSample& s0 = ac.samples[0];
    FeedSample& s1 = ac.samples[1];
    if (s1.samePosition != 0)
        return;
    const double distance = gf_distanceNm(gf_sampleLatLon(s0), gf_sampleLatLon(s1));
    double v = 0.0;
    if (ac.approach && s1.airborne == 0) {
        v = s0.groundSpeed > 0.0 ? s0.groundSpeed : 100.0;
    } else {
        v = (s0.groundSpeed + s1.groundSpeed) / 2.0;
        // no usable mean speed (both 0, negative or cancelling out): the feed's own timing
        if (!(v > 0.0)) {
            const std::int64_t span =
                std::max<std::int64_t>(25, static_cast<std::int64_t>(s1.dueTick) - static_cast<std::int64_t>(s0.dueTick));
            v = std::max(1.0, distance * 360000.0 / static_cast<double>(span));
        }
    }
    const double ticks = std::round(distance * 360000.0 / v);
    if (!(std::fabs(ticks) < 2147483648.0))
        throw gsl::narrowing_error();
    const auto t = gsl::narrow<std::int32_t>(ticks);
    std::int64_t due = gf_tickNow() + std::max<std::int64_t>(t, 25);
    if (ac.extrapolationsLeft < 1)
        due = std::clamp<std::int64_t>(due, static_cast<std::int64_t>(s1.dueTick) - ac.earlyLimit,
                                       static_cast<std::int64_t>(s1.dueTick) + ac.lateLimit);
    s1.dueTick = gf_clampTick(std::max(due, gf_tickNow()));
}

namespace {

void lf_step(LiveAc& ac)
{
    ac.curve[2] = ac.curve[5] = ac.curve[6] = ac.curve[7] = g_nan;
    ac.curveT = 0.0;
    auto& q = ac.samples;
    if (q[1].samePosition == 0 && std::fabs(q[1].lat - q[0].lat) < 1e-8 && std::fabs(q[1].lon - q[0].lon) < 1e-8)
        q[1].samePosition = 1;
    if (q[1].samePosition == 0)
        ac.groundBearing = gf_bearingRad(gf_sampleLatLon(q[0]), gf_sampleLatLon(q[1]));
    // the ground step may insert and erase samples: no references across it
    if (ac.onGround)
        nextPosGround(ac);
    else if (q[1].samePosition == 0)
        gf_airborneDueTick(ac);
    else if (ac.sizeClass == SizeClass::Rotorcraft)
        groundDueTick(ac);
    if (q.size() < 2) {
        q.pop_front();
        return;
    }
    const FeedSample& s1 = q[1];
    if (s1.samePosition != 0) {
        ac.rates[POS_LAT] = 0.0;
        ac.rates[POS_LON] = 0.0;
        if (!ac.takeoffRoll && !ac.landingRoll) {
            ac.earlyLimit = std::max(1000, ac.earlyLimit - 100);
            ac.lateLimit = std::max(1000, ac.lateLimit - 100);
        }
    } else {
        const std::int64_t d = std::max<std::int64_t>(25, static_cast<std::int64_t>(s1.dueTick) - gf_tickNow());
        ac.rates[POS_LAT] = (s1.lat - ac.position[POS_LAT]) / static_cast<double>(d);
        ac.rates[POS_LON] = std::remainder(s1.lon - ac.position[POS_LON], 360.0) / static_cast<double>(d);
        if (ac.onGround)
            groundRates(ac, d);
        else
            airborneProfile(ac, d);
    }
    q.pop_front();
}

// Another active taxiing aircraft on the ground stands in the way.
bool lf_blockedOnTaxiway(const LiveAc& ac)
{
    const LatLon here{ac.position[POS_LAT], ac.position[POS_LON]};
    return std::any_of(g_liveAircraft.begin(), g_liveAircraft.end(), [&](const LiveAc& other) {
        return &other != &ac && other.acState == AcState::active && other.flightState == FlightState::taxi &&
               other.onGround &&
               gf_distanceNm(here, LatLon{other.position[POS_LAT], other.position[POS_LON]}) <=
                   1.2 * (ac.halfWingspanNm + other.halfWingspanNm);
    });
}

// A ground aircraft waits in place for new samples, up to MAX_HOLDING_MINUTES.
bool lf_hold(LiveAc& ac)
{
    if (lf_blockedOnTaxiway(ac)) {
        ac.holding = 0;
        return false;
    }
    if (ac.holding != 0 && (gf_tickNow() - ac.holdStartTick) / 6000 > MAX_HOLDING_MINUTES.value)
        return false;
    if (ac.holding == 0) {
        ac.holding = 1;
        ac.holdStartTick = gsl::narrow_cast<std::int32_t>(gf_tickNow());
    }
    FeedSample hold = ac.samples.front();
    hold.dueTick = gf_clampTick(static_cast<std::int64_t>(hold.dueTick) + 300);
    hold.groundSpeed = 0.0;
    hold.samePosition = 1;
    ac.samples.push_back(hold);
    ac.extrapolationsLeft = 1;
    return true;
}

void lf_appendDeadReckoning(LiveAc& ac, std::int32_t count)
{
    FeedSample c = ac.samples.front();
    const bool parked = ac.flightState == FlightState::parked;
    const double step = ac.onGround ? 3.0 : 8.0;
    double speed = c.groundSpeed;
    if (c.samePosition != 0 || parked) {
        c.samePosition = 1;
        speed = 0.0;
    } else if (!ac.onGround) {
        if (!ac.approach)
            speed *= 0.95;
        else if (count >= 4)
            speed *= 0.9;
        speed = std::max(speed, 1.0);
    } else if (ac.takeoffRoll) {
        const double gs = c.groundSpeed;
        if (gs <= 30.0)
            speed = 40.0;
        else if (gs <= 60.0)
            speed = 80.0;
        else if (gs <= 100.0)
            speed = 110.0;
        else if (gs <= 140.0) {
            speed = 150.0;
            c.verticalRate = 600.0;
        } else if (gs <= 160.0) {
            speed = 170.0;
            c.verticalRate = 1200.0;
        } else {
            speed = 180.0;
            c.verticalRate = 2400.0;
        }
    } else if (ac.landingRoll) {
        const double gs = c.groundSpeed;
        speed = gs >= 140.0 ? 100.0 : gs >= 100.0 ? 80.0 : gs >= 80.0 ? 60.0 : gs >= 60.0 ? 30.0 : 20.0;
        c.verticalRate = 0.0;
    } else {
        c.samePosition = 1;
        speed = 0.0;
    }
    c.groundSpeed = speed;
    c.airspeed = speed;
    if (speed > 0.0) {
        const LatLon moved = gf_destinationPoint(gf_sampleLatLon(c), ac.position[POS_HEADING],
                                                 step * 100.0 * speed * g_feetPerNm / 360000.0);
        c.lat = moved.lat;
        c.lon = moved.lon;
    }
    if (ac.approach && ac.flareStage == 0) {
        c.altitude -= step * 10.005;
        c.verticalRate = -667.0;
    } else if (ac.flightState == FlightState::take_off) {
        c.altitude += step * 25.0;
        c.verticalRate = 1500.0;
    }
    c.airborne = c.altitude > 0.0 ? 1 : 0;
    if (parked) {
        // a parked aircraft always runs on this one sample (the feed's samples near its stand are
        // not taken), so its stand stays marked until it leaves or is removed
        c.dueTick = gf_clampTick(static_cast<std::int64_t>(c.dueTick) + g_weekOfTicks);
        ac.feedParked = false;
    } else {
        c.dueTick = gf_clampTick(static_cast<std::int64_t>(c.dueTick) + static_cast<std::int64_t>(step * 100.0));
    }
    ac.extrapolationsLeft = count;
    ac.samples.push_back(c);
}

// Fewer than two samples: true when one more was granted.
bool lf_grantSamples(LiveAc& ac)
{
    if (ac.samples.empty())
        return false;
    if (ac.flightState == FlightState::parking)
        checkArrival(ac);
    const bool rolling = ac.takeoffRoll || ac.landingRoll;
    if (ac.flightState == FlightState::pushed_back || (ac.flightState == FlightState::taxi && !rolling))
        return lf_hold(ac);
    std::int32_t count = 0;
    if (ac.extrapolationsLeft < 0)
        return false;
    if (ac.extrapolationsLeft == 1) {
        ac.extrapolationsLeft = -1;
        return false;
    }
    if (ac.extrapolationsLeft >= 2) {
        count = ac.extrapolationsLeft - 1;
    } else {
        if (!gf_isSizeClassEnabled(ac.sizeClass))
            return false;
        if (!ac.onGround) {
            const UserAcData user = gf_copyUserSnapshot();
            if (gf_positionSet(user.latitude, user.longitude) &&
                gf_distanceNm(LatLon{user.latitude, user.longitude}, LatLon{ac.position[POS_LAT], ac.position[POS_LON]}) >=
                    RANGE.value - 0.5)
                return false;
            count = 8;
        } else {
            count = ac.flightState == FlightState::parked ? 1 : 10;
        }
    }
    lf_appendDeadReckoning(ac, count);
    return true;
}

// Turns the heading by the turn step toward the target when they differ by more than 0.5 deg.
void lf_turnToward(LiveAc& ac, double target)
{
    const double diff = gf_wrapPi(target - ac.position[POS_HEADING]);
    if (std::fabs(diff) * g_rad2deg <= 0.5)
        return;
    ac.position[POS_HEADING] = gf_normalize2Pi(ac.position[POS_HEADING] + (diff > 0.0 ? ac.turnStep : -ac.turnStep));
}

} // namespace

void nextPosMain(LiveAc& ac)
{
    try {
        for (;;) {
            auto& q = ac.samples;
            if (q.size() >= 2) {
                if (ac.onGround || q[1].samePosition == 0 || ac.sizeClass == SizeClass::Rotorcraft) {
                    lf_step(ac);
                    return;
                }
                q.erase(q.begin() + 1); // a repeated airborne position is not flown
                continue;
            }
            if (lf_grantSamples(ac))
                continue;
            if (ac.flightState != FlightState::parked)
                learnStandAfterLanding(ac, ac.flightState != FlightState::flying);
            removeAircraftFromSim(ac);
            return;
        }
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {} {}, sz:{}, fs:{}, st:{}", "nextPosMain", e.what(), ac.callsign,
                           gf_sizeClassName(ac.sizeClass), gf_flightStateName(ac.flightState),
                           gf_acStateName(ac.acState)));
        throw;
    }
}

void integrateTick(LiveAc& ac)
{
    auto& p = ac.position;
    const auto& r = ac.rates;
    if (gf_hasCurve(ac)) {
        ac.curveT = std::clamp(ac.curveT + ac.curveStep, 0.0, 0.999999);
        LatLon point{};
        double heading = 0.0;
        if (!evalCurve(ac.curve, point, heading, ac.curveT)) {
            gf_log(fmt::format("{} error in curve at index: {:.2F}", ac.callsign, ac.curveT));
        } else {
            p[POS_LAT] = point.lat;
            p[POS_LON] = point.lon;
            const double target = ac.flightState == FlightState::pushing_back ? heading + 3.141592653589793 : heading;
            lf_turnToward(ac, target);
        }
    } else if (lf_groundPhase(ac.flightState)) {
        if (ac.flightState == FlightState::parking || ac.turnInPlace)
            lf_turnToward(ac, ac.groundBearing);
        if (ac.flightState != FlightState::pushed_back) {
            p[POS_LAT] += r[POS_LAT];
            p[POS_LON] += r[POS_LON];
        }
    } else {
        p[POS_HEADING] = gf_normalize2Pi(p[POS_HEADING] + r[POS_HEADING]);
        p[POS_LAT] += r[POS_LAT];
        p[POS_LON] += r[POS_LON];
    }
    if (ac.flightState == FlightState::take_off) {
        takeoffTick(ac);
    } else {
        if (ac.heightAboveGround <= 400.0 && ac.approach && !ac.onGround)
            flareTick(ac);
        if (ac.noseLowering) {
            p[POS_PITCH] += r[POS_PITCH];
            if ((r[POS_PITCH] >= 0.0 && p[POS_PITCH] >= ac.staticPitch) ||
                (r[POS_PITCH] < 0.0 && p[POS_PITCH] <= ac.staticPitch)) {
                p[POS_PITCH] = ac.staticPitch;
                ac.rates[POS_PITCH] = 0.0;
                p[POS_BANK] = 0.0;
                ac.rates[POS_BANK] = 0.0;
                ac.noseLowering = false;
                ac.flareStage = 0;
            }
            p[POS_BANK] += ac.rates[POS_BANK];
        } else if (ac.flareStage != 0) {
            p[POS_BANK] = gf_wrapPi(p[POS_BANK] + r[POS_BANK]);
            p[POS_PITCH] = std::max(p[POS_PITCH] + r[POS_PITCH], -4.0 * g_deg2rad);
            p[POS_ALT] += r[POS_ALT];
        } else if (ac.onGround) {
            p[POS_PITCH] = ac.staticPitch;
            p[POS_BANK] = 0.0;
        } else {
            p[POS_BANK] += r[POS_BANK];
            p[POS_PITCH] += r[POS_PITCH];
            p[POS_ALT] += r[POS_ALT];
        }
    }
    p[POS_LON] = std::remainder(p[POS_LON], 360.0);
    if (p[POS_LON] >= 180.0)
        p[POS_LON] -= 360.0;
    if (p[POS_LAT] > 90.0 || p[POS_LAT] < -90.0) {
        p[POS_LAT] = p[POS_LAT] > 90.0 ? 180.0 - p[POS_LAT] : -180.0 - p[POS_LAT];
        p[POS_LON] = p[POS_LON] < 0.0 ? p[POS_LON] + 180.0 : p[POS_LON] - 180.0;
    }
}
