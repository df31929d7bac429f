#pragma once
// Small helpers shared by the motion and the feed intake: the tick as a signed count, due ticks
// clamped into their range, and positions of samples and curves.
#include "feed/feed_record.h"
#include "foundation/geometry.h"
#include "platform/clock.h"
#include "traffic/live_ac.h"
#include "traffic/run_flags.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>

// A week of 10 ms passes.
constexpr std::uint32_t g_weekOfTicks = 604800u * 100u;

// Two samples closer than this in latitude and longitude stand at the same place.
inline constexpr double g_samePositionDeg = 1e-8;

inline std::int64_t gf_tickNow() { return static_cast<std::int64_t>(g_tick.load()); }

// The steady clock in nanoseconds (LiveAc::arrivalTime).
inline std::int64_t gf_steadyNowNs()
{
    const auto sinceEpoch = platform::clock().steadyNow().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count();
}

inline std::uint32_t gf_clampTick(std::int64_t tick)
{
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(tick, 0, std::numeric_limits<std::uint32_t>::max()));
}

inline LatLon gf_sampleLatLon(const FeedSample& s) { return LatLon{s.lat, s.lon}; }

inline bool gf_samePosition(const FeedSample& a, const FeedSample& b)
{
    return std::fabs(a.lat - b.lat) < g_samePositionDeg && std::fabs(a.lon - b.lon) < g_samePositionDeg;
}

inline bool gf_hasCurve(const LiveAc& ac) { return !std::isnan(ac.curve[6]) && !std::isnan(ac.curve[7]); }
