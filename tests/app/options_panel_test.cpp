// The options panel on the headless back-end: its controls at their places, and the user's clicks and
// selections through the window's procedure into the options, parameters.xml and the control thread's requests.
#include "window_fixture.h"

#include "app/panel_controls.h"
#include "app/panel_requests.h"
#include "app/user_data_update.h"
#include "aircraft/dbase.h"
#include "aircraft/livery_tables.h"
#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "app/app_hooks.h"
#include "foundation/range.h"
#include "foundation/shell_state.h"
#include "foundation/utf.h"
#include "simconnect/sim_backend.h"
#include "simconnect/sim_model.h"
#include "simconnect/sim_model_driver.h"
#include "simlink/sim_client.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"
#include "support/apf_text.h"
#include "traffic/park_settings.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"
#include "traffic/user_snapshot.h"

#include <algorithm>
#include <fmt/format.h>
#include <fstream>
#include <memory>

using testsupport::textOf;

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

// Every control lies in the options panel, none over another, at the height of its kind (check boxes 12,
// push buttons 20, edit boxes 16, drop-down lists 21 while closed); the boxes and buttons wait for the
// start-up to enable them, the lists are filled and the check boxes show their options.
TEST_F(PanelTest, EveryControlLiesInThePanelAsItsKindWants)
{
    RECT w{};
    ASSERT_TRUE(GetWindowRect(window, &w));
    std::vector<RECT> taken;
    for (const PanelControl& c : gf_panelControls()) {
        SCOPED_TRACE(c.control->controlId);
        const HWND h = c.control->hWnd;
        ASSERT_EQ(GetDlgItem(window, c.control->controlId), h);
        RECT r{};
        ASSERT_TRUE(GetWindowRect(h, &r));
        const RECT in{r.left - w.left, r.top - w.top, r.right - w.left, r.bottom - w.top};
        EXPECT_EQ(in.bottom - in.top, (std::array{12, 20, 16, 21})[static_cast<std::size_t>(c.kind)]);
        const RECT& panel = g_optionsPanelRect;
        EXPECT_TRUE(in.left >= 0 && in.right <= panel.right && in.top > panel.top && in.bottom < panel.bottom);
        for (const RECT& o : taken)
            EXPECT_FALSE(in.left < o.right && o.left < in.right && in.top < o.bottom && o.top < in.bottom);
        taken.push_back(in);
        const auto* option = dynamic_cast<UiBoolParameter*>(c.control);
        const bool list = c.kind == ControlKind::comboBox;
        EXPECT_EQ((std::array{IsWindowEnabled(h) != FALSE, SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED,
                              !w32::testing::comboItems(h).empty()}),
                  (std::array{list || option != nullptr, option != nullptr && option->value.load(), list}));
    }
    EXPECT_EQ(taken.size(), 47u);
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

// The summary of each class that can be switched off: without a livery its option goes off and is
// saved, and its box shows it unticked and disabled; with liveries the box is enabled with its tick
// as it was.
TEST_F(PanelTest, AClassWithoutLiveriesShowsItsBoxUntickedAndDisabled)
{
    gf_resetDbase();
    g_dbase.rotorcraftTypes = {"EC35"};
    g_dbase.highPerformanceTypes = {"F18"}; // any other type is a light one
    const std::string title = "Some livery";
    const struct {
        SizeClass sizeClass;
        UiBoolParameter* option;
        const char* type;
    } classes[] = {{SizeClass::Light, &LIGHT_AIRCRAFT, "C172"},
                   {SizeClass::Rotorcraft, &HELICOPTERS, "EC35"},
                   {SizeClass::HighPerf, &HIGH_PERF_AIRCRAFT, "F18"}};
    for (const auto& c : classes)
        for (const bool liveries : {true, false})
            for (const bool on : {true, false}) {
                SCOPED_TRACE(testing::Message() << c.option->name << (liveries ? " with" : " without")
                                                << " liveries, " << (on ? "on" : "off"));
                gf_clearLiveryTables();
                if (liveries)
                    g_liveryTables.typeTitles[1][c.type] = {title};
                c.option->value = on;
                gf_showCheckBox(*c.option);
                EnableWindow(c.option->hWnd, liveries ? FALSE : TRUE);
                w32::testing::pump();
                gf_summariseCategory(c.sizeClass);
                w32::testing::pump();
                const bool ticked = liveries && on;
                EXPECT_EQ(c.option->value.load(), ticked);
                EXPECT_EQ(IsDlgButtonChecked(window, c.option->controlId), ticked ? BST_CHECKED : BST_UNCHECKED);
                EXPECT_EQ(IsWindowEnabled(c.option->hWnd) != FALSE, liveries);
                EXPECT_EQ(saved(c.option->name), liveries ? "-" : "false");
            }
    gf_clearLiveryTables();
    gf_resetDbase();
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

// The window's thread, the control thread and the simulator's frames at once (the thread sanitizer
// build watches every access): the clicks only hand requests over; the per-update work walks the
// tick's lists and queues the nav lights under the simulator queue's mutex while the SimClient
// thread sends what is queued at every frame; the lists change as the tick changes them.
TEST_F(PanelTest, PanelRequestsAreCarriedOutWhileFramesAreSent)
{
    gf_resetShellState();
    gf_resetSimLinkState();
    gf_resetUserAcState();
    gf_resetUserSnapshot(); // the user aircraft nowhere near the traffic
    auto model = std::make_shared<SimModel>(gf_parseSimScenario(R"({"frameRate": 1000,
        "user": {"path": [{"t": 0, "lat": 50.0, "lon": 8.0, "altFt": 0, "onGround": true, "headingDeg": 90}]}})"));
    HSIMCONNECT other = nullptr;
    ASSERT_GE(model->open(&other, "OTHER"), 0);
    for (int i = 0; i < 15; ++i) {
        const SIMCONNECT_DATA_INITPOSITION at{50.0 + i * 0.001, 8.0, 0.0, 0.0, 0.0, 90.0, 1, 0};
        model->aiCreateNonAtcAircraft(other, "Airliner A", fmt::format("AC{}", i).c_str(), at, 104);
    }
    model->step(10);
    const auto objects = model->aiObjects();
    ASSERT_EQ(objects.size(), 15u);
    // three statics and twelve live aircraft on the ground, the first four of them parked
    for (std::size_t i = 0; i < 15; ++i) {
        if (i < 3) {
            StaticAc& s = g_staticAircraft.emplace_back(AcBase{}, 0, 50.0, 8.0, 0.0, false);
            std::tie(s.acState, s.objectId) = std::tuple{AcState::active, objects[i].id};
            continue;
        }
        FeedSample standing;
        std::tie(standing.lat, standing.lon, standing.samePosition) = std::tuple{objects[i].lat, objects[i].lon, 1};
        LiveAc& ac = g_liveAircraft.emplace_back(standing, AcBase{}, 0.0);
        std::tie(ac.acState, ac.objectId, ac.onGround, ac.flightState) =
            std::tuple{AcState::active, objects[i].id, true, i < 7 ? FlightState::parked : FlightState::taxi};
        ac.position = {standing.lat, standing.lon, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}; // far from the user's (0, 0)
    }
    gf_setSimConnectBackend(model);
    g_simClientThread = std::jthread(SimClient);
    auto driver = std::make_unique<SimModelDriver>(model);
    ASSERT_TRUE(testsupport::eventually([] { return g_simRunning.load(); })) << "no connection";

    // the control thread: the per-update work, about one a millisecond, and a taxiing aircraft
    // moving, now and then driving to a stand
    std::jthread control([](std::stop_token stop) {
        for (bool toStand = false; !stop.stop_requested(); toStand = !toStand) {
            LiveAc& taxiing = g_liveAircraft.back();
            taxiing.position[POS_LAT] += 1e-9;
            taxiing.flightState = toStand ? FlightState::parking : FlightState::taxi;
            gf_onUserDataUpdate();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int i = 0; i < 40; ++i) {
        click(NAV_LIGHTS_WHILE_PARKED);
        choose(MAX_LIVE_SEL, i == 20 ? 1 : 6); // once down to 10, else 500
        EXPECT_TRUE(testsupport::eventually([] { return !g_navLightsRequest && !g_removeExcessLiveRequest; }));
    }
    ASSERT_TRUE(NAV_LIGHTS_WHILE_PARKED.value); // 40 clicks: on, as at the start
    const auto lt_lit = [&](const SimObjectState& o) { return model->aiObject(o.id)->navLights; };
    EXPECT_TRUE(testsupport::eventually([&] { return std::all_of(objects.begin(), objects.begin() + 7, lt_lit); }))
        << "the statics and the parked live aircraft have their nav lights on";
    EXPECT_TRUE(std::none_of(objects.begin() + 7, objects.end(), lt_lit)) << "taxiing aircraft are left alone";
    control.request_stop();
    control.join();
    EXPECT_EQ(std::count_if(g_liveAircraft.begin(), g_liveAircraft.end(),
                            [](const LiveAc& ac) { return ac.acState == AcState::active; }),
              10);
    EXPECT_EQ(g_removeDeque.size(), 2u);

    g_simClientThread.request_stop();
    g_simClientThread.join();
    driver.reset();
    gf_setSimConnectBackend(nullptr);
    gf_resetSimLinkState();
    gf_resetTrafficState();
    gf_clearSimClientQueues();
}

namespace {

// A park airport's learned file, applied to the panel by the program's own range handling and
// control updates.
class LearnedSettingsTest : public PanelTest {
protected:
    LearnedSettingsTest()
    {
        gf_resetParkData();
        gf_resetParkApf();
        gf_resetSimLinkState();
        gf_installParkLoadHooks();
        parkAirport = Airport{"EDDF", "", 50.0, 8.0, 0.0};
    }
    ~LearnedSettingsTest() override
    {
        g_parkLoadHooks.install({});
        gf_resetParkData();
        gf_resetParkApf();
    }
    static void loadWithLearned(const std::string& parameters)
    {
        const auto lt_apf = [](const std::string& more) {
            return testsupport::apfText("<parkpos id='A1' latitude='50' longitude='8' radius='20'/>",
                                        "<parameter name='altitude' value='300'/><parameter name='publisher' "
                                        "value='Pub'/>" + more);
        };
        testsupport::writeFile("airports/my_thirdparty/EDDF.xml", lt_apf(""));
        testsupport::writeFile("airports/learned/thirdparty/Pub/EDDF.xml", lt_apf(parameters));
        ASSERT_EQ(gf_readParkedFile(), "");
        w32::testing::pump();
    }
};

} // namespace

// Start-up 40, the user's 80, the airport's 65: with AUTO_RANGE off in the file the airport's
// range stays; without a range in the file, switching off gives back the range saved when the
// automatic range was switched on.
TEST_F(LearnedSettingsTest, TheAirportsRangeStaysWhenItsFileSwitchesAutomaticRangeOff)
{
    const std::string off = "<parameter name='AUTO_RANGE' value='false'/>";
    const std::string range65 = "<parameter name='LATERAL_RANGE' value='65'/>" + off;
    const std::tuple<const char*, bool, std::string, std::int32_t> cases[] = {
        {"manual before", false, range65, 65}, {"automatic before", true, range65, 65}, {"no range", true, off, 80}};
    for (const auto& [name, autoBefore, parameters, range] : cases) {
        AUTO_RANGE.value = false;
        gf_setRange(40);
        g_manualRange = RANGE.value.load(); // as the start-up leaves it
        choose(RANGE, static_cast<int>(std::ranges::find(RANGE.allowed, 80) - RANGE.allowed.begin())); // 80
        if (autoBefore) {
            click(AUTO_RANGE); // on: 80 saved
            gf_setRange(10);   // as the automatic range may set it
        }
        loadWithLearned(parameters);
        EXPECT_EQ((std::tuple{AUTO_RANGE.value.load(), RANGE.value.load(), g_rangeNm.load(),
                              gf_utf16ToUtf8(textOf(RANGE.hWnd)), IsWindowEnabled(RANGE.hWnd) != FALSE}),
                  (std::tuple{false, range, static_cast<double>(range), std::to_string(range), true}))
            << name;
    }
}

// RT_PARKTRAFFIC_ONLY from the file takes its value, its check box and the six controls that
// depend on it, as a click on its check box does.
TEST_F(LearnedSettingsTest, ParkTrafficOnlyFromTheFileGovernsItsControlsAsItsCheckBoxDoes)
{
    const UiControl* const governed[] = {&parking_percentage, &MAX_FIT_FL, &INITIAL_LOAD_ONLY,
                                         &PARK_SOFT,          &PARK_FAKE,  &WEEK};
    // whether each is enabled, and the texts of the two boxes
    const auto lt_shown = [&] {
        std::string text;
        for (const UiControl* control : governed)
            text += IsWindowEnabled(control->hWnd.load()) != FALSE ? "+" : "-";
        return text + " '" + gf_utf16ToUtf8(textOf(parking_percentage.hWnd)) + "' '" +
               gf_utf16ToUtf8(textOf(MAX_FIT_FL.hWnd)) + "'";
    };
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on);
        RT_PARKTRAFFIC_ONLY.value = !on;
        for (const UiControl* control : governed)
            EnableWindow(control->hWnd.load(), on ? TRUE : FALSE);
        gf_showIntParameter(parking_percentage);
        gf_showFloatParameter(MAX_FIT_FL);
        gf_showCheckBox(RT_PARKTRAFFIC_ONLY);
        loadWithLearned(fmt::format("<parameter name='RT_PARKTRAFFIC_ONLY' value='{}'/><parameter name='MAX_FIT' "
                                    "value='47'/>", on));
        const std::string fromFile = lt_shown();
        EXPECT_EQ(fromFile, on ? "------ '' ''" : "++++++ '30' '24'");
        EXPECT_EQ(
            (std::tuple{RT_PARKTRAFFIC_ONLY.value.load(), IsDlgButtonChecked(window, RT_PARKTRAFFIC_ONLY.controlId)}),
            (std::tuple{on, on ? BST_CHECKED : BST_UNCHECKED}));
        click(RT_PARKTRAFFIC_ONLY);
        click(RT_PARKTRAFFIC_ONLY);
        EXPECT_EQ(lt_shown(), fromFile) << "after the clicks";
    }
}
