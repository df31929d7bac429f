#include "traffic/airborne_profile.h"

#include "feed/feed_display.h"
#include "foundation/geometry.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/airborne_motion.h"
#include "traffic/angles.h"
#include "traffic/class_tables.h"
#include "traffic/ground_movement.h"
#include "traffic/park_airport.h"
#include "traffic/run_flags.h"
#include "traffic/sim_handover.h"
#include "traffic/traffic_containers.h"

#include <algorithm>
#include <cmath>

namespace {

bool lf_parkAirportSet() { return !gf_parkAirportRef().code.empty(); }

double lf_qnh() { return static_cast<double>(g_trafficQnh.load()); }

void lf_gear(const LiveAc& ac, std::uint32_t down)
{
    if (ac.sizeClass != SizeClass::Rotorcraft)
        gf_queueClientEvent({ac.objectId, EVENT_GEAR_SET, down});
}

void lf_decayLimits(LiveAc& ac)
{
    ac.earlyLimit = std::max(1000, ac.earlyLimit - 100);
    ac.lateLimit = std::max(1000, ac.lateLimit - 100);
}

double lf_descentVs(const LiveAc& ac)
{
    return gf_descentRateFpm(ac.heightAboveGround, ac.samples[0].verticalRate, ac.samples[1].verticalRate, lf_qnh());
}

// vs into sample 1 and the target, the altitude rate from it.
void lf_takeVs(LiveAc& ac, double vs)
{
    ac.samples[1].verticalRate = vs;
    ac.rates[POS_VS] = vs;
    ac.rates[POS_ALT] = vs / 6000.0;
}

double lf_climbToward(const LiveAc& ac, double altitude, std::int64_t d)
{
    if (altitude <= ac.position[POS_ALT])
        return 0.0;
    return std::min((altitude - ac.position[POS_ALT]) / static_cast<double>(d), ac.maxClimbRate);
}

// Both samples on the ground while still in the air.
void lf_bothOnGround(LiveAc& ac, std::int64_t d)
{
    auto& q = ac.samples;
    double sum = 0.0;
    for (const FeedSample& s : q)
        sum += s.verticalRate;
    if (!ac.approach && sum > 100.0) {
        bool found = false;
        const std::size_t last = std::min<std::size_t>(q.size() - 1, 10);
        for (std::size_t k = 3; k <= last; ++k) {
            if (q[k - 1].airborne == 0)
                continue;
            q.erase(q.begin() + 1, q.begin() + static_cast<std::ptrdiff_t>(k - 1));
            gf_airborneDueTick(ac);
            d = std::max<std::int64_t>(25, static_cast<std::int64_t>(q[1].dueTick) - static_cast<std::int64_t>(g_tick.load()));
            ac.rates[POS_LAT] = (q[1].lat - ac.position[POS_LAT]) / static_cast<double>(d);
            ac.rates[POS_LON] = std::remainder(q[1].lon - ac.position[POS_LON], 360.0) / static_cast<double>(d);
            ac.rates[POS_ALT] = lf_climbToward(ac, q[1].altitude, d);
            found = true;
            break;
        }
        if (!found) {
            q[1].verticalRate = std::max(q[1].verticalRate, 601.0);
            ac.rates[POS_VS] = q[1].verticalRate;
            ac.rates[POS_ALT] = q[1].verticalRate / 6000.0;
        }
    } else {
        lf_takeVs(ac, lf_descentVs(ac));
    }
    lf_gear(ac, 1);
}

void lf_altitudeRate(LiveAc& ac, std::int64_t d)
{
    const FeedSample& s0 = ac.samples[0];
    const FeedSample& s1 = ac.samples[1];
    if (s0.airborne == 0 && s1.airborne == 0) {
        lf_bothOnGround(ac, d);
    } else if (s0.airborne == 0) {
        ac.rates[POS_ALT] = lf_climbToward(ac, s1.altitude, d);
    } else if (s1.airborne == 0) {
        // touchdown ahead
        if (lf_qnh() <= 1013.0 && lf_parkAirportSet()) {
            ac.rates[POS_ALT] = (gf_parkAirportElevationFt() - ac.position[POS_ALT]) / static_cast<double>(d);
        } else {
            lf_takeVs(ac, lf_qnh() < 1014.0 ? -601.0 : lf_descentVs(ac));
        }
        lf_gear(ac, 1);
    } else if (!ac.approach) {
        ac.rates[POS_ALT] = gf_climbAltRate(ac.position[POS_ALT], s1.altitude, d, ac.heightAboveGround, ac.maxClimbRate);
    } else if (s0.altitude != s1.altitude || ac.heightAboveGround > 1000.0 ||
               s0.verticalRate + s1.verticalRate > 100.0) {
        ac.rates[POS_ALT] = (s1.altitude - ac.position[POS_ALT]) / static_cast<double>(d);
    } else {
        lf_takeVs(ac, lf_descentVs(ac));
    }
}

void lf_attitude(LiveAc& ac, std::int64_t d, const ClassValues& values)
{
    const FeedSample& s1 = ac.samples[1];
    const double ticks = static_cast<double>(d);
    if (ac.flightState != FlightState::take_off) {
        const double maxRate = values.maxPitchRateDeg * g_deg2rad;
        const double target = gf_pitchTargetDeg(s1.verticalRate) * g_deg2rad;
        ac.rates[POS_PITCH] = std::clamp((target - ac.position[POS_PITCH]) / ticks, -maxRate, maxRate);
    }
    const double limit = ac.approach ? 2000.0 : 1000.0;
    double change = 0.0;
    if (s1.trueHeadingValid != 0 && s1.bank && s1.trueHeading && ac.heightAboveGround < limit)
        change = gf_wrapPi(*s1.trueHeading - ac.position[POS_HEADING]);
    else if (ac.samples.size() >= 3)
        change = gf_wrapPi(gf_bearingRad(LatLon{s1.lat, s1.lon}, LatLon{ac.samples[2].lat, ac.samples[2].lon}) -
                           ac.position[POS_HEADING]);
    ac.rates[POS_HEADING] = change / ticks;
    if (s1.bank) {
        ac.rates[POS_BANK] = (*s1.bank - ac.position[POS_BANK]) / ticks;
    } else {
        const double maxBank = values.maxBankDeg * g_deg2rad;
        const double maxBankRate = values.maxBankRateDeg * g_deg2rad;
        const double target = -std::clamp(change, -maxBank, maxBank);
        ac.rates[POS_BANK] = std::clamp((target - ac.position[POS_BANK]) / ticks, -maxBankRate, maxBankRate);
    }
}

// Above the configuration threshold.
void lf_configureHigh(LiveAc& ac)
{
    lf_decayLimits(ac);
    gf_setCabinLights(ac.objectId, 1);
    ac.takeoffRoll = false;
    ac.approach = false;
    const double vs = ac.samples[0].verticalRate;
    if (ac.sizeClass == SizeClass::Rotorcraft)
        gf_setThrottle(ac, 4);
    else if (vs <= -250.0 && ac.throttleIndex == 3)
        gf_setThrottle(ac, 2);
    else if (vs > 400.0 && ac.throttleIndex == 4)
        gf_setThrottle(ac, 3);
    const double h = ac.heightAboveGround;
    if (h >= 2400.0) {
        lf_gear(ac, 0);
        gf_setFlaps(ac, 0);
    } else if (vs <= 100.0) {
        if (h < 2000.0 && ac.flapsIndex <= 1)
            gf_setFlaps(ac, ac.flapsIndex + 1);
        else if (h >= 2000.0 && ac.flapsIndex == 0)
            gf_setFlaps(ac, 1);
    }
}

// At or below the configuration threshold: climb configuration or the approach.
void lf_configureLow(LiveAc& ac)
{
    gf_setCabinLights(ac.objectId, 0);
    const ParkAirportRef park = gf_parkAirportRef();
    const bool near = !park.code.empty() &&
                      gf_distanceNm(LatLon{ac.position[POS_LAT], ac.position[POS_LON]}, park.position) <= 10.0;
    const double vs = ac.samples[0].verticalRate;
    const bool rotorcraft = ac.sizeClass == SizeClass::Rotorcraft;
    if (vs > -250.0) {
        if ((vs > 600.0 || (ac.approach && !near)) && !ac.climbConfigured) {
            lf_decayLimits(ac);
            gf_setThrottle(ac, 4);
            lf_gear(ac, 0);
            gf_setFlaps(ac, 0);
            ac.climbConfigured = true;
            ac.flareStage = 0;
            ac.approach = false;
        }
    } else if (!ac.approach && near) {
        gf_setThrottle(ac, rotorcraft ? 4 : 1);
        gf_setFlaps(ac, 3);
        lf_gear(ac, 1);
        g_duplicateCheckList.push_back(ac.hexid);
        ac.approach = true;
        ac.climbConfigured = false;
        ac.standLat = 0.0;
        ac.standLon = 0.0;
        ac.standHeading = 0.0;
        ac.standId = 0;
        ac.darkCabin = false;
        ac.lateLimit = ac.takeoffRoll ? 5000 : 3000;
        ac.earlyLimit = 3000;
        ac.takeoffCounter = 1;
    }
}

void lf_configuration(LiveAc& ac)
{
    const bool rotorcraft = ac.sizeClass == SizeClass::Rotorcraft;
    if (ac.samples[0].altitude < 10000.0) {
        if (!ac.lightsLow) {
            gf_setLights(ac.objectId, {1, 1, 1, 1, 1, 1, 1});
            ac.lightsLow = true;
            ac.lightsHigh = false;
        }
        const bool big =
            ac.sizeClass == SizeClass::Buzjets || ac.sizeClass == SizeClass::Large || ac.sizeClass == SizeClass::Heavy;
        if (ac.heightAboveGround > (big ? 2050.0 : 625.0))
            lf_configureHigh(ac);
        else
            lf_configureLow(ac);
    } else if (!ac.lightsHigh) {
        gf_setLights(ac.objectId, {1, 1, 0, 0, 0, 0, 1});
        ac.lightsHigh = true;
        ac.lightsLow = false;
        gf_setThrottle(ac, rotorcraft ? 4 : 3);
        lf_gear(ac, 0);
        gf_setFlaps(ac, 0);
    }
}

} // namespace

double gf_pitchTargetDeg(double verticalSpeedFpm)
{
    double v = std::clamp(verticalSpeedFpm, -3000.0, 2400.0);
    if (v < 0.0)
        v /= 2.0;
    return -3.0 - (v / 600.0) * 2.2;
}

double gf_descentRateFpm(double heightAboveGroundFt, double vs0Fpm, double vs1Fpm, double qnhHpa)
{
    if (heightAboveGroundFt <= 100.0)
        return -600.0;
    return std::min((vs0Fpm + vs1Fpm) / 2.0 - (qnhHpa - 1013.0) * 6.0, -601.0);
}

double gf_climbAltRate(double altitudeFt, double nextAltitudeFt, std::int64_t ticks, double heightAboveGroundFt,
                       double maxClimbRate)
{
    const double r = (nextAltitudeFt - altitudeFt) / static_cast<double>(ticks);
    if (heightAboveGroundFt > 1000.0)
        return std::min(r, maxClimbRate);
    return std::min(r <= 0.2 ? 0.2 : r, maxClimbRate);
}

void airborneProfile(LiveAc& ac, std::int64_t d)
{
    if (ac.flightState != FlightState::take_off && ac.flightState != FlightState::flying)
        gf_setFlightState(ac, FlightState::flying);
    ac.rates[POS_TAS] = ac.samples[1].airspeed;
    ac.rates[POS_VS] = ac.samples[1].verticalRate;
    if (ac.flareStage == 0)
        lf_altitudeRate(ac, d);
    lf_attitude(ac, d, gf_classValues(ac.sizeClass));
    lf_configuration(ac);
}

void startTakeoff(LiveAc& ac)
{
    ac.takeoffCounter = std::max<std::int32_t>(1, static_cast<std::int32_t>(ac.rotationTicks));
    ac.rates[POS_PITCH] = (ac.rotationPitch - ac.position[POS_PITCH]) / static_cast<double>(ac.takeoffCounter);
    ac.position[POS_BANK] = 0.0;
    ac.rates[POS_BANK] = 0.0;
    if (!ac.takeoffRoll)
        startTakeoffRoll(ac);
    gf_setFlightState(ac, FlightState::take_off);
    ac.rates[POS_HEADING] = 0.0;
    ac.curve[6] = ac.curve[7] = g_nan;
    if (ac.landingRoll) {
        ac.landingRoll = false;
        ac.approach = false;
        ac.parkRequest = false;
        gf_setThrottle(ac, 4);
        if (ac.sizeClass != SizeClass::Rotorcraft)
            gf_queueClientEvent({ac.objectId, EVENT_SPOILERS_SET, 16383});
        gf_setFlaps(ac, 1);
    }
}

void takeoffTick(LiveAc& ac)
{
    auto& p = ac.position;
    ac.takeoffCounter = std::max(ac.takeoffCounter - 1, -1000);
    const std::int32_t c = ac.takeoffCounter;
    if (c > 0) {
        ac.onGround = false;
        if (p[POS_PITCH] > ac.rotationPitch)
            p[POS_PITCH] = std::max(p[POS_PITCH] + ac.rates[POS_PITCH], ac.rotationPitch);
        return;
    }
    p[POS_BANK] = gf_wrapPi(p[POS_BANK] + ac.rates[POS_BANK]);
    if (p[POS_PITCH] > ac.climbPitch) {
        const double ticks = static_cast<double>(std::max<std::uint32_t>(ac.climbPitchTicks, 1));
        p[POS_PITCH] = std::max(p[POS_PITCH] + (ac.climbPitch - ac.rotationPitch) / ticks, ac.climbPitch);
    }
    const double altRate = ac.rates[POS_ALT];
    if (c == 0)
        return;
    if (c >= -99)
        p[POS_ALT] += altRate / 10.0;
    else if (c >= -199)
        p[POS_ALT] += altRate / 5.0;
    else if (c >= -299)
        p[POS_ALT] += altRate / 2.0;
    else if (c == -300) {
        lf_gear(ac, 0);
        p[POS_ALT] += altRate;
    } else {
        p[POS_ALT] += altRate;
        if (p[POS_PITCH] <= ac.climbPitch && ac.heightAboveGround >= 800.0) {
            ac.rates[POS_PITCH] = 0.0;
            gf_setThrottle(ac, ac.sizeClass == SizeClass::Rotorcraft ? 4 : 3);
            gf_setFlightState(ac, FlightState::flying);
            ac.takeoffCounter = 1;
        }
    }
}

void flareTick(LiveAc& ac)
{
    const double c = ac.staticCgHeightFt;
    const double h = ac.heightAboveGround;
    FeedSample* s0 = ac.samples.empty() ? nullptr : &ac.samples.front();
    const auto lt_stage = [&](double altRate, double vs, std::uint32_t next) {
        ac.rates[POS_ALT] = altRate;
        if (s0 != nullptr)
            s0->verticalRate = vs;
        ac.flareStage = next;
    };
    switch (ac.flareStage) {
    case 0: {
        if (!ac.fieldElevation && lf_parkAirportSet())
            ac.fieldElevation = gf_parkAirportElevationFt();
        ac.heightAboveField = ac.fieldElevation ? ac.position[POS_ALT] - *ac.fieldElevation : h;
        if (std::min(h, ac.heightAboveField) <= c + 30.0) {
            const double ticks = static_cast<double>(std::max<std::uint32_t>(ac.flarePitchTicks, 1));
            ac.rates[POS_PITCH] = (-4.0 * g_deg2rad - ac.position[POS_PITCH]) / ticks;
            lt_stage(-0.1, -601.0, 1);
        }
        break;
    }
    case 1:
        if (h <= c + 20.0) {
            lt_stage(-0.075, -450.0, 2);
            ac.fieldElevation.reset();
        }
        break;
    case 2:
        if (h <= c + 10.0) {
            gf_setThrottle(ac, 0);
            lt_stage(-0.05, -300.0, 3);
            ac.fieldElevation.reset();
        }
        break;
    case 3:
        if (h <= c + 3.0) {
            lt_stage(-0.025, -150.0, 4);
            ac.fieldElevation.reset();
        }
        break;
    default:
        break;
    }
}
