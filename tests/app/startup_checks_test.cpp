// The start-up of a run in a program folder with the options panel: the install paths, the
// panel's starting state, the simulator path, and the hold before the web service is visited again.
#include "app_fixture.h"

#include "app/panel_requests.h"
#include "app/startup_jobs.h"
#include "app/window_commands.h"
#include "foundation/time_shift.h"
#include "foundation/user_error.h"
#include "platform/module_path.h"
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

    static bool enabled(const UiControl& c) { return IsWindowEnabled(c.hWnd.load()) != FALSE; }
    static std::u16string textOf(const UiControl& c)
    {
        char16_t buffer[512];
        return std::u16string(buffer, static_cast<std::size_t>(GetWindowTextW(c.hWnd.load(), buffer, 512)));
    }
};

} // namespace

TEST_F(StartupChecks, AFirstRunIn2024ModeTrimsThe2024PathAndStartsTheOptionsPanel)
{
    ASSERT_TRUE(g_msfs2020Mode.load()) << "as at the start of a process";
    gf_setStringParameter(SIM_CHOICE, "MSFS 2024");
    gf_setStringParameter(MSFS_INSTALL_PATH, R"(C:\MSFS\Community)");
    gf_setStringParameter(MSFS_2024_INSTALL_PATH, R"(D:\MSFS2024\Community)");
    gf_setStringParameter(BLOCK_CALLSIGN, "DLH1");
    testsupport::saveOption(LIG_AUTOMATIC, false);
    RANGE.value = 25;
    gf_saveIntParameter(RANGE);
    TIME_SHIFT_HOURS.value = 2;
    gf_saveIntParameter(TIME_SHIFT_HOURS);
    parking_percentage.value = 55;

    gf_startupChecks();

    EXPECT_FALSE(g_msfs2020Mode.load());
    EXPECT_EQ(MSFS_2024_INSTALL_PATH.value.get(), R"(D:\MSFS2024)");
    EXPECT_EQ(MSFS_INSTALL_PATH.value.get(), R"(C:\MSFS\Community)") << "the 2020 path is not the one in force";
    EXPECT_EQ(textOf(ALL_INSTALL_PATH), uR"(D:\MSFS2024)");
    EXPECT_EQ(textOf(parking_percentage) + u"/" + textOf(TIME_SHIFT_HOURS), u"30/2");
    EXPECT_EQ(g_timeOffset.load(), 120);
    EXPECT_EQ(g_manualRange.load(), 25);
    EXPECT_EQ(PROGRAM_INSTALL_PATH.value.get(), platform::modulePath().string());
    for (const UiControl* c : std::initializer_list<const UiControl*>{
             &ALL_INSTALL_PATH, &BLOCK_CALLSIGN, &g_unblockButton, &AR_ABOVE_HEIGHT, &TIME_SHIFT_DAYS, &SIM_TIME,
             &KEEP_SIM_TIME_PAR, &parking_percentage, &MAX_FIT_FL})
        EXPECT_TRUE(enabled(*c)) << c->controlId;
    for (const UiControl* c : std::initializer_list<const UiControl*>{
             &RANGE, &AI_PACKAGE_SELECTOR, &CALLSIGN_OBJECTIDS, &LEARN_SOFT, &DESTINATION, &g_rereadButton})
        EXPECT_FALSE(enabled(*c)) << c->controlId;
    EXPECT_EQ(w32::testing::comboItems(RANGE.hWnd).size(), 20u);
    EXPECT_EQ(SendMessageW(RANGE.hWnd, CB_GETCURSEL, 0, 0), 12);
    EXPECT_EQ(SendMessageW(SIM_CHOICE.hWnd, CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(std::filesystem::is_directory("airports/learned/thirdparty"));
    EXPECT_TRUE(std::filesystem::is_directory("input/my_regcodes"));
}

TEST_F(StartupChecks, WithoutAStoredOrDetectedPathTheUserIsAskedToTypeOne)
{
    gf_setStringParameter(MSFS_INSTALL_PATH, "");
    try {
        gf_startupChecks();
        ADD_FAILURE() << "no path, no start";
    } catch (const brv::UserErrorException& e) {
        EXPECT_EQ(e.code(), 150);
        EXPECT_STREQ(e.what(), "No install path detected, type full path to your Community folder above, and press Enter");
    }
    EXPECT_TRUE(enabled(ALL_INSTALL_PATH));

    const auto steam = std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Microsoft Flight Simulator" / "Packages";
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
    for (const char* name : {"EGLL.txt", "EHAM.txt"})
        std::ofstream(g_simAddonAirportFolder / name) << "link\n";
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
    EXPECT_EQ(g_mainWindowState.simaddonCount.load(), 2);
    EXPECT_EQ(g_mainWindowState.thirdpartyCount.load(), 0);
}
