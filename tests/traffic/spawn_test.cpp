// The spawn gate (when an aircraft enters the simulator, the live maximum, refused liveries), the paces
// of the hand-over to the simulator, and removals while a creation is under way.
#include "traffic_harness.h"

#include "foundation/geometry.h"
#include "foundation/option_table.h"
#include "foundation/status_line.h"
#include "foundation/user_error.h"
#include "simlink/object_list.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/feed_intake.h"
#include "traffic/identity_rules.h"
#include "traffic/live_ac_utilities.h"
#include "traffic/run_flags.h"
#include "traffic/sim_handover.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <chrono>
#include <future>

namespace traffictest {
namespace {

// The pass (g_tick before it) in which the aircraft left the buffer.
std::uint32_t lf_spawnTick(TickDriver& driver, std::uint32_t hexId)
{
    const bool spawned =
        driver.runUntil([&] { return gf_findLiveAc(hexId)->acState != AcState::buffer; }, 2000);
    return spawned ? g_tick - 1 : 0;
}

TEST_F(TrafficTest, TaxiingAircraftSpawn300TicksEarlyOthers100)
{
    Trajectory taxiing = trackOf(0x410001, "DLH20", 50.0, 8.0);
    taxiing.altitudeFt = 0.0;
    taxiing.groundSpeedKt = 15.0;
    applySamples(taxiing, 2, 1000);
    EXPECT_EQ(lf_spawnTick(driver, taxiing.hexId), 700u);
    EXPECT_EQ(gf_findLiveAc(taxiing.hexId)->flightState, FlightState::taxi);

    Trajectory flying = trackOf(0x410002, "DLH21", 50.1, 8.0);
    applySamples(flying, 2, 2000);
    EXPECT_EQ(lf_spawnTick(driver, flying.hexId), 1900u);
    const LiveAc& ac = *gf_findLiveAc(flying.hexId);
    EXPECT_EQ(ac.flightState, FlightState::flying);
    EXPECT_NEAR(ac.position[POS_PITCH], -3.0 * g_deg2rad, 1e-12);

    // a single sample when its time comes: dropped, not spawned
    Trajectory single = trackOf(0x410003, "DLH22", 50.2, 8.0);
    applySamples(single, 1, 2500);
    driver.run(static_cast<int>(2400 - g_tick));
    EXPECT_NE(gf_findLiveAc(single.hexId), nullptr);
    driver.pass();
    EXPECT_EQ(gf_findLiveAc(single.hexId), nullptr);
}

TEST_F(TrafficTest, NearAnAirborneUserOnlyANewcomerHeadingForItIsHeldBack)
{
    setUser(50.0, 8.0, 5000.0, false);
    struct Case {
        const char* callsign;
        double lat;
        double lon;
        double trackDeg;
        bool held;
    };
    // 5 nm north flying east passes abeam; 5 nm east flying west comes straight at the user
    for (const Case c : {Case{"DLH50", 50.0 + 5.0 / 60.0, 8.0, 90.0, false},
                         Case{"DLH51", 50.0, 8.0 + 5.0 / 38.57, 270.0, true}}) {
        SCOPED_TRACE(c.callsign);
        Trajectory t = trackOf(0x450000 + g_tick, c.callsign, c.lat, c.lon);
        t.altitudeFt = 5000.0;
        t.trackDeg = c.trackDeg;
        applySamples(t, 3, g_tick + 200);
        driver.run(101); // up to the pass at which its first sample is 100 ticks ahead
        const LiveAc& ac = *gf_findLiveAc(t.hexId);
        EXPECT_EQ(ac.spawnHeld, c.held);
        EXPECT_EQ(ac.acState, c.held ? AcState::buffer : AcState::adding2sim);
    }
}

TEST_F(TrafficTest, AtTheLiveMaximumANearerNewcomerReplacesTheFarthest)
{
    MAX_LIVE_SEL.value = 10;
    // ten active aircraft 1 to 10 nm east of the user aircraft
    setUser(50.0, 8.0, 0.0, true);
    for (std::uint32_t i = 1; i <= 10; ++i) {
        Trajectory t = trackOf(0x420000 + i, "EZY" + std::to_string(i), 50.0, 8.0 + i / 38.57);
        applySamples(t, 2, 100);
        LiveAc& ac = *gf_findLiveAc(t.hexId);
        ac.acState = AcState::active;
        ac.objectId = 500 + i;
        ac.position[POS_LAT] = ac.samples.front().lat;
        ac.position[POS_LON] = ac.samples.front().lon;
    }
    Trajectory far = trackOf(0x430001, "DLH30", 50.0, 8.0 + 15 / 38.57);
    applySamples(far, 2, 5000);
    Trajectory near = trackOf(0x430002, "DLH31", 50.0, 8.0 + 5 / 38.57);
    applySamples(near, 2, 5000);
    g_tick = 4900;
    gf_handleAddingStack();

    EXPECT_EQ(gf_findLiveAc(far.hexId), nullptr); // it would have been the farthest
    EXPECT_EQ(gf_findLiveAc(near.hexId)->acState, AcState::adding2sim);
    EXPECT_EQ(gf_findLiveAc(0x42000a)->acState, AcState::removingfromsim);
    for (std::uint32_t i = 1; i < 10; ++i)
        EXPECT_EQ(gf_findLiveAc(0x420000 + i)->acState, AcState::active);

    // fewer allowed than active: the farthest go first
    MAX_LIVE_SEL.value = 7;
    gf_removeExcessLiveAc();
    for (std::uint32_t i = 1; i <= 7; ++i)
        EXPECT_EQ(gf_findLiveAc(0x420000 + i)->acState, AcState::active);
    EXPECT_EQ(gf_findLiveAc(0x420008)->acState, AcState::removingfromsim);
    EXPECT_EQ(gf_findLiveAc(0x420009)->acState, AcState::removingfromsim);
}

TEST_F(TrafficTest, RefusedLiveriesEndTheRecordAndTheTwentiethEndsTheRun)
{
    sim->refusedTitles = {"Airbus A320 Lufthansa", "Airbus A320 Lufthansa Retro", "Airbus A320 easyJet"};
    const Trajectory t = trackOf(0x440001, "DLH40", 50.0, 8.0);
    applySamples(t, 3, 100);
    ASSERT_TRUE(driver.runUntil([&] { return gf_findLiveAc(t.hexId) == nullptr; }, 300));
    ASSERT_EQ(sim->creates.size(), 1u);
    const std::string title = sim->creates[0].liveryTitle;
    EXPECT_EQ(gf_statusLine().text, "DLH40 '" + title + "' could not be created by your Sim!");
    EXPECT_TRUE(folder.logHas("DLH40 '" + title + "' could not be created by your Sim!"));
    EXPECT_EQ(gf_getRefusedLiveries(), std::vector<std::string>{"  A320 DLH"});

    // the refused title is not remembered for the hex id: the next spawn asks the matching again
    EXPECT_TRUE(gf_rememberedLivery(t.hexId).empty());

    AcRecord other;
    other.callsign = "X";
    other.liveryTitle = "Some Title";
    for (int i = 0; i < 18; ++i) {
        EXPECT_NO_THROW(gf_refuseLivery(other));
        if (i == 8)
            gf_resetTrafficState(); // a restart of the run: the count holds for the process
    }
    Trajectory last = trackOf(0x440002, "EZY41", 50.0, 8.1);
    last.registration.clear();
    applySamples(last, 3, g_tick + 100);
    try {
        driver.run(300);
        FAIL() << "the 20th refused livery must end the run";
    } catch (const brv::UserErrorException& e) {
        EXPECT_EQ(e.code(), 81);
        EXPECT_STREQ(e.what(), "There are too many liveries that could not be created by MSFS!, see Log.txt");
    }
}

// A pace that cannot be counted in ticks: in the air the update catches it and takes the
// aircraft out after ten passes; on the ground the ground step catches it and the step goes on.
TEST_F(TrafficTest, AFailingStepIsLoggedByTheRoutineThatCaughtIt)
{
    struct Case {
        double altitudeFt;
        const char* routine;
        bool removed;
    };
    for (const Case c : {Case{8000.0, "updateLiveAc: ", true}, Case{0.0, "nextPosGround: ", false}}) {
        SCOPED_TRACE(c.routine);
        Trajectory t = trackOf(0x440001 + g_tick, c.removed ? "DLH40" : "DLH41", 50.0, 8.0);
        t.altitudeFt = c.altitudeFt;
        t.groundSpeedKt = c.altitudeFt > 0.0 ? 250.0 : 15.0;
        applySamples(t, 3, g_tick + 100);
        ASSERT_TRUE(driver.runUntil([&] { return gf_findLiveAc(t.hexId)->acState == AcState::active; }, 600));
        const std::uint32_t objectId = gf_findLiveAc(t.hexId)->objectId;
        for (FeedSample& s : gf_findLiveAc(t.hexId)->samples)
            s.groundSpeed = 1e-9;
        const auto lt_count = [&](const std::string& start, const std::string& part) {
            const auto lines = folder.logLines();
            return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
                return line.rfind(start, 0) == 0 && line.find(part) != std::string::npos &&
                       line.find(t.callsign) != std::string::npos;
            });
        };
        ASSERT_TRUE(driver.runUntil([&] { return lt_count(c.routine, ", st:active") > 0; }, 1000));
        driver.run(200);
        EXPECT_EQ(lt_count("updateLiveAc: ", ", st:active"), c.removed ? 10 : 0);
        EXPECT_EQ(lt_count("updateLiveAc: ", " removed after 10 failed updates"), c.removed ? 1 : 0);
        EXPECT_EQ(std::count(sim->removals.begin(), sim->removals.end(), objectId), c.removed ? 1 : 0);
    }
}


TEST_F(TrafficTest, CreationsRemovalsAndRequestsKeepTheirPaces)
{
    const std::string title = "Airbus A320 Lufthansa";
    g_createDeque = {CreateRequest{{}, "DLH1", title, 20001}, CreateRequest{{}, "DLH2", title, 20002}};
    g_staticCreateDeque.push_back(CreateRequest{{}, "STA1*", title, 7});
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
    applySamples(trackOf(0x460001, "DLH60"), 2, 100);
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
    applySamples(trackOf(0x400001, "BAW7"), 2, 100);
    Trajectory other = trackOf(0x400002, "BAW7", 50.0, 8.2);
    std::tie(other.type, other.registration) = std::pair{"A319", "G-EUPA"};
    applySamples(other, 2, 100);
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
    applySamples(trackOf(0x400003, "DLH5"), 2, 100);
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
    applySamples(trackOf(0x400004, "DLH6"), 2, 100);
    ASSERT_TRUE(driver.runUntil([] { return gf_findLiveAc(0x400004)->objectId != 0; }, 200));
    const std::uint32_t objectId = gf_findLiveAc(0x400004)->objectId;
    ASSERT_EQ(gf_findLiveAc(0x400004)->acState, AcState::adding2sim);
    // the simulator drops the object during its wait; the feed then brings the flight back
    gf_pushObjectListEntry({objectId, 0, 0, OBJ_REMOVED, 0.0, 0.0});
    driver.pass();
    ASSERT_EQ(gf_findLiveAc(0x400004), nullptr);
    Trajectory t = trackOf(0x400004, "DLH6");
    t.startTime += 60.0;
    applySamples(t, 2, g_tick + 3000);
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
