#pragma once
// A feed that follows legs of constant acceleration, track and vertical speed, delivered like the
// synthetic feed: feed time t is due at tick (t - epoch) x 100.
#include "traffic_harness.h"

#include "foundation/geometry.h"

#include <vector>

namespace traffictest {

struct Leg {
    double seconds = 0.0;
    double speedKt = 0.0;
    double accelKtPerS = 0.0;
    double trackDeg = 90.0;
    double altitudeFt = 0.0; // at the start of the leg
    double vsFpm = 0.0;
};

class LegFeed {
public:
    Trajectory identity; // callsign, type, registration, hex id
    LatLon start{50.0, 8.0};
    std::vector<Leg> legs; // the last one goes on for ever
    bool stopped = false;
    double epoch = 1.7e9;

    FeedRecord at(double recordTime) const;
    // Where the legs before `leg` end.
    LatLon endOf(std::size_t leg) const;
    void deliverStartup() const;
    void deliverLoop() const;
};

// No coordinate, rate or attitude is NaN or infinite.
bool finitePosition(const AiPosition& p);

} // namespace traffictest
