// The tick loop: its 10 ms deadline grid, and the per-update work at its cadences.
#include "app_fixture.h"

#include "airports/park_airport_list.h"
#include "airports/park_data.h"
#include "app/tick_loop.h"
#include "feed/live_records.h"
#include "platform/clock.h"
#include "support/manual_time.h"
#include "simlink/user_aircraft.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <tuple>
#include <vector>

using testsupport::AppTest;

using namespace std::chrono_literals;

// A pass that overruns is followed at once until the grid is caught up; new user data that arrives late in a pass
// moves the grid.
TEST(TickGrid, AnOverrunIsCaughtUpAndNewUserDataMovesTheGrid)
{
    // passes, the pass that moves the clock, by how much, whether new user data arrives then (taken by the next)
    const std::tuple<int, int, std::chrono::milliseconds, bool, std::vector<std::chrono::milliseconds>> rows[] = {
        {12, 5, 45ms, false, {0ms, 10ms, 20ms, 30ms, 40ms, 85ms, 85ms, 85ms, 85ms, 90ms, 100ms, 110ms}},
        {6, 3, 13ms, true, {0ms, 10ms, 20ms, 33ms, 43ms, 53ms}}};
    for (const auto& [passes, late, by, data, expected] : rows) {
        testsupport::ManualTime time(1767225600);
        g_newUserData = false;
        const auto start = time.clock().steadyNow();
        std::vector<std::chrono::milliseconds> at;
        gf_runTickGrid([&, passes = passes, late = late, by = by, data = data] {
            at.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(time.clock().steadyNow() - start));
            const int pass = static_cast<int>(at.size());
            if (pass == late) {
                time.clock().advance(by);
                g_newUserData = data;
            }
            if (pass == late + 1)
                g_newUserData = false;
            return pass < passes;
        });
        EXPECT_EQ(at, expected) << "late in pass " << late;
    }
}

// The per-update work at its cadences, through the tick's own passes: for each update count, which
// group ran. The groups exclude each other (240 is the 15-group's alone), and a static parking
// recalculation asked for at 1200 holds the parking refresh between its two phases (1215 to 1230).
TEST_F(AppTest, EachGroupOfThePerUpdateWorkRunsAtItsOwnCount)
{
    using Counts = std::vector<std::int32_t>;
    model = std::make_shared<SimModel>(gf_defaultSimScenario());
    gf_setSimConnectBackend(model);
    HSIMCONNECT h = nullptr;
    ASSERT_GE(SimConnect_Open(&h, "TRWK", nullptr, 0, nullptr, 0), 0);
    g_hSimConnect = h;
    g_simRunning = true;
    CALLSIGN_OBJECTIDS.value = true;
    g_msfs2020Mode = true;
    g_parkAirportLoaded = true; // no park airport set: the recalculation's phases do nothing more
    // a park airport far away, whose distance the parking refresh computes
    g_myParkAirports = {MyParkAirport{"EDXX", "", 10.0, 10.0, 0.0}};
    // a live aircraft on the ground, far from the user, and a static aircraft under its callsign
    FeedSample standing;
    standing.lat = 51.0;
    standing.lon = 9.0;
    standing.samePosition = 1;
    standing.dueTick = std::numeric_limits<std::uint32_t>::max(); // never moves on
    LiveAc& live = g_liveAircraft.emplace_back(standing, AcBase("BAW", "A320", "", "", "BAW1", "", "", ""), 0.0);
    std::tie(live.hexid, live.objectId, live.acState, live.onGround, live.flightState) =
        std::tuple{0x400001u, 300u, AcState::active, true, FlightState::parked};
    live.position = {51.0, 9.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    StaticAc& duplicate = g_staticAircraft.emplace_back(AcBase("BAW", "A320", "", "", "BAW1*", "", "", ""), 1, 51.0,
                                                        9.0, 0.0, false);
    std::tie(duplicate.hexid, duplicate.objectId) = std::tuple{7u, 301u};

    std::map<std::string, Counts> ran;
    Counts betweenPhases;
    // one update: false when the pass ended the loop or the count did not advance by one
    const auto lt_update = [&] {
        // the user one step north at each update; every job's trace cleared
        const std::int32_t next = g_userDataCount + 1;
        UserAcData user{};
        user.latitude = 50.0 + next * 1e-6;
        user.longitude = 8.0;
        user.altitude = user.altitudeAboveGround = 30000.0;
        {
            std::lock_guard lock(g_userDataMutex);
            g_userData = user;
        }
        gf_setUserSnapshot(user);
        g_myParkAirports.front().distance = -1.0;
        g_mainWindowState.nextRenewalMinutes = -1;
        duplicate.acState = AcState::active;
        std::filesystem::remove(g_callsignListFile);
        g_newUserData = true;
        if (!gf_tick() || g_userDataCount != next)
            return false;
        const std::int32_t c = next;
        const std::pair<const char*, bool> traces[] = {
            {"15", gf_readerRefPos().lat == user.latitude},
            {"16", g_myParkAirports.front().distance != -1.0},
            {"61", duplicate.acState == AcState::removingfromsim},
            {"62", std::filesystem::exists(g_callsignListFile)},
            {"60 of the 15", g_mainWindowState.nextRenewalMinutes != -1}};
        for (const auto& [group, seen] : traces)
            if (seen)
                ran[group].push_back(c);
        if (g_skipParkingRefresh)
            betweenPhases.push_back(c);
        return true;
    };
    while (g_userDataCount < 248)
        ASSERT_TRUE(lt_update()) << g_userDataCount;
    EXPECT_EQ(ran["15"], (Counts{15, 30, 45, 60, 75, 90, 105, 120, 135, 150, 165, 180, 195, 210, 225, 240}));
    EXPECT_EQ(ran["16"], (Counts{16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192, 208, 224}));
    EXPECT_EQ(ran["61"], (Counts{61, 122, 183, 244}));
    EXPECT_EQ(ran["62"], (Counts{62, 124, 186, 248}));
    EXPECT_EQ(ran["60 of the 15"], (Counts{60, 120, 180, 240}));
    EXPECT_TRUE(betweenPhases.empty());

    ran.clear();
    g_userDataCount = 1190;
    while (g_userDataCount < 1232)
        ASSERT_TRUE(lt_update()) << g_userDataCount;
    EXPECT_EQ(ran["15"], (Counts{1200, 1215, 1230}));
    EXPECT_EQ(ran["16"], (Counts{1232}));
    EXPECT_EQ(ran["61"], (Counts{1220}));
    EXPECT_EQ(ran["62"], Counts{});
    EXPECT_EQ(betweenPhases, (Counts{1215, 1216, 1217, 1218, 1219, 1220, 1221, 1222, 1223, 1224, 1225, 1226, 1227,
                                     1228, 1229}));
    EXPECT_FALSE(g_recalcParkingRequest.load());

    gf_resetTrafficState();
    gf_resetUserSnapshot();
    g_myParkAirports.clear();
    g_parkAirportLoaded = false;
    CALLSIGN_OBJECTIDS.value = false;
}
