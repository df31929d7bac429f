#pragma once
// Movement on the ground: path shaping with midpoints and curves, the ground rates and due tick,
// push-back and pulling out of a stand, the take-off roll and the end of the landing roll.
#include "foundation/geometry.h"
#include "traffic/live_ac.h"

#include <array>
#include <cstdint>

inline constexpr double g_metresPerDegLat = 111132.95;

// Ticks to cover the distance at the speed; gsl::narrowing_error beyond the i32 range.
std::int32_t gf_ticksFor(double distanceNm, double speedKt);
// Position and heading (radians in [0, 2 pi)) of the quadratic curve at t; false when there is no
// curve or t lies outside it.
bool evalCurve(const std::array<double, 8>& curve, LatLon& position, double& heading, double t);
// Ticks of a 90 degree push-back turn: round(90 / turnStep / 100), degrees over radians per tick.
std::int32_t gf_pushbackTurnTicks(double turnStepRad);

void insertMidpoint(LiveAc& ac);
void makeCurve(LiveAc& ac);
// The ground branch of a step, before the rates are set.
void nextPosGround(LiveAc& ac);
// The due tick of sample 1 on the ground; also resets and scales the turn step.
void groundDueTick(LiveAc& ac);
// The ground rate branch of a step, after the latitude and longitude rates; d = ticks to sample 1.
void groundRates(LiveAc& ac, std::int64_t d);
void startPushback(LiveAc& ac);
void pullOut(LiveAc& ac);
void pushbackStep(LiveAc& ac);
void startTakeoffRoll(LiveAc& ac);
void endLandingRoll(LiveAc& ac);
