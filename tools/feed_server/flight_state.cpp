#include "flight_state.h"

#include "flat_geometry.h"

#include <algorithm>
#include <iterator>

namespace feedserver {

namespace {

double lf_lerp(double a, double b, double f) { return a + (b - a) * f; }

// along the shorter turn
double lf_lerpDeg(double a, double b, double f)
{
    double turn = gf_normalizedDeg(b - a);
    if (turn > 180.0)
        turn -= 360.0;
    return gf_normalizedDeg(a + turn * f);
}

using Field = std::optional<double> PathPoint::*;

std::optional<double> lf_given(const PathPoint& a, const PathPoint& b, Field field, double f, bool angle)
{
    if (!(a.*field))
        return std::nullopt;
    if (!(b.*field))
        return a.*field;
    return angle ? lf_lerpDeg(*(a.*field), *(b.*field), f) : lf_lerp(*(a.*field), *(b.*field), f);
}

// a rough indicated airspeed: two per cent less than the ground speed per thousand feet
double lf_airspeed(double groundSpeedKt, double altFt, bool onGround)
{
    if (onGround)
        return groundSpeedKt;
    return groundSpeedKt / (1.0 + 0.02 * std::max(altFt, 0.0) / 1000.0);
}

} // namespace

std::optional<FlightState> gf_flightStateAt(const Flight& flight, double t)
{
    const auto& path = flight.path;
    if (path.size() < 2 || t < path.front().t || t > path.back().t)
        return std::nullopt;
    const auto after = std::upper_bound(path.begin(), path.end(), t,
                                        [](double time, const PathPoint& p) { return time < p.t; });
    const std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(std::distance(path.begin(), after)) - 1,
                                                path.size() - 2);
    const PathPoint& a = path[i];
    const PathPoint& b = path[i + 1];
    const LegMotion& leg = flight.legs[i];
    const double f = (t - a.t) / (b.t - a.t);

    FlightState s;
    s.lat = lf_lerp(a.lat, b.lat, f);
    s.lon = lf_lerp(a.lon, b.lon, f);
    s.altFt = lf_lerp(a.altFt, b.altFt, f);
    s.onGround = a.onGround && b.onGround;
    s.groundSpeedKt = lf_given(a, b, &PathPoint::groundSpeedKt, f, false).value_or(leg.groundSpeedKt);
    s.trackDeg = lf_given(a, b, &PathPoint::trackDeg, f, true).value_or(leg.trackDeg);
    s.verticalRateFpm = lf_given(a, b, &PathPoint::verticalRateFpm, f, false).value_or(leg.verticalRateFpm);
    s.headingDeg = lf_given(a, b, &PathPoint::headingDeg, f, true).value_or(s.trackDeg);
    s.airspeedKt = lf_given(a, b, &PathPoint::airspeedKt, f, false)
                       .value_or(lf_airspeed(s.groundSpeedKt, s.altFt, s.onGround));
    s.bankDeg = lf_given(a, b, &PathPoint::bankDeg, f, false).value_or(0.0);
    return s;
}

} // namespace feedserver
