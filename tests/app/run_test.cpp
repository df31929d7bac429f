// Whole runs against the model simulator and the local live-traffic service.
#include "app_fixture.h"

#include "app/control_thread.h"
#include "aircraft/livery_tables.h"
#include "app/user_data_update.h"
#include "foundation/time_shift.h"
#include "foundation/utc_time.h"
#include "foundation/sim_disconnect.h"
#include "support/manual_time.h"

using testsupport::AppTest;
using testsupport::eventually;
using testsupport::saveOption;

namespace {

bool ticking() { return gf_isRunning() && g_userDataCount >= 3; }

} // namespace

TEST_F(AppTest, NewSettingsRestartAfterTheirCountdownAndTheNextRunStartsAfresh)
{
    scriptService();
    startSimulator();
    // a download site with newer data files: the start fetches them, the restart does not look
    const std::filesystem::path site = folder.path() / "site";
    std::filesystem::create_directory(site);
    for (const char* name : {"dbase.enc", "AIG-regcodes.enc"})
        std::filesystem::copy_file(std::filesystem::path(TRWK_DATA_INPUT_DIR) / name, site / name);
    std::ofstream(site / "versions.json") << R"({"aig":{"major":1,"minor":2,"patch":3},)"
                                             R"("dbase":{"major":1,"minor":2,"patch":3}})";
    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + site.string());
    std::thread first(gf_controlThread);
    ASSERT_TRUE(eventually(ticking));
    g_clearLiveriesRequest = true;                         // a rescan asked for in the window
    EXPECT_TRUE(gf_requestStop(RunState::NewSettings, 2)); // a check box that needs a new run
    gf_stopOnSimDisconnect();                              // a later source changes nothing
    first.join();
    EXPECT_FALSE(g_liveriesProcessed.load()) << "the close-down takes the window's requests";
    EXPECT_TRUE(folder.logHas("Exiting: NEW SETTINGS") && folder.logHas("Restarting after 2 seconds"));
    EXPECT_TRUE(folder.logHas("dbase updated to 1.2.3")) << "the start fetches the newer files";
    EXPECT_EQ((std::tuple{posted(), g_runState.load(), g_stop.load()}),
              (std::tuple{std::vector<UINT>{WM_APP_RUN}, RunState::NotYetSet, false}));

    std::thread second(gf_controlThread);
    ASSERT_TRUE(eventually(ticking)) << "the next run did not reach its tick loop";
    EXPECT_EQ(g_windowQnh.load(), 1021);
    EXPECT_FALSE(SCAN_LIVERIES.value.load()) << "the shipped livery list is read, nothing is scanned";
    EXPECT_FALSE(gf_onCloseBox()) << "the control thread closes the window";
    second.join();
    EXPECT_TRUE(folder.logHas("Exiting: USER CLOSED SIM"));
    EXPECT_EQ(posted(), (std::vector<UINT>{WM_APP_RUN, WM_APP_QUIT}));
    EXPECT_EQ((std::tuple{server.count("/v4/auth"), server.count("/v4/deauth")}), (std::tuple{2u, 2u}));
    const auto lines = folder.logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("dbase "); }),
              1)
        << "the restart does not look again";
    EXPECT_TRUE(gf_onCloseBox()) << "without a control thread the window quits by itself";
}

TEST_F(AppTest, WithoutAFirstTrafficAnswerTheRunRestartsAsReaderError)
{
    testsupport::ManualTime time(std::chrono::duration_cast<std::chrono::seconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count());
    scriptService(true);
    startSimulator();
    saveOption(SCAN_AIRPORTS, true);
    std::thread control(gf_controlThread);
    control.join();
    for (const char* line : {"TrafficReader receiving timed out after 10 seconds?", "Exiting: READER ERROR",
                             "Restarting after 15 seconds"})
        EXPECT_TRUE(folder.logHas(line)) << line;
    EXPECT_EQ(posted(), std::vector<UINT>{WM_APP_RUN});
    EXPECT_FALSE(SCAN_AIRPORTS.value.load()) << "a failed run is not followed by long scans";
    server.releaseHanging();
    endSimClient();
    driver.reset(); // it sleeps on the manual clock
}

TEST_F(AppTest, WithSimTimeOnTheFirstUpdateOfARunShiftsTheTrafficToTheSimulatorsClock)
{
    const std::int64_t now = 1767225600;
    testsupport::ManualTime time(now);
    g_professionalAccount = true;
    SIM_TIME.value = true;
    g_timeOffset = 0;
    g_simEpochTime = now - 3 * 3600; // the flight is set three hours back
    gf_resetUserDataUpdate();        // as every run begins
    gf_onUserDataUpdate();
    EXPECT_EQ(g_timeOffset.load(), 180) << "the traffic stays at the real time";

    // steady running on the simulator's clock leaves the shift as it is
    time.set(now + 1);
    g_simEpochTime = now - 3 * 3600 + 1;
    g_timeOffset = 7;
    gf_onUserDataUpdate();
    EXPECT_EQ(g_timeOffset.load(), 7);

    // back as a new process has them
    SIM_TIME.value = g_professionalAccount = g_timeShifted = false;
    g_timeOffset = g_weatherTimeOffset = 0;
    g_simEpochTime = 0;
}

TEST_F(AppTest, TheCloseBoxWhileARegionWithoutTrafficIsAwaitedEndsTheRunAtOnce)
{
    scriptService();
    server.setDefault("/v4/traffic", {200, R"({"status":200,"rrl":100,"data":{}})"});
    startSimulator();
    std::thread control(gf_controlThread);
    ASSERT_TRUE(eventually([this] { return server.count("/v4/traffic") >= 1; }));
    EXPECT_FALSE(gf_onCloseBox());
    control.join();
    EXPECT_TRUE(folder.logHas("Exiting: USER CLOSED SIM"));
    EXPECT_FALSE(folder.logHas("No traffic in this region?")) << "the run waited for traffic after the close";
    EXPECT_EQ(posted(), std::vector<UINT>{WM_APP_QUIT});
}
