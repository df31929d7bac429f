// The start-up of a run in a program folder with the options panel: the install paths, the
// panel's starting state, the simulator path, and the hold before the web service is visited again.
#include "app_fixture.h"

#include "app/startup_jobs.h"
#include "app/window_commands.h"
#include "foundation/meta_block.h"
#include "foundation/user_error.h"
#include "support/manual_time.h"

#include <cstdlib>

using testsupport::AppTest;

namespace {

class StartupChecks : public AppTest {
protected:
    StartupChecks()
    {
        gf_createControls(window, nullptr);
        g_restart = true; // no updater
    }
    ~StartupChecks() override { g_msfs2020Mode = true; gf_updateSimFamily(); } // as a new process starts

    static bool enabled(const UiControl& c) { return IsWindowEnabled(c.hWnd.load()) != FALSE; }
    static std::u16string textOf(const UiControl& c) { return testsupport::textOf(c.hWnd.load()); }
};

} // namespace

TEST_F(StartupChecks, AFirstRunIn2024ModeTrimsThe2024PathAndStartsTheOptionsPanel)
{
    gf_setStringParameter(SIM_CHOICE, "MSFS 2024"); // while the process starts in 2020 mode
    gf_setStringParameter(MSFS_INSTALL_PATH, R"(C:\MSFS\Community)");
    gf_setStringParameter(MSFS_2024_INSTALL_PATH, R"(D:\MSFS2024\Community)");
    gf_setStringParameter(BLOCK_CALLSIGN, "DLH1");
    TIME_SHIFT_HOURS.value = 2;
    gf_saveIntParameter(TIME_SHIFT_HOURS);
    parking_percentage.value = 55;
    gf_startupChecks();

    EXPECT_EQ(MSFS_2024_INSTALL_PATH.value.get() + " " + MSFS_INSTALL_PATH.value.get(),
              R"(D:\MSFS2024 C:\MSFS\Community)");
    EXPECT_EQ(textOf(ALL_INSTALL_PATH) + u" " + textOf(parking_percentage) + u" " + textOf(TIME_SHIFT_HOURS),
              uR"(D:\MSFS2024 30 2)");
    // the boxes and lists that depend on the options; AUTO_RANGE is on
    const std::pair<const UiControl*, bool> states[] = {
        {&ALL_INSTALL_PATH, true}, {&g_unblockButton, true}, {&AR_ABOVE_HEIGHT, true}, {&TIME_SHIFT_DAYS, true},
        {&MAX_FIT_FL, true},       {&RANGE, false},          {&CALLSIGN_OBJECTIDS, false}, {&DESTINATION, false}};
    for (const auto& [control, on] : states)
        EXPECT_EQ(enabled(*control), on) << control->controlId;
    EXPECT_EQ(SendMessageW(RANGE.hWnd, CB_GETCURSEL, 0, 0), 15); // 40 of 20 entries
    EXPECT_EQ(SendMessageW(SIM_CHOICE.hWnd, CB_GETCURSEL, 0, 0), 1);
}

TEST_F(StartupChecks, WithoutAStoredOrDetectedPathTheUserIsAskedToTypeOne)
{
    gf_setStringParameter(MSFS_INSTALL_PATH, "");
    try {
        gf_startupChecks();
        ADD_FAILURE() << "no path, no start";
    } catch (const brv::UserErrorException& e) {
        EXPECT_EQ(e.code(), 150);
        EXPECT_STREQ(e.what(),
                     "No install path detected, type full path to your Community folder above, and press Enter");
    }

    const auto steam =
        std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Microsoft Flight Simulator" / "Packages";
    std::filesystem::create_directories(steam / "Community");
    std::filesystem::create_directories(steam / "Official");
    gf_startupChecks();
    EXPECT_EQ(MSFS_INSTALL_PATH.value.get(), steam.string());
    EXPECT_EQ(textOf(ALL_INSTALL_PATH), steam.u16string());
}

TEST_F(StartupChecks, TheWebServiceIsNotVisitedAgainWithinTwoSecondsOfTheLastLogin)
{
    constexpr std::int64_t now = 1767225600;
    testsupport::ManualTime time(now);
    std::filesystem::create_directories(g_simAddonAirportFolder);
    std::ofstream(g_simAddonAirportFolder / "EGLL.txt") << "link\n";
    const std::pair<std::int64_t, int> cases[] = {{now - 1, 1}, {now - 2, 0}, {now, 2}, {now + 100000, 2}};
    for (const auto& [last, hold] : cases) {
        LAST_EPOCH_TIME.value = static_cast<std::int32_t>(last);
        gf_noteLastVisit();
        const auto before = platform::clock().steadyNow();
        gf_airportScanAndHold();
        EXPECT_EQ(platform::clock().steadyNow() - before, std::chrono::seconds(hold)) << last - now;
        time.set(now);
    }
    EXPECT_TRUE(folder.logHas("Holding for 1 seconds... (RT API cannot be revisited within 2 seconds)"));
    EXPECT_EQ(std::pair(g_mainWindowState.simaddonCount.load(), g_mainWindowState.thirdpartyCount.load()),
              std::pair(1, 0));
}
