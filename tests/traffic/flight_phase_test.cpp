// Flight phases on the harness: cruise west across 180 degrees with a turn and a climb, the
// take-off roll with rotation and climb-out, and an approach with flare, touchdown and the end of
// the landing roll.
#include "leg_feed.h"

#include "simlink/sim_ids.h"
#include "traffic/class_tables.h"
#include "airports/park_data.h"
#include "traffic/park_airport.h"
#include "traffic/run_flags.h"
#include "traffic/angles.h"
#include "traffic/traffic_containers.h"

#include <algorithm>
#include <cmath>
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

TEST_F(TrafficTest, CruiseWestAcross180TurnsAndClimbsWithinTheClassLimits)
{
    LegFeed feed;
    feed.start = LatLon{50.0, -179.9};
    feed.legs = {{90.0, 250.0, 0.0, 270.0, 8000.0, 0.0}, {60.0, 250.0, 0.0, 210.0, 8000.0, 1500.0}};
    feed.deliverStartup();
    driver.beforePass = [&] { feed.deliverLoop(); };
    driver.run(15000);
    const FakeSimLink::Object* object = sim->objectOfHex(feed.identity.hexId);
    ASSERT_NE(object, nullptr);
    const auto& track = sim->positions[object->id];
    ASSERT_GT(track.size(), 10000u);

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
    // level first, then climbing on the new heading with the nose up
    EXPECT_NEAR(track[3000].altitude, 8000.0, 1.0);
    EXPECT_GT(track.back().altitude, 8500.0);
    EXPECT_NEAR(track.back().heading * g_rad2deg, 210.0, 2.0);
    EXPECT_GT(track.back().longitude, 179.0); // across 180 degrees
    EXPECT_LT(track.back().pitch, -3.0 * g_deg2rad);
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

TEST_F(TrafficTest, ApproachFlaresTouchesDownAndEndsTheRoll)
{
    LegFeed feed;
    const double descent = 2000.0 / 700.0 * 60.0;
    feed.legs = {{descent, 140.0, 0.0, 90.0, 2000.0, -700.0},
                 {40.0, 140.0, -3.0, 90.0},
                 {20.0, 20.0, 0.0, 90.0},
                 {60.0, 15.0, 0.0, 30.0}};
    parkAirport = Airport{"EDXX", "", feed.endOf(0).lat, feed.endOf(0).lon, 0.0};
    gf_setParkAirportElevation(0.0);
    feed.deliverStartup();
    std::vector<std::uint32_t> stages;
    bool approach = false;
    bool landingRoll = false;
    driver.beforePass = [&] { feed.deliverLoop(); };
    driver.afterPass = [&] {
        const LiveAc* ac = gf_findLiveAc(feed.identity.hexId);
        if (ac == nullptr)
            return;
        approach = approach || ac->approach;
        landingRoll = landingRoll || ac->landingRoll;
        if (ac->flareStage != 0 && (stages.empty() || stages.back() != ac->flareStage))
            stages.push_back(ac->flareStage);
    };
    const bool ended = driver.runUntil(
        [&] {
            const LiveAc* ac = gf_findLiveAc(feed.identity.hexId);
            return landingRoll && ac != nullptr && !ac->landingRoll;
        },
        40000);
    gf_clearParkAirport();
    ASSERT_TRUE(ended);
    const LiveAc* ac = gf_findLiveAc(feed.identity.hexId);
    EXPECT_TRUE(approach);
    EXPECT_EQ(stages, (std::vector<std::uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(ac->flightState, FlightState::taxi);
    EXPECT_TRUE(ac->onGround);
    EXPECT_FALSE(ac->noseLowering);

    const std::uint32_t id = sim->objectOfHex(feed.identity.hexId)->id;
    const auto events = sim->eventsOf(id);
    const auto throttle = lf_values(events, EVENT_THROTTLE_SET);
    // approach power, idle in the flare
    ASSERT_GE(throttle.size(), 2u);
    EXPECT_NE(std::find(throttle.begin(), throttle.end(), 4914u), throttle.end());
    EXPECT_EQ(throttle.back(), 0u);
    const auto spoilers = lf_values(events, EVENT_SPOILERS_SET);
    EXPECT_NE(std::find(spoilers.begin(), spoilers.end(), 16383u), spoilers.end());
    EXPECT_EQ(spoilers.back(), 0u);
    const auto flaps = lf_values(events, EVENT_FLAPS_SET);
    EXPECT_NE(std::find(flaps.begin(), flaps.end(), 16383u), flaps.end()); // landing flaps
    EXPECT_EQ(flaps.back(), 0u);                                            // cleaned up off the runway

    const auto& track = sim->positions[id];
    for (std::size_t i = 1; i < track.size(); ++i) {
        ASSERT_TRUE(finitePosition(track[i]));
        ASSERT_GE(track[i].altitude, 0.0);
        ASSERT_LE(track[i].altitude, track[i - 1].altitude + 1e-6) << "at " << i;
    }
    EXPECT_GE(gf_angleDiffRadToDeg(track.back().heading, 90.0 * g_deg2rad), 15.0);
}

} // namespace
} // namespace traffictest
