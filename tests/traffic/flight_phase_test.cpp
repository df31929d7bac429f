// Flight phases on the harness: a live aircraft's whole road in a cruise west across 180 degrees with a
// turn and a climb, and the take-off roll with rotation and climb-out (the approach, flare and landing
// roll are flown by the stand tests' arrival).
#include "leg_feed.h"

#include "simlink/flight_plan.h"
#include "simlink/sim_ids.h"
#include "traffic/class_tables.h"
#include "traffic/run_flags.h"
#include "traffic/traffic_containers.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <vector>

namespace traffictest {
namespace {

std::vector<std::uint32_t> lf_values(const std::vector<ClientEvent>& events, std::uint32_t eventId)
{
    std::vector<std::uint32_t> values;
    for (const ClientEvent& e : events)
        if (e.eventId == eventId)
            values.push_back(e.value);
    return values;
}

// Created, shown 200 passes before it moves, turned and climbed within the class limits; when the feed
// stops, 8 dead-reckoning samples of 8 s each at a falling speed, then the removal with its flight plan.
TEST_F(TrafficTest, CruiseWestAcross180IsFlownWithinTheClassLimitsThenDeadReckonedAndRemoved)
{
    LegFeed feed;
    feed.start = LatLon{50.0, -179.9};
    feed.legs = {{90.0, 250.0, 0.0, 270.0, 8000.0, 0.0}, {60.0, 250.0, 0.0, 210.0, 8000.0, 1500.0}};
    feed.deliverStartup();
    const std::uint32_t hex = feed.identity.hexId;
    std::uint32_t objectTick = 0;
    std::uint32_t firstPositionTick = 0;
    std::size_t activePasses = 0;
    std::set<std::int32_t> deadReckoning;
    std::vector<FeedSample> deadReckoningSamples;
    driver.beforePass = [&] { feed.deliverLoop(); };
    driver.afterPass = [&] {
        const LiveAc* ac = gf_findLiveAc(hex);
        if (ac == nullptr)
            return;
        objectTick = objectTick == 0 && ac->objectId != 0 ? g_tick.load() : objectTick;
        if (ac->acState == AcState::active && activePasses++ == 0)
            firstPositionTick = g_tick;
        if (ac->extrapolationsLeft > 0 && deadReckoning.insert(ac->extrapolationsLeft).second)
            deadReckoningSamples.push_back(ac->samples.back());
    };
    driver.run(15000);
    ASSERT_FALSE(sim->creates.empty());
    EXPECT_EQ(sim->creates[0].callsign, "DLH123");
    EXPECT_EQ(sim->creates[0].liveryTitle.rfind("Airbus A320 Lufthansa", 0), 0u);
    EXPECT_NEAR(sim->creates[0].initPos.Heading, 270.0, 1.0);
    const FakeSimLink::Object* object = sim->objectOfHex(hex);
    ASSERT_NE(object, nullptr);
    const std::uint32_t id = object->id;
    const auto& track = sim->positions[id];
    ASSERT_GT(track.size(), 10000u);
    EXPECT_EQ(firstPositionTick - objectTick, 200u);
    EXPECT_TRUE(deadReckoning.empty());
    // level first, then climbing on the new heading with the nose up
    EXPECT_NEAR(track[3000].altitude, 8000.0, 1.0);
    EXPECT_GT(track.back().altitude, 8500.0);
    EXPECT_NEAR(track.back().heading * g_rad2deg, 210.0, 2.0);
    EXPECT_GT(track.back().longitude, 179.0); // across 180 degrees
    EXPECT_LT(track.back().pitch, -3.0 * g_deg2rad);

    setUser(track.back().latitude, track.back().longitude, 0.0, true); // dead reckoning only near the user
    feed.stopped = true;
    ASSERT_TRUE(driver.runUntil([&] { return gf_findLiveAc(hex) == nullptr; }, 20000));
    EXPECT_EQ(track.size(), activePasses); // one position every pass
    const ClassValues& large = gf_classValues(SizeClass::Large);
    double maxBank = 0.0;
    for (std::size_t i = 1; i < track.size(); ++i) {
        const AiPosition& a = track[i - 1];
        const AiPosition& b = track[i];
        ASSERT_TRUE(finitePosition(b) && b.longitude >= -180.0 && b.longitude < 180.0) << "at " << i;
        const double expected = b.trueAirspeed * 1852.0 / 360000.0;
        ASSERT_NEAR(metresBetween(a, b), expected, 0.2 * expected) << "at " << i;
        ASSERT_LE(std::fabs(b.pitch - a.pitch), large.maxPitchRateDeg * g_deg2rad + 1e-12) << "at " << i;
        ASSERT_LE(std::fabs(b.bank - a.bank), large.maxBankRateDeg * g_deg2rad + 1e-12) << "at " << i;
        maxBank = std::max(maxBank, std::fabs(b.bank));
    }
    EXPECT_LE(maxBank, large.maxBankDeg * g_deg2rad + 1e-12);
    EXPECT_GT(maxBank, 1.0 * g_deg2rad); // it banked into the turn

    EXPECT_EQ(deadReckoning, (std::set<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_EQ(deadReckoningSamples.size(), 8u);
    for (std::size_t i = 1; i < deadReckoningSamples.size(); ++i) {
        const FeedSample& a = deadReckoningSamples[i - 1];
        const FeedSample& b = deadReckoningSamples[i];
        EXPECT_NEAR(b.groundSpeed, a.groundSpeed * 0.95, 1e-9);
        const double metres = gf_distanceNm(LatLon{a.lat, a.lon}, LatLon{b.lat, b.lon}) * 1852.0;
        EXPECT_NEAR(metres, 8.0 * b.groundSpeed * 1852.0 / 3600.0, 1.0);
    }
    ASSERT_EQ(sim->removals, std::vector<std::uint32_t>{id});
    EXPECT_EQ((sim->removalTicks[0] - 1) % 10, 0u);
    EXPECT_FALSE(std::filesystem::exists(g_flightPlanFolder / gf_flightPlanPath(id)));
    // the light toggles at 50 and 100 passes, then the airborne configuration
    const auto events = sim->eventsOf(id);
    EXPECT_EQ(lf_values(events, EVENT_ALL_LIGHTS_TOGGLE).size(), 2u);
    EXPECT_FALSE(lf_values(events, EVENT_ENGINE_AUTO_START).empty());
}

TEST_F(TrafficTest, TakeoffRollRotatesAndClimbsOut)
{
    LegFeed feed;
    // taxi at 10 kt, accelerate to 160 kt, then climb at 2000 ft/min
    feed.legs = {{30.0, 10.0, 0.0, 90.0}, {50.0, 10.0, 3.0, 90.0}, {120.0, 160.0, 0.0, 90.0, 0.0, 2000.0}};
    feed.deliverStartup();
    std::vector<FlightState> states;
    bool rolled = false;
    driver.beforePass = [&] { feed.deliverLoop(); };
    driver.afterPass = [&] {
        const LiveAc* ac = gf_findLiveAc(feed.identity.hexId);
        if (ac == nullptr)
            return;
        rolled = rolled || ac->takeoffRoll;
        if (states.empty() || states.back() != ac->flightState)
            states.push_back(ac->flightState);
    };
    ASSERT_TRUE(driver.runUntil(
        [&] {
            const LiveAc* ac = gf_findLiveAc(feed.identity.hexId);
            return ac != nullptr && ac->flightState == FlightState::flying;
        },
        30000));
    driver.run(500);
    const LiveAc* ac = gf_findLiveAc(feed.identity.hexId);
    ASSERT_NE(ac, nullptr);
    EXPECT_TRUE(rolled);
    EXPECT_EQ(states, (std::vector<FlightState>{FlightState::taxi, FlightState::take_off, FlightState::flying}));

    const std::uint32_t id = sim->objectOfHex(feed.identity.hexId)->id;
    const auto events = sim->eventsOf(id);
    const auto throttle = lf_values(events, EVENT_THROTTLE_SET);
    ASSERT_GE(throttle.size(), 5u);
    EXPECT_EQ(std::vector<std::uint32_t>(throttle.begin(), throttle.begin() + 5),
              (std::vector<std::uint32_t>{0, 4914, 8191, 16383, 11468}));
    const auto gear = lf_values(events, EVENT_GEAR_SET);
    ASSERT_FALSE(gear.empty());
    EXPECT_EQ(gear.back(), 0u);

    // on the ground at the static pitch, then rotation, the climb pitch and a steady climb
    const auto& track = sim->positions[id];
    double lowestPitch = 0.0;
    std::size_t lift = 0;
    for (std::size_t i = 1; i < track.size(); ++i) {
        ASSERT_TRUE(finitePosition(track[i]));
        lowestPitch = std::min(lowestPitch, track[i].pitch);
        if (lift == 0 && track[i].altitude > track[0].altitude + 1.0)
            lift = i;
        if (lift != 0) {
            ASSERT_GE(track[i].altitude, track[i - 1].altitude - 1e-9) << "at " << i;
        }
    }
    ASSERT_NE(lift, 0u);
    EXPECT_NEAR(track[lift / 2].pitch, sim->staticPitchRad, 1e-9);
    EXPECT_NEAR(lowestPitch, ac->climbPitch, 1e-9);
    EXPECT_LT(ac->climbPitch, ac->rotationPitch);
    EXPECT_GE(track.back().altitude, 800.0);
    // the roll's settings end above the configuration height
    EXPECT_TRUE(ac->takeoffRoll);
    ASSERT_TRUE(driver.runUntil([&] { return !gf_findLiveAc(feed.identity.hexId)->takeoffRoll; }, 10000));
    EXPECT_GT(sim->positions[id].back().altitude, 2050.0);
}

} // namespace
} // namespace traffictest
