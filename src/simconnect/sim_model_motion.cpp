// How things move in the model's world: the user aircraft along its scripted path, and the AI
// objects that nobody holds, as the simulator's own AI would move them.
#include "simconnect/sim_model.h"

#include "simconnect/sim_geometry.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <utility>

namespace {

constexpr double g_degPerRad = 57.29577951308232;
constexpr double g_settleFps = 20.0;   // an object in the air without speed sinks to the ground
constexpr double g_flyingKts = 1.0;    // below this an object in the air has no speed

} // namespace

void SimModel::setUserPath(std::vector<SimWaypoint> path)
{
    if (path.empty())
        return;
    std::lock_guard lock(m_mutex);
    for (SimWaypoint& w : path)
        w.t += m_simTime;
    m_scenario.userPath = std::move(path);
}

void SimModel::moveUser()
{
    const auto& path = m_scenario.userPath;
    SimObjectState& u = m_user;
    u.groundAltFt = m_scenario.groundAltitudeFt;
    const double t = m_simTime;
    std::size_t i = 0;
    while (i + 1 < path.size() && path[i + 1].t <= t)
        ++i;
    const SimWaypoint& a = path[i];
    u.userLightStates = a.lightStates;
    if (i + 1 < path.size() && t >= a.t) {
        // on the leg from a to b
        const SimWaypoint& b = path[i + 1];
        const double f = (t - a.t) / (b.t - a.t);
        const double distance = gf_simDistanceNm(a.lat, a.lon, b.lat, b.lon);
        u.lat = a.lat + (b.lat - a.lat) * f;
        u.lon = a.lon + (b.lon - a.lon) * f;
        u.altFt = a.altFt + (b.altFt - a.altFt) * f;
        u.groundSpeedKts = distance / ((b.t - a.t) / 3600.0);
        u.verticalSpeedFps = (b.altFt - a.altFt) / (b.t - a.t);
        u.onGround = a.onGround && b.onGround;
        if (distance > 1e-6)
            u.headingDeg = gf_simBearingDeg(a.lat, a.lon, b.lat, b.lon);
        else if (!std::isnan(a.headingDeg))
            u.headingDeg = a.headingDeg;
    } else {
        u.lat = a.lat;
        u.lon = a.lon;
        u.altFt = a.altFt;
        u.verticalSpeedFps = 0.0;
        u.onGround = a.onGround;
        u.groundSpeedKts = 0.0;
        if (!std::isnan(a.headingDeg))
            u.headingDeg = a.headingDeg;
        if (i > 0 && t > a.t && !a.onGround) {
            // past the last point in the air: cruise on along the last leg
            const SimWaypoint& p = path[i - 1];
            const double speed = gf_simDistanceNm(p.lat, p.lon, a.lat, a.lon) / ((a.t - p.t) / 3600.0);
            const double heading = gf_simBearingDeg(p.lat, p.lon, a.lat, a.lon);
            gf_simMoveAlong(u.lat, u.lon, heading, speed * (t - a.t) / 3600.0);
            u.headingDeg = heading;
            u.groundSpeedKts = speed;
        }
    }
    u.trueAirspeedKts = u.groundSpeedKts;
    const double climb = u.verticalSpeedFps / std::max(u.trueAirspeedKts * 1.68781, 1.0);
    u.pitchDeg = u.onGround ? 0.0 : -std::atan(climb) * g_degPerRad; // nose up is negative
    u.bankDeg = 0.0;
}

// An AI object moves by itself unless the program holds it: released control ends the
// simulator's AI (only set data moves it then); each freeze holds its own part of the motion.
// Nothing is steered: in the air it goes along its heading at its true airspeed and climbs or
// sinks at its vertical speed (sinks, without speed) until it rests on the ground, where it
// rolls along its heading at its ground speed (backwards when negative), wings level at its
// static pitch.
void SimModel::driftAiObjects(double seconds)
{
    for (auto& [id, o] : m_ai) {
        if (o.releasedControl)
            continue;
        if (!o.freezeLatLon)
            gf_simMoveAlong(o.lat, o.lon, o.headingDeg,
                            (o.onGround ? o.groundSpeedKts : o.trueAirspeedKts) * seconds / 3600.0);
        if (!o.freezeAltitude && !o.onGround) {
            if (std::abs(o.trueAirspeedKts) < g_flyingKts)
                o.verticalSpeedFps = std::min(o.verticalSpeedFps, -g_settleFps);
            o.altFt += o.verticalSpeedFps * seconds;
            const double restFt = o.groundAltFt + o.staticCgFt;
            if (o.altFt <= restFt) {
                o.altFt = restFt;
                o.verticalSpeedFps = 0.0;
                o.onGround = true;
            }
        }
        if (!o.freezeAttitude && o.onGround) {
            o.pitchDeg = o.staticPitchDeg;
            o.bankDeg = 0.0;
        }
    }
}
