// The paces of the hand-over to the simulator, and removals while a creation is under way.
#include "traffic_harness.h"

#include "simlink/object_list.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/feed_intake.h"
#include "traffic/run_flags.h"
#include "traffic/sim_handover.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <chrono>
#include <future>

namespace traffictest {
namespace {

CreateRequest lf_request(std::uint32_t hexId, const std::string& callsign)
{
    CreateRequest r;
    r.callsign = callsign;
    r.liveryTitle = "Airbus A320 Lufthansa";
    r.hexId = hexId;
    return r;
}

// Two samples of a fresh aircraft.
void lf_feed(std::uint32_t hexId, const std::string& callsign, double lon, const std::string& type = "A320",
             const std::string& registration = "D-AIPX")
{
    Trajectory t;
    t.hexId = hexId;
    t.callsign = callsign;
    t.type = type;
    t.registration = registration;
    t.lon = lon;
    t.startTime = 1.7e9;
    for (int i = 0; i < 2; ++i) {
        FeedRecord r = t.at(t.startTime + 5.0 * i);
        r.sample.dueTick = 100 + 500 * static_cast<std::uint32_t>(i);
        gf_applyFeedRecord(r);
    }
}

TEST_F(TrafficTest, CreationsRemovalsAndRequestsKeepTheirPaces)
{
    g_createDeque.push_back(lf_request(20001, "DLH1"));
    g_createDeque.push_back(lf_request(20002, "DLH2"));
    g_staticCreateDeque.push_back(lf_request(7, "STA1*"));
    g_removeDeque.assign({300, 301, 302});
    driver.run(200);
    EXPECT_EQ(g_tick, 200u); // a creation does not end the pass
    ASSERT_EQ(sim->creates.size(), 3u);
    EXPECT_EQ(sim->creates[0].hexId, 20001u);
    EXPECT_EQ(sim->creates[1].hexId, 20002u);
    EXPECT_EQ(sim->creates[2].hexId, 7u); // live before static
    EXPECT_EQ(sim->createTicks, (std::vector<std::uint32_t>{1, 51, 101}));
    EXPECT_EQ(sim->removals, (std::vector<std::uint32_t>{300, 301, 302}));
    EXPECT_EQ(sim->removalTicks, (std::vector<std::uint32_t>{1, 11, 21}));

    std::vector<std::uint32_t> inRange;
    std::vector<std::uint32_t> userData;
    for (const auto& call : sim->requests) {
        if (call.request == REQ_AC_WITHIN_RANGE)
            inRange.push_back(call.tick);
        if (call.request == REQ_USER_AC_POSITION)
            userData.push_back(call.tick);
    }
    ASSERT_EQ(inRange.size(), 10u);
    for (const std::uint32_t tick : inRange)
        EXPECT_EQ(tick % 20, 0u);
    EXPECT_EQ(userData, (std::vector<std::uint32_t>{0, 100}));
}

// While the simulator holds its mutex (at 50 frames a second or less), passes that only hand over
// positions go on and drop them; the next free pass hands them over again.
TEST_F(TrafficTest, AHeldSimulatorMutexNeverHoldsUpAPass)
{
    lf_feed(0x460001, "DLH60", 8.0);
    ASSERT_TRUE(driver.runUntil([] { return gf_findLiveAc(0x460001)->acState == AcState::active; }, 1000));
    driver.run(500 - static_cast<int>(g_tick % 100) + 1); // settled, at the first pass of a hundred
    const std::uint32_t id = sim->objectOfHex(0x460001)->id;
    const std::size_t sent = sim->positions[id].size();
    std::unique_lock simulator(g_simConnectMutex);
    auto passes = std::async(std::launch::async, [] {
        for (int i = 0; i < 18; ++i) // none asks the simulator for anything
            gf_handleAddingStack();
    });
    const auto done = passes.wait_for(std::chrono::seconds(60));
    simulator.unlock();
    passes.get();
    ASSERT_EQ(done, std::future_status::ready) << "a pass waited for the simulator";
    EXPECT_TRUE(g_posFront->empty() && g_posBack->empty()) << "the held passes' positions are dropped";
    driver.pass();
    EXPECT_EQ(sim->positions[id].size(), sent + 1);
}

TEST_F(TrafficTest, RemovalWithdrawsOnlyTheAircraftsOwnWaitingCreation)
{
    // two flights under one callsign, both waiting in the create queue
    lf_feed(0x400001, "BAW7", 8.0);
    lf_feed(0x400002, "BAW7", 8.2, "A319", "G-EUPA");
    ASSERT_EQ(g_liveAircraft.size(), 2u);
    driver.run(30); // spawned and queued, nothing sent before tick 50
    ASSERT_EQ(g_createDeque.size(), 2u);
    removeAircraftFromSim(*gf_findLiveAc(0x400002));
    EXPECT_TRUE(gf_findLiveAc(0x400002)->eraseNow);
    ASSERT_EQ(g_createDeque.size(), 1u);
    EXPECT_EQ(g_createDeque.front().hexId, 0x400001u);
    ASSERT_TRUE(driver.runUntil([] { return gf_findLiveAc(0x400001)->acState == AcState::active; }, 600));
    EXPECT_EQ(gf_findLiveAc(0x400002), nullptr);
    EXPECT_EQ(sim->creates.size(), 1u);
}

TEST_F(TrafficTest, RemovalAskedDuringTheCreationRemovesTheObjectAfterItsWait)
{
    lf_feed(0x400003, "DLH5", 8.0);
    ASSERT_TRUE(driver.runUntil([&] { return !sim->creates.empty(); }, 100));
    LiveAc& ac = *gf_findLiveAc(0x400003);
    removeAircraftFromSim(ac);
    EXPECT_TRUE(ac.removeWhenCreated);
    EXPECT_EQ(ac.acState, AcState::adding2sim);
    ASSERT_TRUE(driver.runUntil([] { return gf_findLiveAc(0x400003) == nullptr; }, 1000));
    ASSERT_EQ(sim->removals.size(), 1u);
    EXPECT_EQ(sim->removals[0], sim->objectOfHex(0x400003)->id);
}

TEST_F(TrafficTest, ObjectRemovedDuringItsWaitDoesNotActivateALaterRecordOfTheSameHexId)
{
    lf_feed(0x400004, "DLH6", 8.0);
    ASSERT_TRUE(driver.runUntil([] { return gf_findLiveAc(0x400004)->objectId != 0; }, 200));
    const std::uint32_t objectId = gf_findLiveAc(0x400004)->objectId;
    ASSERT_EQ(gf_findLiveAc(0x400004)->acState, AcState::adding2sim);
    // the simulator drops the object during its wait; the feed then brings the flight back
    gf_pushObjectListEntry({objectId, 0, 0, OBJ_REMOVED, 0.0, 0.0});
    driver.pass();
    ASSERT_EQ(gf_findLiveAc(0x400004), nullptr);
    Trajectory t;
    t.hexId = 0x400004;
    t.callsign = "DLH6";
    t.startTime = 1.7e9;
    for (int i = 0; i < 2; ++i) {
        FeedRecord r = t.at(t.startTime + 60.0 + 5.0 * i);
        r.sample.dueTick = g_tick + 3000 + 500 * static_cast<std::uint32_t>(i);
        gf_applyFeedRecord(r);
    }
    const std::size_t eventsBefore = sim->events.size();
    driver.run(400); // past the 200 passes of the removed object's wait
    const LiveAc* again = gf_findLiveAc(0x400004);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->acState, AcState::buffer);
    EXPECT_EQ(again->objectId, 0u);
    for (std::size_t i = eventsBefore; i < sim->events.size(); ++i)
        EXPECT_NE(sim->events[i].objectId, 0u) << "an event for the user aircraft";
    // its own time comes: it is created and flown as a new object
    ASSERT_TRUE(driver.runUntil([] { return gf_findLiveAc(0x400004)->acState == AcState::active; }, 3000));
    EXPECT_NE(gf_findLiveAc(0x400004)->objectId, objectId);
}

} // namespace
} // namespace traffictest
