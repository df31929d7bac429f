// The options panel on the headless back-end: its controls at their places, and the user's clicks and
// selections through the window's procedure into the options, parameters.xml and the control thread's requests.
#include "window_fixture.h"

#include "app/panel_controls.h"
#include "app/panel_requests.h"
#include "app/user_data_update.h"
#include "aircraft/livery_tables.h"
#include "foundation/range.h"
#include "foundation/utf.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_state.h"
#include "traffic/park_settings.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <filesystem>
#include <fstream>
#include <tuple>

namespace {

class PanelTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override { ASSERT_NE(window = openPanel(), nullptr); }

    static void pumpAfter(bool acted) { EXPECT_TRUE(acted) << "the control cannot be reached"; w32::testing::pump(); }
    static void click(const UiControl& c) { pumpAfter(w32::testing::click(c.hWnd)); }
    static void choose(const UiControl& c, int index) { pumpAfter(w32::testing::select(c.hWnd, index)); }
    // The run state and restart delay of a stop, which is then taken back.
    static std::pair<RunState, int> takeStop()
    {
        const std::pair result{g_stop ? g_runState.load() : RunState::NotYetSet, g_restartDelay.load()};
        gf_resetShellState();
        return result;
    }

    HWND window = nullptr;
};

} // namespace

TEST_F(PanelTest, EveryControlSitsAtItsPlaceWithItsId)
{
    // c/C check box unchecked/checked (12 high, enabled), e edit box (16 high, disabled; the path box reaches
    // the window's edge), b push button (20 high, disabled), l drop-down list (21 high while closed, enabled)
    struct Row {
        int id, x, y, w;
        char kind;
    };
    const Row rows[] = {
        {32790, 5, 114, 105, 'l'}, {32788, 111, 119, 769, 'e'}, {32797, 5, 149, 12, 'C'}, {32798, 217, 149, 12, 'C'},
        {32791, 308, 142, 125, 'l'}, {32799, 450, 149, 12, 'c'}, {32800, 536, 149, 12, 'C'}, {32779, 652, 149, 12, 'C'},
        {32771, 748, 149, 12, 'c'}, {32801, 5, 177, 12, 'C'}, {32778, 652, 177, 12, 'C'}, {32777, 748, 177, 12, 'C'},
        {32808, 217, 198, 40, 'l'}, {32809, 323, 205, 12, 'C'}, {32810, 430, 205, 12, 'C'}, {32811, 536, 205, 12, 'C'},
        {32773, 748, 205, 12, 'C'}, {32818, 217, 226, 50, 'l'}, {32819, 323, 233, 12, 'C'}, {32820, 455, 226, 70, 'l'},
        {32822, 652, 205, 12, 'c'}, {32859, 748, 259, 30, 'e'}, {32834, 217, 289, 12, 'C'}, {32833, 323, 289, 12, 'C'},
        {32835, 430, 289, 12, 'c'}, {32862, 652, 233, 12, 'c'}, {32860, 748, 231, 30, 'e'}, {32828, 217, 259, 100, 'e'},
        {32829, 323, 257, 70, 'b'}, {32774, 460, 259, 95, 'e'}, {32863, 652, 289, 12, 'c'}, {32861, 748, 287, 30, 'e'},
        {32846, 323, 310, 55, 'l'}, {32847, 536, 310, 55, 'l'}, {32839, 217, 343, 50, 'e'}, {32840, 353, 338, 45, 'l'},
        {32841, 566, 338, 70, 'l'}, {32856, 652, 317, 12, 'c'}, {32852, 5, 373, 12, 'c'}, {32854, 71, 373, 12, 'c'},
        {32851, 151, 373, 12, 'C'}, {32848, 323, 371, 34, 'e'}, {32850, 430, 373, 12, 'c'}, {32855, 566, 371, 34, 'e'},
        {32857, 642, 373, 12, 'c'}, {32838, 758, 341, 90, 'b'}, {32858, 758, 369, 90, 'b'}};
    ASSERT_EQ(std::size(rows), 47u);
    RECT w{};
    ASSERT_TRUE(GetWindowRect(window, &w));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        const HWND c = GetDlgItem(window, row.id);
        RECT r{};
        ASSERT_TRUE(GetWindowRect(c, &r));
        const int height = std::array{12, 12, 16, 20, 21}[std::string("cCebl").find(row.kind)];
        EXPECT_EQ((std::array{r.left - w.left, r.top - w.top, r.right - r.left, r.bottom - r.top}),
                  (std::array{row.x, row.y, row.w, height}));
        EXPECT_EQ((std::array{IsWindowEnabled(c) != FALSE, SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED,
                              !w32::testing::comboItems(c).empty()}),
                  (std::array{row.kind != 'e' && row.kind != 'b', row.kind == 'C', row.kind == 'l'}));
    }
    EXPECT_EQ(textOf(GetDlgItem(window, 32829)) + textOf(GetDlgItem(window, 32838)) + textOf(GetDlgItem(window, 32858)),
              u"UnblockRe-readFlush static");
    EXPECT_EQ(GetDlgItem(window, 32853), nullptr) << "MAX_FIT has an id but no control";
}

TEST_F(PanelTest, EveryCheckBoxTogglesItsOptionSavesItAndRestartsWhereItMust)
{
    for (const auto& c : gf_panelControls()) {
        auto* option = dynamic_cast<UiBoolParameter*>(c.control);
        if (option == nullptr)
            continue;
        SCOPED_TRACE(option->name);
        for (const bool on : {!option->defaultValue, option->defaultValue}) {
            click(*option);
            EXPECT_EQ(option->value.load(), on);
            EXPECT_EQ(IsDlgButtonChecked(window, option->controlId), on ? BST_CHECKED : BST_UNCHECKED);
            EXPECT_EQ(saved(option->name), on ? "true" : "false");
            const bool restarts = on && (option == &SCAN_LIVERIES || option == &SCAN_AIRPORTS);
            EXPECT_EQ(takeStop(), (restarts ? std::pair{RunState::NewSettings, 2} : std::pair{RunState::NotYetSet, 0}));
            EXPECT_EQ(w32::testing::isTopmost(window), option == &ALWAYS_ON_TOP && on);
        }
    }
    g_simNotConnected = false; // after the simulator link opened, a rescan is only announced
    click(SCAN_LIVERIES);
    click(SCAN_LIVERIES);
    g_simNotConnected = true;
    EXPECT_FALSE(g_stop.load());
    EXPECT_EQ(gf_statusLine().text, "Your liveries will be scanned at the next start of TRWK, recommended after you "
                                    "have add/removed AI aircraft models/liveries");
    EnableWindow(g_unblockButton.hWnd, TRUE);
    click(g_unblockButton);
    EXPECT_EQ(gf_statusLine().text, "Nothing to block or unblock...") << "with nothing blocked";
}

TEST_F(PanelTest, EveryListSelectionIsStoredSavedAndShownAndTheSimulatorSwitchWaitsForTheControlThread)
{
    const std::tuple<UiControl*, int, std::string> rows[] = {
        {&AI_PACKAGE_SELECTOR, 5, "JF, FSLTL, AIG"}, {&MATCHING_DEPTH, 1, "2"}, {&MAX_PARK_SEL, 2, "25"},
        {&RANGE, 0, "2"}, {&AIRP_RANGE, 0, "5"}, {&AR_ABOVE_HEIGHT, 0, "18000"}, {&AIRP_HEIGHT, 10, "48000"},
        {&MAX_LIVE_SEL, 0, "0"}};
    for (const auto& [control, index, value] : rows) {
        choose(*control, index);
        EXPECT_EQ(saved(dynamic_cast<Parameter&>(*control).name), value);
        EXPECT_EQ(textOf(control->hWnd), gf_utf8ToUtf16(value));
    }
    EXPECT_EQ((std::tuple{g_stop.load(), g_rangeMeters.load(), g_maxLiveGeneral.load()}),
              (std::tuple{false, 2 * 1852 + 10000, 0})) << "no restart; the new range; no park airport is loaded";

    // the switch: the window leaves the livery tables and the mode to the control thread's next close-down
    std::filesystem::create_directories("output");
    std::ofstream("output/LiveriesScanned.xml") << "<liveries/>";
    g_liveryTables.lightLiveryTypes.push_back("C172");
    g_liveriesProcessed = true;
    choose(SIM_CHOICE, 1);
    EXPECT_EQ(g_liveryTables.lightLiveryTypes.size(), 1u) << "live records may hold views of the tables";
    EXPECT_TRUE(g_msfs2020Mode.load()) << "the running close-down reads the mode";
    EXPECT_EQ(saved("SIM_CHOICE") + saved("SCAN_LIVERIES") + saved("SCAN_AIRPORTS") + saved("MYSIMADDON24_VERSION"),
              "MSFS 2024truetrue");
    EXPECT_EQ(IsDlgButtonChecked(window, SCAN_AIRPORTS.controlId), BST_CHECKED);
    EXPECT_TRUE(folder.logHas("Switching Simulator to MSFS 2024"));
    gf_takeBetweenRunsRequests();
    EXPECT_TRUE(g_liveryTables.lightLiveryTypes.empty());
    EXPECT_FALSE(g_liveriesProcessed || g_msfs2020Mode || std::filesystem::exists("output/LiveriesScanned.xml"));
    EXPECT_EQ(takeStop(), (std::pair{RunState::NewSettings, 3}));
    SendMessageW(SIM_CHOICE.hWnd, CB_SETCURSEL, 0, 0); // choosing the simulator already chosen does nothing
    choose(SIM_CHOICE, 1);
    EXPECT_FALSE(g_stop.load() || g_simSwitchRequest.load());

    // a rescan asked for while a stop is under way is still carried out; the stop stays
    g_liveryTables.lightLiveryTypes.push_back("C172");
    gf_requestStop(RunState::ReaderError, 15);
    click(SCAN_LIVERIES);
    click(SCAN_LIVERIES);
    EXPECT_EQ(takeStop(), (std::pair{RunState::ReaderError, 15}));
    EXPECT_EQ(g_liveryTables.lightLiveryTypes.size(), 1u);
    gf_takeBetweenRunsRequests();
    EXPECT_TRUE(g_liveryTables.lightLiveryTypes.empty());
}

TEST_F(PanelTest, TheTicksListsAreLeftToThePerUpdateWork)
{
    for (const std::uint32_t id : {11u, 12u, 13u}) {
        LiveAc& ac = g_liveAircraft.emplace_back(FeedSample{}, AcBase{}, 0.0);
        std::tie(ac.acState, ac.objectId, ac.flightState) =
            std::tuple{AcState::active, id, id == 12 ? FlightState::parked : FlightState::flying};
    }
    StaticAc& parked = g_staticAircraft.emplace_back(AcBase{}, 1, 0.0, 0.0, 0.0, false);
    std::tie(parked.acState, parked.objectId) = std::tuple{AcState::active, 21u};
    click(NAV_LIGHTS_WHILE_PARKED);
    choose(MAX_LIVE_SEL, 0);
    EXPECT_TRUE(g_eventQueue.empty() && g_removeDeque.empty()) << "the window walked the tick's lists";
    gf_onUserDataUpdate();
    ASSERT_EQ(g_eventQueue.size(), 2u);
    EXPECT_EQ((std::array{g_eventQueue[0].objectId, g_eventQueue[0].eventId, g_eventQueue[0].value,
                          g_eventQueue[1].objectId}),
              (std::array{21u, 207u, 0u, 12u}));
    EXPECT_EQ(g_removeDeque.size(), 3u) << "down to the new maximum";
    // without aircraft nothing is queued
    gf_resetTrafficState();
    gf_clearSimClientQueues();
    click(NAV_LIGHTS_WHILE_PARKED);
    gf_onUserDataUpdate();
    EXPECT_TRUE(g_eventQueue.empty());

    // the automatic range is the control thread's; off restores the range chosen by hand
    click(AUTO_RANGE); // off
    choose(RANGE, 5);  // 8 nm
    click(AUTO_RANGE); // on
    gf_onUserDataUpdate();
    EXPECT_FALSE(g_autoRangeRequest.load()) << "taken by the per-update work";
    gf_setRange(50); // as the automatic range may
    click(AUTO_RANGE);
    EXPECT_EQ(textOf(RANGE.hWnd), u"8");
    EXPECT_EQ(g_rangeMeters.load(), 8 * 1852 + 10000);
    gf_resetTrafficState();
}
