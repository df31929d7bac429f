// The options panel on the headless back-end: its controls at their places, and the user's
// clicks and selections through the window's own procedure into the options, parameters.xml and
// the requests that the control thread takes.
#include "window_fixture.h"

#include "app/panel_controls.h"
#include "app/panel_requests.h"
#include "app/user_data_update.h"
#include "aircraft/livery_tables.h"
#include "foundation/range.h"
#include "foundation/shell_state.h"
#include "foundation/utf.h"
#include "simlink/sim_state.h"
#include "simlink/sim_queues.h"
#include "traffic/park_settings.h"
#include "traffic/traffic_containers.h"

#include <filesystem>
#include <fstream>

using testsupport::MainWindowTest;

namespace {

class PanelTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(g_dataFolder);
        window = openWindow();
        ASSERT_NE(window, nullptr);
        // the start-up's changes, which no control reports
        fillLists();
        gf_showCheckBox(SCAN_LIVERIES);
        gf_showStringParameter(DESTINATION);
        w32::testing::pump();
        EXPECT_FALSE(std::filesystem::exists(g_parametersPath)) << "a change by the program was taken for the user's";
    }
    ~PanelTest() override
    {
        g_liveAircraft.clear();
        g_staticAircraft.clear();
        g_removeDeque.clear();
        gf_clearSimClientQueues();
    }

    HWND item(const UiControl& c) const { return GetDlgItem(window, c.controlId); }
    void click(const UiControl& c)
    {
        ASSERT_TRUE(w32::testing::click(item(c))) << c.controlId;
        w32::testing::pump();
    }
    void choose(const UiControl& c, int index)
    {
        ASSERT_TRUE(w32::testing::select(item(c), index)) << c.controlId;
        w32::testing::pump();
    }
    static void clearStop()
    {
        g_stop = false;
        g_runState = RunState::NotYetSet;
        g_restartDelay = 0;
    }

    HWND window = nullptr;
};

} // namespace

TEST_F(PanelTest, EveryControlSitsAtItsPlaceWithItsId)
{
    // 'c' check box (unchecked, enabled), 'C' the same checked, 'e' edit box (disabled, empty),
    // 'b' push button (disabled, with its caption), 'l' drop-down list (enabled, one line high)
    struct Row {
        int id, x, y, w, h;
        char kind;
        const char16_t* caption = nullptr;
    };
    const Row rows[] = {
        {32790, 5, 114, 105, 21, 'l'},     {32788, 111, 119, 769, 16, 'e'}, // to the window's edge
          {32797, 5, 149, 12, 12, 'C'},
        {32798, 217, 149, 12, 12, 'C'},    {32791, 308, 142, 125, 21, 'l'},   {32799, 450, 149, 12, 12, 'c'},
        {32800, 536, 149, 12, 12, 'C'},    {32779, 652, 149, 12, 12, 'C'},    {32771, 748, 149, 12, 12, 'c'},
        {32801, 5, 177, 12, 12, 'C'},      {32778, 652, 177, 12, 12, 'C'},    {32777, 748, 177, 12, 12, 'C'},
        {32808, 217, 198, 40, 21, 'l'},    {32809, 323, 205, 12, 12, 'C'},    {32810, 430, 205, 12, 12, 'C'},
        {32811, 536, 205, 12, 12, 'C'},    {32773, 748, 205, 12, 12, 'C'},    {32818, 217, 226, 50, 21, 'l'},
        {32819, 323, 233, 12, 12, 'C'},    {32820, 455, 226, 70, 21, 'l'},    {32822, 652, 205, 12, 12, 'c'},
        {32859, 748, 259, 30, 16, 'e'},    {32834, 217, 289, 12, 12, 'C'},    {32833, 323, 289, 12, 12, 'C'},
        {32835, 430, 289, 12, 12, 'c'},    {32862, 652, 233, 12, 12, 'c'},    {32860, 748, 231, 30, 16, 'e'},
        {32828, 217, 259, 100, 16, 'e'},   {32829, 323, 257, 70, 20, 'b', u"Unblock"},
        {32774, 460, 259, 95, 16, 'e'},    {32863, 652, 289, 12, 12, 'c'},    {32861, 748, 287, 30, 16, 'e'},
        {32846, 323, 310, 55, 21, 'l'},    {32847, 536, 310, 55, 21, 'l'},    {32839, 217, 343, 50, 16, 'e'},
        {32840, 353, 338, 45, 21, 'l'},    {32841, 566, 338, 70, 21, 'l'},    {32856, 652, 317, 12, 12, 'c'},
        {32852, 5, 373, 12, 12, 'c'},      {32854, 71, 373, 12, 12, 'c'},     {32851, 151, 373, 12, 12, 'C'},
        {32848, 323, 371, 34, 16, 'e'},    {32850, 430, 373, 12, 12, 'c'},    {32855, 566, 371, 34, 16, 'e'},
        {32857, 642, 373, 12, 12, 'c'},    {32838, 758, 341, 90, 20, 'b', u"Re-read"},
        {32858, 758, 369, 90, 20, 'b', u"Flush static"},
    };
    ASSERT_EQ(std::size(rows), 47u);
    RECT w{};
    ASSERT_TRUE(GetWindowRect(window, &w));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        const HWND c = GetDlgItem(window, row.id);
        RECT r{};
        ASSERT_TRUE(GetWindowRect(c, &r));
        EXPECT_EQ((std::array{r.left - w.left, r.top - w.top, r.right - r.left, r.bottom - r.top}),
                  (std::array{row.x, row.y, row.w, row.h}));
        EXPECT_EQ(IsWindowEnabled(c) != FALSE, row.kind != 'e' && row.kind != 'b');
        if (row.kind == 'c' || row.kind == 'C') {
            EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), row.kind == 'C' ? BST_CHECKED : BST_UNCHECKED);
        }
        if (row.kind != 'l') {
            EXPECT_EQ(textOf(c), row.caption != nullptr ? row.caption : u"");
        }
        EXPECT_EQ(w32::testing::comboItems(c).empty(), row.kind != 'l');
    }
    EXPECT_EQ(GetDlgItem(window, 32853), nullptr) << "MAX_FIT has an id but no control";
}

TEST_F(PanelTest, EveryCheckBoxTogglesItsOptionSavesItAndRestartsWhereItMust)
{
    for (const auto& c : gf_panelControls()) {
        UiBoolParameter* option = dynamic_cast<UiBoolParameter*>(c.control);
        if (option == nullptr)
            continue;
        SCOPED_TRACE(option->name);
        for (const bool on : {!option->defaultValue, option->defaultValue}) {
            click(*option);
            EXPECT_EQ(option->value.load(), on);
            EXPECT_EQ(IsDlgButtonChecked(window, option->controlId), on ? BST_CHECKED : BST_UNCHECKED);
            EXPECT_EQ(saved(option->name), on ? "true" : "false");
            const bool restarts = on && (option == &SCAN_LIVERIES || option == &SCAN_AIRPORTS);
            EXPECT_EQ(g_stop.load(), restarts);
            if (restarts) {
                EXPECT_EQ(g_runState.load(), RunState::NewSettings);
                EXPECT_EQ(g_restartDelay.load(), 2);
            }
            clearStop();
        }
    }
    // after the simulator link opened, a rescan is only announced
    g_simNotConnected = false;
    click(SCAN_LIVERIES);
    click(SCAN_LIVERIES);
    EXPECT_FALSE(g_stop.load());
    EXPECT_EQ(gf_statusLine().text, "Your liveries will be scanned at the next start of TRWK, recommended after you "
                                    "have add/removed AI aircraft models/liveries");
    g_simNotConnected = true;
    click(ALWAYS_ON_TOP);
    EXPECT_TRUE(w32::testing::isTopmost(window));
    EXPECT_EQ(gf_statusLine().text, "TRWK's window will remain visible");
}

TEST_F(PanelTest, EveryListSelectionIsStoredSavedAndShown)
{
    struct Row {
        UiControl* control;
        int index;
        std::string value;
    };
    const Row rows[] = {{&AI_PACKAGE_SELECTOR, 5, "JF, FSLTL, AIG"}, {&MATCHING_DEPTH, 1, "2"},
                        {&MAX_PARK_SEL, 2, "25"},  {&RANGE, 0, "2"},  {&AIRP_RANGE, 0, "5"},
                        {&AR_ABOVE_HEIGHT, 0, "18000"}, {&AIRP_HEIGHT, 10, "48000"}, {&MAX_LIVE_SEL, 0, "0"},
                        {&SIM_CHOICE, 1, "MSFS 2024"}};
    EnableWindow(RANGE.hWnd, TRUE);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        choose(*row.control, row.index);
        EXPECT_EQ(saved(dynamic_cast<Parameter&>(*row.control).name), row.value);
        EXPECT_EQ(textOf(item(*row.control)), gf_utf8ToUtf16(row.value));
        EXPECT_EQ(g_stop.load(), row.control == &SIM_CHOICE);
    }
    EXPECT_EQ(g_rangeMeters.load(), 2 * 1852 + 10000);
    EXPECT_EQ(g_maxLiveGeneral.load(), 0);
    EXPECT_EQ(g_restartDelay.load(), 3);
    EXPECT_EQ(g_runState.load(), RunState::NewSettings);
    for (const UiBoolParameter* scan : {&SCAN_LIVERIES, &SCAN_AIRPORTS}) {
        EXPECT_EQ(saved(scan->name), "true");
        EXPECT_EQ(IsDlgButtonChecked(window, scan->controlId), BST_CHECKED);
    }
    EXPECT_EQ(saved("MYSIMADDON24_VERSION"), "");
    EXPECT_EQ(gf_statusLine().text, "Switching Simulator to MSFS 2024");

    // the simulator already chosen: nothing happens
    clearStop();
    g_simSwitchRequest = false;
    SendMessageW(item(SIM_CHOICE), CB_SETCURSEL, 0, 0);
    choose(SIM_CHOICE, 1);
    EXPECT_FALSE(g_stop.load());
    EXPECT_FALSE(g_simSwitchRequest.load());
}

TEST_F(PanelTest, TheButtonsSetTheirRequestsAndUnblockAnswersEvenWhenNothingIsBlocked)
{
    for (const UiButton* button : {&g_unblockButton, &g_rereadButton, &g_flushStaticButton})
        EnableWindow(button->hWnd, TRUE);
    click(g_unblockButton);
    EXPECT_EQ(gf_statusLine().text, "Nothing to block or unblock...");
    EXPECT_FALSE(g_removeBlockedRequest.load());
    BLOCK_CALLSIGN.value.set("DLH123");
    click(g_unblockButton);
    EXPECT_EQ(saved("BLOCK_CALLSIGN"), "");
    EXPECT_FALSE(IsWindowEnabled(g_unblockButton.hWnd));
    EXPECT_TRUE(folder.logHas("no more blocking of live aircraft 'DLH123'"));
    EXPECT_TRUE(g_removeBlockedRequest.load());

    EnableWindow(DESTINATION.hWnd, TRUE);
    click(g_rereadButton);
    EXPECT_TRUE(g_rereadRequest.load());
    EXPECT_FALSE(IsWindowEnabled(g_rereadButton.hWnd) || IsWindowEnabled(DESTINATION.hWnd));
    click(g_flushStaticButton);
    EXPECT_TRUE(g_flushStaticRequest.load());
    EXPECT_FALSE(IsWindowEnabled(g_flushStaticButton.hWnd));
    EXPECT_EQ(gf_statusLine().text, "All static parked aircraft will be removed ...");
}

TEST_F(PanelTest, TheTicksListsAreLeftToThePerUpdateWork)
{
    for (std::uint32_t id : {11u, 12u, 13u}) {
        LiveAc& ac = g_liveAircraft.emplace_back(FeedSample{}, AcBase{}, 0.0);
        ac.acState = AcState::active;
        ac.objectId = id;
        ac.flightState = id == 12 ? FlightState::parked : FlightState::flying;
    }
    g_staticAircraft.emplace_back(AcBase{}, 1, 0.0, 0.0, 0.0, false).acState = AcState::active;
    g_staticAircraft.back().objectId = 21;
    click(NAV_LIGHTS_WHILE_PARKED);
    choose(MAX_LIVE_SEL, 1); // 10
    choose(MAX_LIVE_SEL, 0); // 0
    EXPECT_TRUE(g_eventQueue.empty()) << "the window walked the aircraft";
    EXPECT_TRUE(g_removeDeque.empty()) << "the window removed aircraft";
    gf_onUserDataUpdate();
    ASSERT_EQ(g_eventQueue.size(), 2u);
    EXPECT_EQ((std::array{g_eventQueue[0].objectId, g_eventQueue[0].eventId, g_eventQueue[0].value}),
              (std::array{21u, 207u, 0u}));
    EXPECT_EQ(g_eventQueue[1].objectId, 12u);
    EXPECT_EQ(g_removeDeque.size(), 3u) << "down to the new maximum";

    // without aircraft nothing is queued
    g_liveAircraft.clear();
    g_staticAircraft.clear();
    gf_clearSimClientQueues();
    click(NAV_LIGHTS_WHILE_PARKED);
    gf_onUserDataUpdate();
    EXPECT_TRUE(g_eventQueue.empty());

    // the automatic range is computed by the control thread; off restores the range chosen by hand
    click(AUTO_RANGE); // off
    choose(RANGE, 5);  // 8 nm
    click(AUTO_RANGE); // on
    EXPECT_TRUE(g_autoRangeRequest.load());
    EXPECT_FALSE(IsWindowEnabled(RANGE.hWnd));
    gf_onUserDataUpdate();
    EXPECT_FALSE(g_autoRangeRequest.load());
    gf_setRange(50); // as the automatic range may
    click(AUTO_RANGE);
    EXPECT_EQ(RANGE.value.load(), 8);
    EXPECT_EQ(textOf(item(RANGE)), u"8");
    EXPECT_EQ(g_rangeMeters.load(), 8 * 1852 + 10000);
}

TEST_F(PanelTest, ASimulatorSwitchAndARescanClearTheLiveriesOnlyBetweenRuns)
{
    std::filesystem::create_directories("output");
    std::ofstream("output/LiveriesScanned.xml") << "<liveries/>";
    g_liveryTables.lightLiveryTypes.push_back("C172");
    g_liveriesProcessed = true;
    choose(SIM_CHOICE, 1);
    EXPECT_EQ(g_liveryTables.lightLiveryTypes.size(), 1u) << "live records may hold views of the tables";
    EXPECT_TRUE(g_msfs2020Mode.load()) << "the running close-down reads the mode";
    gf_takeBetweenRunsRequests();
    EXPECT_TRUE(g_liveryTables.lightLiveryTypes.empty());
    EXPECT_FALSE(g_liveriesProcessed.load());
    EXPECT_FALSE(g_msfs2020Mode.load());
    EXPECT_FALSE(std::filesystem::exists("output/LiveriesScanned.xml"));

    // a rescan asked for while a stop is under way is still carried out; the stop stays
    g_runState = RunState::ReaderError;
    g_liveryTables.lightLiveryTypes.push_back("C172");
    click(SCAN_LIVERIES);
    click(SCAN_LIVERIES);
    EXPECT_EQ(g_runState.load(), RunState::ReaderError);
    EXPECT_EQ(g_restartDelay.load(), 3);
    EXPECT_EQ(g_liveryTables.lightLiveryTypes.size(), 1u);
    gf_takeBetweenRunsRequests();
    EXPECT_TRUE(g_liveryTables.lightLiveryTypes.empty());
    g_msfs2020Mode = true;
}
