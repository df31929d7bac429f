#pragma once
// A park airport at 50 N 8 E with stands, active live and static aircraft put straight into the
// traffic manager's lists, and aircraft read from the live feed into its index.
#include "traffic_harness.h"

#include "airports/park_data.h"
#include "feed/live_records.h"
#include "feed/parked_request.h"
#include "foundation/geometry.h"
#include "platform/clock.h"
#include "traffic/run_flags.h"
#include "traffic/traffic_containers.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace traffictest {

inline constexpr unsigned gate = 0, ramp = 1, cargo = 2, heli = 4; // kinds of stand

inline const LatLon g_origin{50.0, 8.0};
inline constexpr double g_halfSpanNm = 17.9 / 1852.0;
inline LatLon lf_at(double bearingDeg, double metres, LatLon from = g_origin)
{
    return gf_destinationPoint(from, bearingDeg * g_deg2rad, metres / 0.3048);
}

inline constexpr std::int64_t g_mondayMidnight = 1767571200; // Monday 5 January 2026, 00:00 UTC

// The manual clock, with the service's parked-traffic answer at hand.
class ServiceClock : public platform::ManualClock {
public:
    using ManualClock::ManualClock;
    std::vector<ParkedTrafficRecord> answer;
    std::int32_t status = 0;
    int requests = 0;
    // The Traffic Reader's part: the request waiting, if any, gets the answer.
    void serve()
    {
        ParkedBox box;
        std::uint64_t sequence = 0;
        if (gf_takeParkedRequest(box, sequence) && ++requests)
            gf_deliverParkedAnswer(sequence, status, answer);
    }
};

class StandTest : public TrafficTest {
protected:
    StandTest()
    {
        parkAirport = Airport{"EDXX", "", g_origin.lat, g_origin.lon, 0.0};
        g_parkAirportLoaded = true;
        g_parkStands.reserve(32); // references to stands stay valid
    }

    Stand& addStand(LatLon at, double radiusMetres, unsigned kind = gate, double headingDeg = 0.0)
    {
        Stand& s = g_parkStands.emplace_back(fmt::format("S{}", g_parkStands.size() + 1), std::vector<StandOption>{},
                                             StandPosition{at.lat, at.lon, headingDeg * g_deg2rad}, radiusMetres,
                                             (kind & cargo) == 0, (kind & ramp) == 0, (kind & heli) == 0);
        s.id = static_cast<std::uint32_t>(g_parkStands.size());
        return s;
    }

    // An active record on the ground at `at`, standing there from now on.
    LiveAc& addLive(std::uint32_t hexid, const std::string& callsign, LatLon at, FlightState state)
    {
        FeedSample here;
        here.lat = at.lat;
        here.lon = at.lon;
        here.samePosition = 1;
        here.dueTick = g_tick;
        LiveAc& ac = g_liveAircraft.emplace_back(here, AcBase("DLH", "A320", "", "", callsign, "", "", ""), 0.0);
        ac.hexid = hexid;
        ac.parkingSpeedKt = 4.0;
        ac.halfWingspanNm = g_halfSpanNm;
        ac.objectId = 300 + static_cast<std::uint32_t>(g_liveAircraft.size());
        ac.acState = AcState::active;
        ac.onGround = true;
        ac.flightState = state;
        ac.position = {at.lat, at.lon, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
        return ac;
    }

    // An aircraft array of the live feed read while the feed index is collected.
    static void inLiveFeed(const std::string& hex, const std::string& callsign)
    {
        nlohmann::json line = nlohmann::json::array();
        for (int i = 0; i < 48; ++i)
            line.push_back(nullptr);
        line[0] = hex, line[1] = 50.0, line[2] = 8.0, line[4] = 5000, line[5] = 250.0, line[8] = "A320";
        line[13] = callsign;
        LineContext context;
        context.refPos = g_origin;
        context.rangeNm = 100.0;
        g_collectFeedIndex = true;
        processLine(line, context);
        g_readerBatch.clear();
    }

    StaticAc& addStatic(std::uint32_t hexid, const Stand& stand, AcState state)
    {
        StaticAc& s = g_staticAircraft.emplace_back(AcBase("BAW", "A320", "", "", "BAW", "", "", ""), stand.id,
                                                    stand.latitude, stand.longitude, stand.heading, false);
        s.hexid = hexid;
        s.halfWingspanNm = g_halfSpanNm;
        s.acState = state;
        s.objectId = state == AcState::active ? 500 + hexid : 0;
        return s;
    }
};

} // namespace traffictest
