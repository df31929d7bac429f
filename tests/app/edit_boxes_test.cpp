// Typing into the edit boxes (headless), and the automatic range along a flight of the model's user aircraft.
#include "app_fixture.h"

#include "app/startup_jobs.h"
#include "app/user_data_update.h"
#include "airports/park_airports.h"
#include "feed/traffic_client.h"
#include "foundation/time_shift.h"
#include "foundation/utf.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_messages.h"
#include "simlink/sim_registration.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

using testsupport::textOf;

class EditBoxTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override
    {
        openPanel();
        gf_installAppHooks();
        g_airports = {{"EDDF", "FRA", 50.03, 8.57, 364}, {"EHAM", "AMS", 52.31, 4.76, -11}};
        std::filesystem::create_directories("sims/Community_old/sim/Community");
    }
    void TearDown() override
    {
        gf_setSimConnectBackend(nullptr);
        gf_resetSimLinkState();
        gf_resetAirportList();
        gf_resetParkData();
        g_myParkAirports.clear();
        gf_resetTrafficState();
    }
    // The user empties the box (enabled, as the start-up leaves it), types the text and presses Enter.
    static void enter(const UiControl& box, const std::u16string& text)
    {
        EnableWindow(box.hWnd, TRUE);
        SetWindowTextW(box.hWnd, u"");
        ASSERT_TRUE(w32::testing::type(box.hWnd, text + u"\r"));
        w32::testing::pump();
    }
};

TEST_F(EditBoxTest, EveryBoxTakesItsTypedValueOnEnterAndLeavesTheControlThreadsListsToIt)
{
    for (const AcState state : {AcState::active, AcState::adding2sim, AcState::buffer}) {
        LiveAc& ac = g_liveAircraft.emplace_back(FeedSample{}, AcBase{}, 0.0);
        std::tie(ac.acState, ac.objectId, ac.hexid) = std::tuple{state, 11u, 0x4b1805u};
    }
    g_createDeque.push_back(CreateRequest{{}, "DLH1", "Airliner A", 0x4b1805u});
    g_myParkAirports.push_back(MyParkAirport{"EDDF", "", 50.03, 8.57, 0.0});
    enter(TIME_SHIFT_MINS, u"90");
    enter(DESTINATION, u"eham");
    const auto lists = [] { return std::tuple{g_liveAircraft.size(), g_createDeque.size(), g_removeDeque.size(),
                                              g_myParkAirports.front().code}; };
    EXPECT_EQ(lists(), (std::tuple{3u, 1u, 0u, "EDDF"})) << "a time shift or a destination changed them in the window";
    gf_onUserDataUpdate();
    EXPECT_EQ(lists(), (std::tuple{1u, 0u, 1u, "EHAM"})) << "removed, withdrawn, forgotten; put first";
    EXPECT_EQ(g_liveAircraft.front().acState, AcState::removingfromsim) << "the one in the simulator leaves it";
    g_parkAirportLoaded = true;

    const std::u16string tooLong = u"sims/" + std::u16string(300, u'a'), path = u"sims/Community_old/sim\\community\\";
    // box, typed, then shown, status line, a request for the control thread, g_userDataCount
    const std::tuple<const UiControl*, std::u16string, std::u16string, std::string, bool, int> rows[] = {
        {&TIME_SHIFT_DAYS, u"30", u"28", "Time shifted 40320 minutes", true, 0},
        {&TIME_SHIFT_HOURS, u"5", u"0", "Time shifted 40320 minutes", true, 0},
        {&TIME_SHIFT_DAYS, u"", u"", "Time shift = 0", true, 0}, {&ALL_INSTALL_PATH, tooLong, tooLong, "", false, 0},
        {&TIME_SHIFT_MINS, u"45", u"45", "Time shifted 45 minutes", true, 0},
        {&TIME_SHIFT_MINS, u"45", u"45", "Same TIME_SHIFT_MINS value 45, no changes made", false, 0},
        {&parking_percentage, u"abc", u"abc", "invalid input: abc", false, 0},
        {&parking_percentage, u"99999999999", u"99999999999", "", false, 0},
        {&MAX_FIT_FL, u"7.3", u"7.5", "TRWK will respond in 15 seconds ...", true, 30},
        {&MAX_FIT_FL, u"0.2", u"0.5", "TRWK will respond in 14 seconds ...", true, 31},
        {&MAX_FIT_FL, u"nan", u"nan", "", false, 0}, {&CALLSIGN_2_OBJECTID, u"klm12", u"KLM12", "", true, 0},
        {&BLOCK_CALLSIGN, u"abc", u"", "callsign 'abc' is not valid", false, 0},
        {&BLOCK_CALLSIGN, u"dlh123", u"DLH123", "live aircraft with callsign 'DLH123' will be blocked", true, 0}};
    for (const auto& [box, typed, shown, status, starts, count] : rows) {
        g_userDataCount = count;
        enter(*box, typed);
        int ask = g_timeShiftClearRequest.exchange(false) + g_recalcParkingRequest.exchange(false); // taken back
        ask += g_removeBlockedRequest.exchange(false) + g_callsignLookupRequest.exchange(false);
        EXPECT_EQ((std::tuple{textOf(box->hWnd), gf_statusLine().text, ask > 0}), (std::tuple{shown, status, starts}));
    }
    gf_showError("No install path detected, type full path to your Community folder above, and press Enter");
    enter(ALL_INSTALL_PATH, path);
    EXPECT_EQ(gf_statusLine().text + (g_stop ? ", stop" : ""), "Community path found, TRWK will restart ..., stop");
    EXPECT_EQ(saved("parking_percentage") + saved("MAX_FIT") + saved("MSFS_INSTALL_PATH") + "," +
                  std::to_string(g_timeOffset), "-0sims/Community_old/sim,45");
    for (const std::string& line : std::vector<std::string>{"===> lf_processTbInt: stoi, h=99999999999 ",
             "lf_processTbFloat: stof: not a finite number, h=nan", "my_park_airports.txt created with EHAM",
             "===> lf_textBoxProc exception filesystem error: exists: File name too long [" +
                 gf_utf16ToUtf8(tooLong) + "]"})
        EXPECT_TRUE(folder.logHas(line)) << line;
}

TEST_F(EditBoxTest, TheAutomaticRangeFollowsAFlightToTheFirstParkAirport)
{
    const auto s = [](double nm) { return 51.0 - nm / 60.0; }; // south of the park airport at 51 N 8 E
    // second, latitude, feet, on the ground, park airport listed, RANGE (60: AR_ABOVE_HEIGHT, 240: AIRP_HEIGHT)
    const std::tuple<int, double, double, bool, bool, int> flight[] = {
        {1, 50.1, 20000, 0, 1, 40},     {60, 50.2, 48000, 0, 1, 40},      {120, 50.3, 49000, 0, 1, 100},
        {180, s(36.9), 17000, 0, 1, 40}, {240, s(20.0), 18000, 0, 1, 25}, {300, s(12.6), 6000, 0, 1, 16},
        {360, s(7.4), 3000, 0, 1, 10},   {420, s(7.0), 2500, 0, 1, 10},   {480, s(37.0), 9000, 0, 1, 40},
        {540, s(12.6), 6000, 0, 0, 40},  {600, 50.0, 0, 1, 1, 10}};
    nlohmann::json scenario = {{"frameRate", 1}, {"user", {{"path", nlohmann::json::array()}}}};
    for (const auto& [t, lat, feet, ground, listed, range] : flight)
        scenario["user"]["path"].push_back({{"t", t}, {"lat", lat}, {"lon", 8}, {"altFt", feet}, {"onGround", ground}});
    const auto model = std::make_shared<SimModel>(gf_parseSimScenario(scenario.dump()));
    gf_setSimConnectBackend(model);
    HSIMCONNECT h = nullptr;
    ASSERT_GE(SimConnect_Open(&h, "TRWK", nullptr, 0, nullptr, 0), 0);
    g_hSimConnect = h;
    gf_registerWithSim();
    // every second the user data, then the ground state (taken once a position is known)
    for (const auto& [request, definition] :
         {std::pair{REQ_USER_AC_POSITION, DEF_USER_AC}, {REQ_AC_GND_AIR, DEF_SIM_ON_GROUND}})
        SimConnect_RequestDataOnSimObject(h, request, definition, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND);
    const auto boxTop = [] { return gf_trafficClient().queryBox().top; }; // moves exactly when RANGE changes
    for (const auto& [t, lat, feet, ground, listed, range] : flight) {
        model->step(t - static_cast<int>(model->simSeconds()));
        SimConnect_CallDispatch(h, gf_dispatch, nullptr);
        gf_setUserSnapshot(g_userData);
        g_myParkAirports.assign(listed ? 1 : 0, MyParkAirport{"EDDX", "", 51.0, 8.0, 0.0});
        const auto [before, top] = std::pair{RANGE.value.load(), boxTop()};
        gf_setAutoRange();
        EXPECT_EQ((std::pair{RANGE.value.load(), boxTop() != top}), (std::pair{range, range != before})) << t;
    }
}
