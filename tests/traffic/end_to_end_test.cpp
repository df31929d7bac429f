// A live aircraft's whole road on the harness: feed, creation, flight, loss of feed, removal.
#include "traffic_harness.h"

#include "foundation/geometry.h"
#include "simlink/flight_plan.h"
#include "simlink/sim_ids.h"
#include "traffic/run_flags.h"
#include "traffic/traffic_containers.h"

#include <filesystem>
#include <set>

namespace traffictest {
namespace {

TEST_F(TrafficTest, AirborneAircraftIsCreatedFlownDeadReckonedAndRemoved)
{
    SyntheticFeed feed;
    Trajectory t;
    t.startTime = feed.epoch();
    feed.tracks.push_back(t);
    feed.deliverStartup();
    ASSERT_EQ(g_liveAircraft.size(), 1u);
    EXPECT_EQ(g_liveAircraft[0].samples.size(), 5u);

    std::uint32_t objectTick = 0;
    std::uint32_t firstPositionTick = 0;
    std::size_t activePasses = 0;
    std::set<std::int32_t> deadReckoning;
    std::vector<FeedSample> deadReckoningSamples;
    driver.beforePass = [&] { feed.deliverLoop(); };
    driver.afterPass = [&] {
        const LiveAc* ac = gf_findLiveAc(t.hexId);
        if (ac == nullptr)
            return;
        if (ac->objectId != 0 && objectTick == 0)
            objectTick = g_tick;
        if (ac->acState == AcState::active) {
            ++activePasses;
            if (firstPositionTick == 0)
                firstPositionTick = g_tick;
        }
        if (ac->extrapolationsLeft > 0 && deadReckoning.insert(ac->extrapolationsLeft).second)
            deadReckoningSamples.push_back(ac->samples.back());
    };

    ASSERT_TRUE(driver.runUntil([&] { return !sim->creates.empty(); }, 100));
    EXPECT_EQ(sim->creates[0].callsign, "DLH123");
    EXPECT_EQ(sim->creates[0].liveryTitle.rfind("Airbus A320 Lufthansa", 0), 0u);
    EXPECT_NEAR(sim->creates[0].initPos.Heading, 90.0, 1.0);
    const FakeSimLink::Object* object = sim->objectOfHex(t.hexId);
    ASSERT_NE(object, nullptr);
    const std::uint32_t id = object->id;

    // the feed runs for a minute of ticks, then stops
    driver.run(6000);
    ASSERT_NE(gf_findLiveAc(t.hexId), nullptr);
    EXPECT_EQ(gf_findLiveAc(t.hexId)->extrapolationsLeft, 0);
    feed.stopped = true;
    ASSERT_TRUE(driver.runUntil([&] { return gf_findLiveAc(t.hexId) == nullptr; }, 20000));

    // shown for 200 passes before it moves, then one position every pass
    EXPECT_EQ(firstPositionTick - objectTick, 200u);
    const auto& track = sim->positions[id];
    EXPECT_EQ(track.size(), activePasses);
    ASSERT_GT(track.size(), 6000u);
    for (std::size_t i = 1; i < track.size(); ++i) {
        const double expected = track[i].trueAirspeed * 1852.0 / 360000.0;
        const double moved = metresBetween(track[i - 1], track[i]);
        ASSERT_NEAR(moved, expected, 0.15 * expected) << "at position " << i;
        ASSERT_NEAR(track[i].altitude, 8000.0, 1.0);
    }

    // 8 dead-reckoning samples of 8 s each at a falling speed, then the removal
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
    EXPECT_TRUE(g_liveAircraft.empty());
    EXPECT_FALSE(std::filesystem::exists(g_flightPlanFolder / gf_flightPlanPath(id)));

    // the light toggles at 50 and 100 passes, then the airborne configuration
    std::size_t toggles = 0;
    for (const ClientEvent& e : sim->eventsOf(id))
        toggles += e.eventId == EVENT_ALL_LIGHTS_TOGGLE ? 1 : 0;
    EXPECT_EQ(toggles, 2u);
    const auto events = sim->eventsOf(id);
    EXPECT_TRUE(std::any_of(events.begin(), events.end(),
                            [](const ClientEvent& e) { return e.eventId == EVENT_ENGINE_AUTO_START; }));
}

} // namespace
} // namespace traffictest
