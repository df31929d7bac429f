// The park airport as the user flies: approach, stay with live aircraft learning its stands,
// departure out of sight, and the next approach reading back what was learned.
#include "leg_feed.h"
#include "rt_test_server.h"
#include "stand_fixture.h"

#include "airports/park_airport_list.h"
#include "airports/park_apf.h"
#include "feed/reader_state.h"
#include "feed/readers.h"
#include "feed/session.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "simconnect/sim_model.h"
#include "simlink/sim_messages.h"
#include "simlink/sim_registration.h"
#include "simlink/sim_state.h"
#include "support/apf_text.h"
#include "foundation/status_line.h"
#include "traffic/learned_writer.h"
#include "traffic/park_airport.h"
#include "traffic/park_airport_handling.h"
#include "traffic/park_airport_hooks.h"
#include "traffic/park_settings.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_option_learning.h"
#include "traffic/stand_parking.h"
#include "traffic/stand_names.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_jobs.h"
#include "traffic/user_snapshot.h"

#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <thread>

namespace traffictest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::readFile;
using testsupport::writeFile;

// EDXX's parking file, of publisher Pub, with these parameters and parkpos elements.
std::string lf_apf(const std::string& parameters, const std::string& parkpos)
{
    return testsupport::apfText(parkpos, "<parameter name='altitude' value='300'/><parameter name='publisher' "
                                         "value='Pub'/>" + parameters);
}

// EDXX at 50 N 8 E with S1..S4, each with a Monday option at half hours 0 and 1.
class ParkAirportTest : public StandTest {
protected:
    ServiceClock clock;
    bool busy = false;
    std::string shown;
    ParkAirportTest()
    {
        gf_resetParkData();
        platform::setClock(&clock);
        clock.setSystemTime(platform::SystemTime{} + std::chrono::seconds(g_mondayMidnight + 600));
        g_timeSlot = gf_slotAndWeekdayNow();
        writeFile("input/airports_msfs.xml", "<airports><airport code='EDXX' lat='50' lon='8' alt='300'/>"
                                            "<airport code='EDYY' lat='50' lon='8' alt='300'/></airports>");
        gf_resetAirportList();
        gf_readAirports("airports_msfs.xml");
        std::string stands;
        for (int i = 0; i < 4; ++i)
            stands += fmt::format("<parkpos id='S{}' latitude='{:.9f}' longitude='8' radius='20'><opt reg='D-E{}' "
                                  "airl='EZY' type='A320' day='1' hh='0,1'/></parkpos>", i + 1, 50.0 + i * 0.001, i);
        writeFile("airports/my_thirdparty/EDXX.xml", lf_apf("", stands));
        g_myParkAirports = {MyParkAirport{"EDXX", "", 50.0, 8.0, 0.0}};
        StaticParkingHooks statics;
        statics.beginBusyMode = [this] { busy = true; };
        statics.endBusyMode = [this] { busy = false; };
        g_staticParkingHooks.install(std::move(statics));
        ParkLoadHooks load;
        load.setFeedElevation = gf_setParkAirportElevation;
        g_parkLoadHooks.install(std::move(load));
        g_parkAirportHooks.install(ParkAirportHooks{[this] { return busy; }, [this](const std::string& t) { shown = t; }});
        gf_installStandLearning();
        driver.beforePass = [this] { clock.serve(); }; // the Traffic Reader answers at once
    }
    ~ParkAirportTest() override
    {
        g_staticParkingHooks.install({});
        g_parkAirportHooks.install({});
        g_parkLoadHooks.install({});
        platform::setClock(nullptr);
        gf_resetParkedTraffic();
        gf_resetAirportList();
    }
    // The user aircraft `nm` west of the airport, `heightFt` above the ground (EDXX lies at 300 ft);
    // one call of the handling.
    void flyAt(double nm, double heightFt, bool onGround = false)
    {
        setUser(50.0, 8.0 - nm / 60.0 / std::cos(50.0 * g_deg2rad), heightFt, onGround);
        UserAcData user = gf_copyUserSnapshot();
        user.altitude = heightFt + 300.0;
        gf_setUserSnapshot(user);
        gf_handleParkAirports(false);
    }
    static inline const fs::path learned = "airports/learned/thirdparty/Pub/EDXX.xml";
    static fs::path copyOf(int number) { return fmt::format("airports/learned/thirdparty/Pub/EDXX.{}.xml", number); }
    // A visit to EDXX in which G-EZYA is learned at S4, saved on leaving.
    void visitLearning()
    {
        g_liveAircraft.clear();
        flyAt(15.0, 3000.0);
        flyAt(12.0, 2500.0);
        ASSERT_EQ(g_parkStands.size(), 4u);
        LiveAc& ac = addLive(0x400001, "EZY12", lf_at(0.0, 333.0), FlightState::parked);
        ac.registration = "G-EZYA";
        ASSERT_TRUE(gf_learnStand(StandLearning::real, 4, ac, WeekPoint{1, 0}, true));
        flyAt(21.0, 4000.0);
        ASSERT_TRUE(parkAirport.code.empty());
    }
};

TEST_F(ParkAirportTest, ApproachStayAndDepartureLearnAndReadBackOnTheNextApproach)
{
    flyAt(20.1, 3000.0);
    flyAt(15.0, 18001.0); // in range, too high
    ASSERT_TRUE(parkAirport.code.empty());
    flyAt(15.0, 3000.0);
    EXPECT_EQ(parkAirport.code, "EDXX");
    EXPECT_EQ(shown, "EDXX");
    EXPECT_TRUE(busy && g_recalcParking && g_parkStands.empty());
    flyAt(12.0, 2500.0);
    ASSERT_EQ(g_parkStands.size(), 4u);
    EXPECT_TRUE(busy && g_staticPlan.empty()); // the parked traffic asked for, not waited for
    driver.run(2);                             // a pass takes the answer, the next calculates
    EXPECT_EQ(g_staticPlan.size(), 1u);        // 30 % of 4 without a learned file
    EXPECT_EQ(gf_parkAirportElevationFt(), 300.0);
    ASSERT_TRUE(driver.runUntil([] { return g_staticPlan.empty(); }, 500));
    driver.run(300);
    EXPECT_EQ(std::count_if(sim->objects.begin(), sim->objects.end(), [](const auto& o) { return o.second.reported; }), 1);
    flyAt(2.0, 300.0);
    EXPECT_FALSE(busy);

    // a live aircraft stands at S4 from 00:00 to 01:30 and one rolls to it
    LiveAc& parkedAc = addLive(0x400001, "EZY12", lf_at(0.0, 333.0), FlightState::parked);
    parkedAc.registration = "G-EZYA";
    for (std::uint32_t slot = 0; slot < 4; slot += 3)
        EXPECT_TRUE(gf_learnStand(StandLearning::real, 4, parkedAc, WeekPoint{1, slot}, true));
    addLive(0x400002, "EZY13", lf_at(0.0, 200.0), FlightState::parking).standId = 3;
    MAX_LIVE_SEL.value = 50;
    g_maxLiveGeneral = 500;

    flyAt(21.0, 4000.0); // out of sight
    EXPECT_TRUE(parkAirport.code.empty() && g_parkStands.empty() && shown.empty());
    EXPECT_TRUE(std::all_of(g_staticAircraft.begin(), g_staticAircraft.end(),
                            [](const StaticAc& s) { return s.acState == AcState::removingfromsim; }));
    for (const LiveAc& ac : g_liveAircraft)
        EXPECT_TRUE(ac.acState == AcState::removingfromsim && ac.standId == 0) << ac.callsign;
    EXPECT_EQ(MAX_LIVE_SEL.value, 500);
    EXPECT_TRUE(gf_statusLine().text.ends_with(fmt::format("'{}' saved with 2 updates ", learned.generic_string())))
        << gf_statusLine().text;

    flyAt(15.0, 3000.0);
    flyAt(12.0, 2500.0);
    ASSERT_EQ(g_parkStands.size(), 4u);
    const StandOption& o = g_parkStands[3].options.back();
    EXPECT_EQ(fmt::format("{} {} {} {}", o.reg, o.day, gf_bitset2hours(o.hh), o.fromApf), "G-EZYA 1 0,1,2,3 0");
    gf_removeGroundAndStaticAc(); // nothing learned since: no file written
    EXPECT_FALSE(folder.logHas(fmt::format("'{}' saved with 0 updates ", learned.generic_string())));
}

// One stay, counted at `from` and again at `to`: the options it leaves, "day:half hours" each.
TEST_F(ParkAirportTest, StayFillsOneOptionUpToItsLongestAcrossMidnightAndTheWeeksEnd)
{
    const struct { SizeClass size; bool cargo; WeekPoint from, to; std::string options; } cases[] = {
        {SizeClass::Large, false, {1, 10}, {1, 15}, "1:10,11,12,13,14,15"},
        {SizeClass::Large, false, {1, 10}, {1, 16}, "1:10 1:16"},
        {SizeClass::Heavy, false, {1, 10}, {1, 17}, "1:10,11,12,13,14,15,16,17"},
        {SizeClass::Heavy, false, {1, 10}, {1, 18}, "1:10 1:18"},
        {SizeClass::Heavy, true, {1, 10}, {1, 21}, "1:10,11,12,13,14,15,16,17,18,19,20,21"},
        {SizeClass::Heavy, true, {1, 10}, {1, 22}, "1:10 1:22"},
        {SizeClass::Large, false, {1, 46}, {2, 1}, "1:46,47 2:0,1"},
        {SizeClass::Large, false, {7, 47}, {1, 2}, "7:47 1:0,1,2"},
        {SizeClass::Large, false, {1, 20}, {1, 19}, "1:20 1:19"},
    };
    for (const auto& c : cases) {
        gf_resetParkData();
        g_parkStands.reserve(2);
        addStand(g_origin, 30.0).options.clear();
        g_liveAircraft.clear();
        LiveAc& ac = addLive(0x400001, "EZY12_", g_origin, FlightState::parked);
        ac.sizeClass = c.size;
        ac.cargo = c.cargo;
        gf_learnStand(StandLearning::real, 1, ac, c.from, true);
        gf_learnStand(StandLearning::real, 1, ac, c.to, true);
        std::string text;
        for (const StandOption& o : g_parkStands[0].options)
            text += fmt::format("{}{}:{}", text.empty() ? "" : " ", o.day, gf_bitset2hours(o.hh));
        EXPECT_EQ(text, c.options) << c.from.day << ":" << c.from.slot << " -> " << c.to.day << ":" << c.to.slot;
        EXPECT_EQ(g_parkStands[0].options.front().cs, "EZY12");
    }
}

// In sight means within AIRP_RANGE and at most AIRP_HEIGHT above the ground, for entering the
// airport in the air as for staying at it: above the height it goes as it goes beyond the range.
TEST_F(ParkAirportTest, AnAirportIsOutOfSightAboveItsHeightAsBeyondItsRange)
{
    const struct { int range, height; double nm, heightFt; bool inSight; } cases[] = {
        {20, 18000, 12.0, 18000.0, true}, {20, 18000, 12.0, 18001.0, false}, {20, 10000, 4.0, 10000.0, true},
        {20, 10000, 4.0, 10001.0, false}, {10, 36000, 9.9, 3000.0, true},    {10, 36000, 10.1, 3000.0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(fmt::format("{} nm, {} ft", c.nm, c.heightFt));
        AIRP_RANGE.value = c.range;
        AIRP_HEIGHT.value = c.height;
        flyAt(c.nm, c.heightFt);
        EXPECT_EQ(parkAirport.code == "EDXX", c.inSight) << "entering";
        for (int call = 0; call < 2 && g_parkStands.empty(); ++call)
            flyAt(5.0, 2500.0);
        ASSERT_EQ(g_parkStands.size(), 4u);
        flyAt(c.nm, c.heightFt);
        EXPECT_EQ(parkAirport.code == "EDXX", c.inSight) << "staying";
        gf_removeGroundAndStaticAc();
    }
}

// The Traffic Reader against a local service that holds the parked-traffic answer back: the
// passes go on while the airport is entered, and the plan is made once the answer has come.
TEST_F(ParkAirportTest, EnteringWaitsForTheParkedTrafficOverThePassesNotInOne)
{
    platform::setClock(nullptr); // the reader's own pace, in real time
    g_timeSlot = gf_slotAndWeekdayNow();
    testsupport::RtTestServer server;
    folder.setEnv("TRWK_RT_BASE_URL", server.baseUrl());
    fs::create_directories(g_dataFolder);
    std::ofstream(g_dataFolder / "rt_license.txt") << "ABC-123 key\n";
    gf_resetRtClients();
    g_readerStop = false;
    server.queue("/v4/auth", {200, R"({"status":200,"GUID":"abc","wrrl":2000})"});
    gf_authenticater();
    server.setDefault("/v4/traffic", {200, R"({"status":200,"rrl":1})"});
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(platform::clock().systemNow().time_since_epoch());
    testsupport::ServiceAnswer held{200, nlohmann::json{{"status", 200}, {"data", {{"4b0001", nlohmann::json::array(
        {50.0, 8.0, "S1", "A320", "", now.count(), "DLH1"})}}}}.dump()};
    held.hang = true;
    server.queue("/v4/traffic#parkedtraffic", held);
    gf_startTrafficReader();

    flyAt(15.0, 3000.0); // in sight
    driver.beforePass = [&] {
        if (g_tick == 10)
            flyAt(12.0, 2500.0); // the handling in a pass: stands loaded, the parked traffic asked for
    };
    driver.afterPass = [] { std::this_thread::sleep_for(1ms); };
    ASSERT_TRUE(driver.runUntil([&] { return server.hanging() == 1; }, 20000));
    int passesWaiting = 0; // passes run while the service held the answer and the calculation waited for it
    driver.afterPass = [&] {
        passesWaiting += server.hanging() == 1 && gf_staticCalculationPending() ? 1 : 0;
        std::this_thread::sleep_for(1ms);
    };
    driver.run(200);
    EXPECT_EQ(server.hanging(), 1u);
    EXPECT_EQ(passesWaiting, 200); // the passes went on while the service held the answer
    EXPECT_TRUE(busy && g_staticPlan.empty());
    EXPECT_FALSE(folder.logHas("ParkedTraffic receiving timed out after 10 seconds"));
    server.releaseHanging();
    ASSERT_TRUE(driver.runUntil([] { return !g_staticPlan.empty(); }, 20000));
    EXPECT_EQ(g_staticPlan.size(), 1u);
    EXPECT_EQ(g_staticPlan[0].callsign + " " + gf_standName(g_staticPlan[0].standId), "DLH1 S1");
    g_readerStop = true;
    EXPECT_TRUE(driver.runUntil([] { return g_trafficReaderDone.load(); }, 20000));
}

// Without an answer the calculation waits ten seconds, in busy mode, and goes on with the options.
TEST_F(ParkAirportTest, WithoutAParkedTrafficAnswerTheCalculationGoesOnAfterTenSeconds)
{
    flyAt(15.0, 3000.0);
    flyAt(12.0, 2500.0);
    driver.beforePass = [this] { clock.advance(100ms); }; // the service never answers
    driver.run(100);
    EXPECT_TRUE(busy && g_staticPlan.empty());
    driver.run(2);
    EXPECT_TRUE(folder.logHas("ParkedTraffic receiving timed out after 10 seconds"));
    ASSERT_EQ(g_staticPlan.size(), 1u);
    EXPECT_TRUE(g_staticPlan[0].callsign.empty() && g_staticPlan[0].noRealHexid == 1); // from an option
    EXPECT_TRUE(busy);
}

// With a maximum of no parked aircraft nothing is asked for: the next pass calculates at once.
TEST_F(ParkAirportTest, WithAMaximumOfNoneThePlanIsCalculatedWithoutAskingTheService)
{
    MAX_PARK_SEL.value = 0;
    flyAt(15.0, 3000.0);
    flyAt(12.0, 2500.0);
    ASSERT_EQ(g_parkStands.size(), 4u);
    driver.run(1);
    EXPECT_FALSE(gf_staticCalculationPending());
    EXPECT_EQ(clock.requests, 0);
    EXPECT_TRUE(folder.logHas("no parking positions found"));
    EXPECT_FALSE(busy);
}

// Headings from the parking file (degrees) to the stands, the static aircraft created on them and
// a live arrival driven onto one, as the simulator model shows them; far from 0 and 360 degrees.
TEST_F(ParkAirportTest, StaticsAndArrivalsStandOnTheirStandsHeadingInTheSimulator)
{
    // taxiing north-east, the arrival stops 6 m south of H7 and drives onto it
    LegFeed arrival;
    arrival.identity.hexId = 0x4b1990;
    arrival.start = LatLon{50.003, 7.995};
    arrival.legs = {{50.0, 15.0, 0.0, 45.0}, {10.0, 15.0, -1.5, 45.0}, {60.0, 0.0, 0.0, 45.0}};
    const std::vector<double> headings{123.0, 237.5, 301.0, 95.0, 160.0, 250.0, 237.5};
    std::string stands;
    for (std::size_t i = 0; i < headings.size(); ++i) { // all but the last with an option now
        const bool last = i + 1 == headings.size();
        const LatLon at = last ? lf_at(0.0, 6.0, arrival.endOf(1)) : lf_at(0.0, 100.0 * static_cast<double>(i));
        stands += fmt::format("<parkpos id='H{}' latitude='{:.9f}' longitude='{:.9f}' heading='{}' radius='20'>{}"
                              "</parkpos>", i + 1, at.lat, at.lon, headings[i],
                              last ? "" : fmt::format("<opt reg='D-E{}' airl='EZY' type='A320' day='1' hh='0,1'/>", i));
    }
    writeFile("airports/my_thirdparty/EDXX.xml", lf_apf("", stands));
    CUSTOM_PARKING_PERCENTAGE.value = 100;
    SimScenario scenario = gf_defaultSimScenario();
    scenario.groundAltitudeFt = 0.0;
    scenario.userPath = {{0.0, "stand", 50.0, 7.48, 0.0, true, 90.0, 0}}; // 20 nm west
    const auto model = std::make_shared<SimModel>(scenario);
    gf_setSimConnectBackend(model);
    HSIMCONNECT handle = nullptr;
    SimConnect_Open(&handle, "test", nullptr, 0, nullptr, 0);
    g_hSimConnect = handle;
    gf_registerWithSim();
    flyAt(15.0, 3000.0);
    flyAt(12.0, 2500.0);
    arrival.deliverStartup();
    const auto lt_pass = [&] {
        clock.serve();
        arrival.deliverLoop();
        gf_handleAddingStack();
        model->step();
        SimConnect_CallDispatch(g_hSimConnect, gf_dispatch, nullptr);
    };
    const auto lt_arrivalParked = [&] {
        const LiveAc* ac = gf_findLiveAc(arrival.identity.hexId);
        return ac != nullptr && ac->flightState == FlightState::parked;
    };
    for (int i = 0; i < 30000 && !(lt_arrivalParked() && g_staticPlan.empty()); ++i)
        lt_pass();
    ASSERT_TRUE(lt_arrivalParked());
    for (int i = 0; i < 300; ++i) // the last static created
        lt_pass();
    std::size_t statics = 0;
    for (const SimObjectState& o : model->aiObjects()) {
        const auto lt_nm = [&](const Stand& s) {
            return gf_distanceNm(LatLon{o.lat, o.lon}, LatLon{s.latitude, s.longitude});
        };
        const auto stand = std::min_element(g_parkStands.begin(), g_parkStands.end(),
                                            [&](const Stand& a, const Stand& b) { return lt_nm(a) < lt_nm(b); });
        const double fileHeading = headings[static_cast<std::size_t>(stand - g_parkStands.begin())];
        const bool live = !o.atcId.ends_with('*');
        statics += live ? 0 : 1;
        EXPECT_LE(std::fabs(std::remainder(o.headingDeg - fileHeading, 360.0)), 1.0)
            << o.atcId << " on " << stand->name;
        EXPECT_EQ(live, stand->name == "H7") << o.atcId;
    }
    EXPECT_EQ(statics, 6u);
    gf_setSimConnectBackend(sim);
}

TEST_F(ParkAirportTest, LimitsOfEnteringLeavingRemovingAndLearning)
{
    // two airports at the same distance: the later entry first, and the nearer in sight leaves EDXX
    g_myParkAirports.push_back(MyParkAirport{"EDYY", "", 50.0, 8.0, 0.0});
    gf_sortParkAirports(LatLon{50.0, 7.9});
    EXPECT_EQ(g_myParkAirports.front().code, "EDYY");
    ASSERT_TRUE(gf_setParkAirport("EDXX"));
    EXPECT_FALSE(gf_setParkAirport("ZZZZ"));
    addStand(g_origin, 20.0);
    addLive(0x400001, "DLH1", g_origin, FlightState::taxi).acState = AcState::adding2sim;
    addLive(0x400002, "DLH1", lf_at(0.0, 9000.0), FlightState::flying).acState = AcState::adding2sim;
    g_createDeque = {CreateRequest{{}, "DLH1", "t", 0x400001}, CreateRequest{{}, "DLH1", "t", 0x400002}};
    flyAt(9.0, 3000.0);
    EXPECT_TRUE(parkAirport.code.empty());
    ASSERT_EQ(g_liveAircraft.size(), 1u); // withdrawn by hex id: the flying namesake stays
    EXPECT_EQ(g_createDeque.size(), 1u);

    // a destination far away is first but not in sight; the list is not sorted
    DESTINATION.value.set("EDYY");
    g_myParkAirports = {MyParkAirport{"EDYY", "", 52.0, 8.0, 0.0}, MyParkAirport{"EDXX", "", 50.0, 8.0, 0.0}};
    flyAt(5.0, 3000.0);
    EXPECT_TRUE(parkAirport.code.empty());
    EXPECT_EQ(g_myParkAirports.front().code, "EDYY");

    // a reserved name that no stand has frees no aircraft without a stand
    g_reservedStand.set("X9");
    addLive(0x400003, "DLH3", g_origin, FlightState::parked);
    gf_freeReservedStand();
    EXPECT_EQ(g_liveAircraft.back().acState, AcState::active);

    // learned under the callsign without registration, nothing without both
    gf_resetParkData();
    addStand(g_origin, 20.0);
    LiveAc& ac = g_liveAircraft.back();
    EXPECT_TRUE(gf_learnStand(StandLearning::soft, 1, ac, WeekPoint{1, 5}, false));
    EXPECT_EQ(g_parkStands[0].options.back().reg, "DLH3");
    EXPECT_EQ(g_parkStands[0].options.back().real, 0);
    ac.callsign.clear();
    EXPECT_FALSE(gf_learnStand(StandLearning::real, 1, ac, WeekPoint{1, 5}, false));
    ac.callsign = "DLH3";
    EXPECT_FALSE(gf_learnStand(StandLearning::real, 1, ac, WeekPoint{1, 48}, false));
    EXPECT_TRUE(folder.logHas("===> lt_addStandOption: hh_now: 48, half hour 48"));
}

// A handmade learned file that stores PARK_FAKE on: every visit makes up aircraft for its stands,
// none of which is written back, so each visit finds what the first found.
TEST_F(ParkAirportTest, MadeUpAircraftNeverReachTheLearnedFile)
{
    const std::string stand = "<parkpos id='S1' latitude='50' longitude='8' radius='20'><opt reg='D-E1' airl='EZY' "
                              "type='A320' day='3' hh='0,1'/></parkpos>"; // none on Monday
    writeFile("airports/my_thirdparty/LXXX.xml", lf_apf("", stand)); // made up in the L region
    const fs::path learnedL = "airports/learned/thirdparty/Pub/LXXX.xml";
    writeFile(learnedL, lf_apf("<parameter name='handmade' value='true'/><parameter name='PARK_FAKE' value='true'/>",
                               stand));
    parkAirport.code = "LXXX";
    std::vector<std::string> visits;
    for (int visit = 0; visit < 3; ++visit) {
        ASSERT_EQ(gf_readParkedFile(), "");
        std::string options;
        for (const StandOption& o : g_parkStands.at(0).options)
            options += fmt::format("{}/{}/{}/{}/{} ", o.reg, o.type, o.day, gf_bitset2hours(o.hh), o.real);
        visits.push_back(options);
        ASSERT_TRUE(gf_writeLearnedApf());
    }
    EXPECT_EQ(visits, std::vector<std::string>(3, "D-E1/A320/3/0,1/1 REGFAKE1/B738/1/0/0 "));
    EXPECT_EQ(readFile(learnedL).find("REGFAKE"), std::string::npos);
}

// A parking file named from outside the program's folders learns where the next visit reads it.
TEST_F(ParkAirportTest, LearnedBesideAFileFromOutsideAndReadBack)
{
    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + (folder.path() / "site").string() + "/");
    for (const char* sim : {"MSFS", "MSFS2024"})
        writeFile(fs::path("site") / sim / "elsewhere/EDXX.xml", readFile("airports/my_thirdparty/EDXX.xml"));
    writeFile("airports/my_thirdparty/EDXX.txt", "elsewhere/EDXX.xml");
    parkAirport.code = "EDXX";
    ASSERT_EQ(gf_readParkedFile(), "");
    StandOption& learnt = g_parkStands.at(0).options.emplace_back(g_parkStands[0].options.at(0));
    std::tie(learnt.reg, learnt.fromApf, learnt.optionId, g_learnedUpdates) = std::tuple{"D-LRND", 0, 2, 1};
    ASSERT_TRUE(gf_writeLearnedApf());
    EXPECT_TRUE(fs::exists(learned) && !fs::exists("elsewhere"));
    ASSERT_EQ(gf_readParkedFile(), "");
    EXPECT_EQ(g_parkStands.at(0).options.back().reg, "D-LRND");
}

// EZY12 flies in the live feed while the plan is made, so its option at S2 is not used in this
// visit; the file written on leaving still holds it as it was read, a handmade file with its
// quality factors too. When EZY12 itself parks there, its option takes the half hour: one option.
TEST_F(ParkAirportTest, AnOptionWhoseAircraftIsAboutIsWrittenBackAsItWasRead)
{
    const std::string s1 = "<parkpos id='S1' latitude='50' longitude='8' radius='20'><opt reg='D-E0' airl='EZY' "
                           "type='A320' day='1' hh='0,1'/></parkpos>";
    const std::string s2 = "<parkpos id='S2' latitude='50.001' longitude='8' radius='20'>";
    const std::string option = "<opt reg='G-EZYA' airl='EZY' type='A320' day='1' hh='0,1' cs='EZY12'/>";
    const struct { bool handmade, parks; std::string halfHours, qf; } cases[] = {
        {false, false, "0,1", ""}, {false, true, "0,1,2", ""},
        // each stand scores 20 + 10000 + 100 + 2 x 2, at the weight of its radius: 10124 x 0.00625 = 63.3
        {true, false, "0,1", "<parameter name=\"Qf_real\" value=\"63\" />"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(fmt::format("handmade {}, parks {}", c.handmade, c.parks));
        g_liveAircraft.clear();
        g_staticAircraft.clear();
        g_timeSlot = gf_slotAndWeekdayNow(); // Monday 00:10
        writeFile("airports/my_thirdparty/EDXX.xml", lf_apf("", s1 + s2 + "</parkpos>"));
        writeFile(learned, c.handmade ? lf_apf("<parameter name='handmade' value='true'/>", s1 + s2 + option + "</parkpos>")
                                      : lf_apf("", "<parkpos id='S2'>" + option + "</parkpos>"));
        flyAt(15.0, 3000.0);
        inLiveFeed("400001", "EZY12");
        flyAt(12.0, 2500.0);
        driver.run(2);
        ASSERT_EQ(g_staticPlan.size(), 1u);
        ASSERT_EQ(g_parkStands.at(1).options.at(0).optionId, 0); // in use: not planned in this visit
        g_learnedUpdates = 1; // something learned: the file is written on leaving
        if (c.parks) { // at 01:00
            LiveAc& ac = addLive(0x400001, "EZY12", LatLon{50.001, 8.0}, FlightState::parking);
            ac.registration = "G-EZYA";
            gf_takeStand(ac, g_parkStands[1]);
            g_timeSlot = (std::uint64_t{2} << 32) | 1u;
            checkArrival(ac);
            ASSERT_EQ(ac.flightState, FlightState::parked);
        }
        flyAt(21.0, 4000.0); // out of sight: the file is written
        const std::string text = readFile(learned);
        std::size_t options = 0;
        for (auto at = text.find("reg=\"G-EZYA\""); at != std::string::npos; at = text.find("reg=\"G-EZYA\"", at + 1))
            ++options;
        EXPECT_EQ(options, 1u) << text;
        EXPECT_TRUE(text.find(fmt::format("<opt reg=\"G-EZYA\" airl=\"EZY\" type=\"A320\" day=\"1\" hh=\"{}\" "
                                          "cs=\"EZY12\" />", c.halfHours)) != std::string::npos) << text;
        EXPECT_TRUE(text.find(c.qf) != std::string::npos) << text;
    }
}

// A learned file refused in part, with all ten of its copies taken, outlasts a visit that learned;
// with one name free, it is copied there and the visit's learning saved.
TEST_F(ParkAirportTest, ARefusedLearnedFileWithEveryCopyTakenOutlastsAVisitThatLearned)
{
    const std::string refused = lf_apf("", "<parkpos id='X9'><opt reg='D-X' airl='DLH' type='A320' day='1' hh='1'/>"
                                           "</parkpos>");
    for (const int taken : {10, 9}) {
        SCOPED_TRACE(taken);
        fs::remove_all("airports/learned");
        for (int number = 0; number < taken; ++number)
            writeFile(copyOf(number), "an older version");
        writeFile(learned, refused);
        visitLearning();
        const std::string text = readFile(learned);
        const bool learnt = text.find("G-EZYA") != std::string::npos;
        EXPECT_EQ((std::tuple{text == refused, learnt, readFile(copyOf(9)) == refused}),
                  (std::tuple{taken == 10, taken == 9, taken == 9}));
    }
}

// A copy name taken by a link, dangling or not, or a folder is passed over: the refused file lies
// whole in a regular file at the next name, and the visit's learning is saved.
TEST_F(ParkAirportTest, ACopyNameTakenByALinkOrAFolderIsPassedOver)
{
    const std::string refused = lf_apf("", "<parkpos id='X9'><opt reg='D-X' airl='DLH' type='A320' day='1' hh='1'/>"
                                           "</parkpos>");
    const struct { const char* name; std::function<void(const fs::path&)> take; } cases[] = {
        {"link to the learned file", [](const fs::path& p) { fs::create_symlink(learned.filename(), p); }},
        {"dangling link", [](const fs::path& p) { fs::create_symlink("EDXX.gone.xml", p); }},
        {"folder", [](const fs::path& p) { fs::create_directory(p); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all("airports/learned");
        writeFile(learned, refused);
        c.take(copyOf(0));
        const fs::file_type taken = fs::symlink_status(copyOf(0)).type();
        visitLearning();
        EXPECT_EQ((std::tuple{fs::is_regular_file(fs::symlink_status(copyOf(1))), readFile(copyOf(1)) == refused,
                              readFile(learned).find("G-EZYA") != std::string::npos}),
                  (std::tuple{true, true, true}));
        EXPECT_EQ(fs::symlink_status(copyOf(0)).type(), taken); // left as it was
    }
}

// A learned file over 16 MiB is neither read nor copied: renamed aside whole, it lies beside the
// learned file that the visit saves.
TEST_F(ParkAirportTest, ALearnedFileOver16MiBLiesWholeBesideTheNextOne)
{
    const std::string big =
        lf_apf("<parameter name='MAX_FIT' value='3'/>", "<!--" + std::string(17 << 20, 'x') + "-->");
    writeFile(learned, big);
    struct stat before {};
    ASSERT_EQ(::stat(learned.c_str(), &before), 0);
    MAX_FIT.value = 20;
    visitLearning();
    struct stat after {};
    ASSERT_EQ(::stat(copyOf(0).c_str(), &after), 0);
    EXPECT_EQ((std::tuple{after.st_ino, readFile(copyOf(0)) == big, MAX_FIT.value.load()}),
              (std::tuple{before.st_ino, true, 20}));
    EXPECT_NE(readFile(learned).find("G-EZYA"), std::string::npos);
    EXPECT_FALSE(folder.logHas(fmt::format("Read from learned airport file: '{}'", learned.generic_string())));
}

TEST_F(ParkAirportTest, LearnedFileNeverOverwritesTheUsersFileAndAHandmadeOneIsWrittenWhole)
{
    std::vector<Stand> stands;
    stands.emplace_back("A", std::vector<StandOption>{StandOption{}}, StandPosition{}, 20.0, true, true, true);
    stands.emplace_back("B", std::vector<StandOption>{}, StandPosition{}, 20.0, true, true, true);
    stands[0].options[0].fromApf = 1;
    stands[1].radius_change = true;
    EXPECT_EQ(gf_learnedStands(stands, false).size(), 1u);
    EXPECT_TRUE(gf_learnedStands(stands, false)[0].name == "B");
    EXPECT_EQ(gf_learnedStands(stands, true)[0].options.size(), 1u);

    // a folder that cannot be made fails the save, and the airport is left all the same
    writeFile("airports/learned/thirdparty/Pub", "a file where the folder belongs");
    flyAt(15.0, 3000.0);
    flyAt(12.0, 2500.0);
    g_learnedUpdates = 1;
    flyAt(30.0, 3000.0);
    EXPECT_TRUE(parkAirport.code.empty());
    EXPECT_TRUE(gf_statusLine().text.ends_with(fmt::format("saving '{}' did not succeed", learned.generic_string())));
}

} // namespace
} // namespace traffictest
