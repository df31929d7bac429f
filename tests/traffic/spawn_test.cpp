// The spawn gate: when an aircraft enters the simulator, the live maximum, refused liveries.
#include "traffic_harness.h"

#include "foundation/geometry.h"
#include "foundation/option_table.h"
#include "foundation/status_line.h"
#include "foundation/user_error.h"
#include "traffic/feed_intake.h"
#include "traffic/identity_rules.h"
#include "traffic/live_ac_utilities.h"
#include "traffic/run_flags.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

namespace traffictest {
namespace {

constexpr double g_t0 = 1.7e9;

// The samples of a trajectory at feed times t0 + 5 s x i, due from firstDue on, 500 ticks apart.
void lf_feed(const Trajectory& t, int count, std::uint32_t firstDue)
{
    for (int i = 0; i < count; ++i) {
        FeedRecord r = t.at(g_t0 + 5.0 * i);
        r.sample.dueTick = firstDue + 500 * static_cast<std::uint32_t>(i);
        gf_applyFeedRecord(r);
    }
}

Trajectory lf_track(std::uint32_t hexId, const std::string& callsign, double lat, double lon)
{
    Trajectory t;
    t.hexId = hexId;
    t.callsign = callsign;
    t.lat = lat;
    t.lon = lon;
    t.startTime = g_t0;
    return t;
}

// The pass (g_tick before it) in which the aircraft left the buffer.
std::uint32_t lf_spawnTick(TickDriver& driver, std::uint32_t hexId)
{
    const bool spawned =
        driver.runUntil([&] { return gf_findLiveAc(hexId)->acState != AcState::buffer; }, 2000);
    return spawned ? g_tick - 1 : 0;
}

TEST_F(TrafficTest, TaxiingAircraftSpawn300TicksEarlyOthers100)
{
    Trajectory taxiing = lf_track(0x410001, "DLH20", 50.0, 8.0);
    taxiing.altitudeFt = 0.0;
    taxiing.groundSpeedKt = 15.0;
    lf_feed(taxiing, 2, 1000);
    EXPECT_EQ(lf_spawnTick(driver, taxiing.hexId), 700u);
    EXPECT_EQ(gf_findLiveAc(taxiing.hexId)->flightState, FlightState::taxi);

    Trajectory flying = lf_track(0x410002, "DLH21", 50.1, 8.0);
    lf_feed(flying, 2, 2000);
    EXPECT_EQ(lf_spawnTick(driver, flying.hexId), 1900u);
    const LiveAc& ac = *gf_findLiveAc(flying.hexId);
    EXPECT_EQ(ac.flightState, FlightState::flying);
    EXPECT_NEAR(ac.position[POS_PITCH], -3.0 * g_deg2rad, 1e-12);

    // a single sample when its time comes: dropped, not spawned
    Trajectory single = lf_track(0x410003, "DLH22", 50.2, 8.0);
    lf_feed(single, 1, 2500);
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
        Trajectory t = lf_track(0x450000 + g_tick, c.callsign, c.lat, c.lon);
        t.altitudeFt = 5000.0;
        t.trackDeg = c.trackDeg;
        lf_feed(t, 3, g_tick + 200);
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
        Trajectory t = lf_track(0x420000 + i, "EZY" + std::to_string(i), 50.0, 8.0 + i / 38.57);
        lf_feed(t, 2, 100);
        LiveAc& ac = *gf_findLiveAc(t.hexId);
        ac.acState = AcState::active;
        ac.objectId = 500 + i;
        ac.position[POS_LAT] = ac.samples.front().lat;
        ac.position[POS_LON] = ac.samples.front().lon;
    }
    Trajectory far = lf_track(0x430001, "DLH30", 50.0, 8.0 + 15 / 38.57);
    lf_feed(far, 2, 5000);
    Trajectory near = lf_track(0x430002, "DLH31", 50.0, 8.0 + 5 / 38.57);
    lf_feed(near, 2, 5000);
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
    const Trajectory t = lf_track(0x440001, "DLH40", 50.0, 8.0);
    lf_feed(t, 3, 100);
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
    Trajectory last = lf_track(0x440002, "EZY41", 50.0, 8.1);
    last.registration.clear();
    lf_feed(last, 3, g_tick + 100);
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
        Trajectory t = lf_track(0x440001 + g_tick, c.removed ? "DLH40" : "DLH41", 50.0, 8.0);
        t.altitudeFt = c.altitudeFt;
        t.groundSpeedKt = c.altitudeFt > 0.0 ? 250.0 : 15.0;
        lf_feed(t, 3, g_tick + 100);
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

} // namespace
} // namespace traffictest
