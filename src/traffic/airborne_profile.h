#pragma once
// The airborne profile: altitude rate, pitch, bank and heading toward the next sample, the
// configuration by altitude and height, take-off rotation and climb-out, and the flare.
#include "traffic/live_ac.h"

#include <cstdint>

// The pitch target in degrees (negative nose up) for a vertical speed in ft/min.
double gf_pitchTargetDeg(double verticalSpeedFpm);
// The descent rate in ft/min toward the ground from the height over the ground, the vertical
// speeds of samples 0 and 1 and the QNH.
double gf_descentRateFpm(double heightAboveGroundFt, double vs0Fpm, double vs1Fpm, double qnhHpa);
// The altitude rate in ft per tick between two airborne samples without an approach.
double gf_climbAltRate(double altitudeFt, double nextAltitudeFt, std::int64_t ticks, double heightAboveGroundFt,
                       double maxClimbRate);

// The airborne branch of a step, after the latitude and longitude rates; d = ticks to sample 1.
void airborneProfile(LiveAc& ac, std::int64_t d);
// From the take-off decision on the ground.
void startTakeoff(LiveAc& ac);
// One tick of rotation and climb-out, in take_off.
void takeoffTick(LiveAc& ac);
// One tick of the flare, at or below 400 ft over the ground on an approach.
void flareTick(LiveAc& ac);
