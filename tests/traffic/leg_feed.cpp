#include "leg_feed.h"

#include "feed/feed_hooks.h"
#include "foundation/time_shift.h"
#include "traffic/run_flags.h"

#include <algorithm>
#include <cmath>

namespace traffictest {

FeedRecord LegFeed::at(double recordTime) const
{
    double left = std::max(0.0, recordTime - epoch);
    LatLon p = start;
    const Leg* leg = &legs.front();
    double dt = 0.0;
    for (std::size_t i = 0; i < legs.size(); ++i) {
        leg = &legs[i];
        dt = i + 1 == legs.size() ? left : std::min(left, leg->seconds);
        const double nm = (leg->speedKt * dt + leg->accelKtPerS * dt * dt / 2.0) / 3600.0;
        p = gf_destinationPoint(p, leg->trackDeg * g_deg2rad, nm * 6076.11549);
        left -= dt;
        if (left <= 0.0)
            break;
    }
    FeedRecord r = identity.at(identity.startTime);
    r.recordTime = recordTime;
    FeedSample& s = r.sample;
    s.lat = p.lat;
    s.lon = p.lon;
    s.groundSpeed = leg->speedKt + leg->accelKtPerS * dt;
    s.airspeed = s.groundSpeed;
    s.track = leg->trackDeg;
    s.altitude = std::max(0.0, leg->altitudeFt + leg->vsFpm * dt / 60.0);
    s.airborne = s.altitude > 0.0 ? 1 : 0;
    s.verticalRate = s.airborne != 0 ? leg->vsFpm : 0.0;
    return r;
}

LatLon LegFeed::endOf(std::size_t leg) const
{
    double t = epoch;
    for (std::size_t i = 0; i <= leg; ++i)
        t += legs[i].seconds;
    const FeedRecord r = at(t);
    return LatLon{r.sample.lat, r.sample.lon};
}

void LegFeed::deliverStartup() const
{
    for (std::uint32_t k = 0; k < 5; ++k) {
        std::vector<FeedRecord> batch{at(epoch + 6.0 * k)};
        gf_queueFeedBatch(batch, 6 * k, g_timeOffset);
    }
}

void LegFeed::deliverLoop() const
{
    const std::uint32_t tick = g_tick;
    if (stopped || tick == 0 || tick % 200 != 0)
        return;
    std::vector<FeedRecord> batch{at(epoch + 30.0 + tick / 100.0)};
    gf_queueFeedBatch(batch, 30, g_timeOffset);
}

bool finitePosition(const AiPosition& p)
{
    for (const double v : {p.latitude, p.longitude, p.pitch, p.bank, p.heading, p.altitude, p.verticalSpeed, p.trueAirspeed})
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace traffictest
