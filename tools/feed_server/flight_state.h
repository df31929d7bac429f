#pragma once
// Where a flight of the scenario is at a given scenario time.
#include "scenario.h"

#include <optional>

namespace feedserver {

struct FlightState {
    double lat = 0.0;
    double lon = 0.0;
    double altFt = 0.0; // true altitude
    double groundSpeedKt = 0.0;
    double trackDeg = 0.0;
    double verticalRateFpm = 0.0;
    double headingDeg = 0.0;
    double airspeedKt = 0.0;
    double bankDeg = 0.0;
    bool onGround = false;
};

// The flight at `t` seconds after the scenario's start: positions and altitudes linear between
// the path points; a value given at both ends of the leg is interpolated, one given at its
// start only is held, else the leg's own motion applies. None before the first point and after
// the last one.
std::optional<FlightState> gf_flightStateAt(const Flight& flight, double t);

} // namespace feedserver
