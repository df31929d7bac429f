// Static parking at a park airport of twelve stands on Monday just after midnight: the plan from
// parked traffic and stand options, the placement over the passes, and the half-hourly adjustment.
#include "stand_fixture.h"

#include "aircraft/dbase.h"
#include "airports/park_apf.h"
#include "foundation/option_table.h"
#include "foundation/random.h"
#include "traffic/parked_counts.h"
#include "traffic/run_flags.h"
#include "traffic/stand_learning.h"
#include "traffic/stand_names.h"
#include "traffic/stand_option_learning.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_jobs.h"

#include <algorithm>
#include <fmt/format.h>
#include <set>
#include <tuple>

namespace traffictest {
namespace {

// S1 .. S11 100 m apart, S12 30 m beside S11 (neighbours), S10 reserved; at 00:10, half hour 0.
class StaticParkingTest : public StandTest {
protected:
    ServiceClock clock;
    StaticParkingTest()
    {
        platform::setClock(&clock);
        at(10);
        gf_clearFeedIndex();
        g_dbase.halfWingspans["A320"] = g_halfSpanNm;
        parking_percentage.value = 50; // 6 of 12
        for (int i = 0; i < 11; ++i)
            addStand(lf_at(90.0, 100.0 * i), 20.0);
        addStand(lf_at(0.0, 30.0, stand(11)), 20.0);
        g_parkStands[10].neighbours = {12};
        g_parkStands[11].neighbours = {11};
        g_reservedStand.set("S10");
    }
    ~StaticParkingTest() override
    {
        platform::setClock(nullptr);
        gf_resetParkedTraffic();
        gf_clearFeedIndex();
    }
    // The parked traffic asked for, answered by the service and taken by a pass, then the
    // calculation or the adjustment in a pass of its own.
    void receiveParkedTraffic()
    {
        gf_requestParkedTraffic();
        clock.serve();
        gf_locateParkedTraffic();
    }
    void calculate()
    {
        receiveParkedTraffic();
        gf_calculateStaticParking();
    }
    void adjust()
    {
        receiveParkedTraffic();
        gf_adjustParking(false);
    }
    void at(std::int64_t minutes)
    {
        clock.setSystemTime(platform::SystemTime{} + std::chrono::seconds(g_mondayMidnight + minutes * 60));
        g_timeSlot = gf_slotAndWeekdayNow();
    }
    static LatLon stand(int n) { return LatLon{g_parkStands[n - 1].latitude, g_parkStands[n - 1].longitude}; }
    // "cs:cs2" as the parking file writes it
    static StandOption& option(int n, const std::string& cs, const std::string& reg, int day,
                               std::initializer_list<int> slots, int real = 1)
    {
        auto& options = g_parkStands[n - 1].options;
        const auto colon = std::min(cs.find(':'), cs.size());
        StandOption o{"EZY", "A320", reg, cs.substr(0, colon), cs.substr(std::min(colon + 1, cs.size())), {},
                      static_cast<std::int32_t>(options.size() + 1), day, 1, real};
        for (const int slot : slots)
            o.hh.set(static_cast<std::size_t>(slot));
        return options.emplace_back(std::move(o));
    }
    void parked(std::uint32_t hex, const std::string& cs, const std::string& reg, LatLon where, int age)
    {
        const auto slot = static_cast<std::uint32_t>((gf_halfHourSlotNow() - age + 48) % 48);
        clock.answer.push_back({"DLH", "A320", "", "", cs, "", "", reg, 0, where.lat, where.lon, hex, slot, cs});
    }
    static StaticAc& standing(int n, const std::string& cs, const std::string& first, const std::string& second,
                              WeekPoint parkedAt, std::uint32_t noRealHexid = 1)
    {
        const Stand& s = g_parkStands[n - 1];
        StaticAc& ac = g_staticAircraft.emplace_back(AcBase("EZY", "A320", "", "", cs, first, second, ""), s.id,
                                                     s.latitude, s.longitude, s.heading, false);
        ac.hexid = static_cast<std::uint32_t>(g_staticAircraft.size());
        ac.objectId = 500 + ac.hexid;
        ac.acState = AcState::active;
        ac.parkedSlot = {parkedAt.day, parkedAt.slot};
        ac.noRealHexid = noRealHexid;
        return ac;
    }
    static std::vector<std::string> planText()
    {
        std::vector<std::string> text;
        for (const StaticPlanEntry& e : g_staticPlan)
            text.push_back(fmt::format("{} {} {}", gf_standName(e.standId), e.callsign, e.age));
        return text;
    }
    static std::vector<std::string> states()
    {
        std::vector<std::string> text;
        for (const StaticAc& s : g_staticAircraft)
            text.push_back(fmt::format("{} {}", s.callsign, gf_acStateName(s.acState)));
        return text;
    }
};

TEST_F(StaticParkingTest, PlanTakesParkedTrafficThenRealOptionsByFitOffset)
{
    parked(0x400001, "DLH1", "D-AIPX", stand(1), 0);
    parked(0x400002, "DLH2", "", stand(2), 3);
    parked(0x400003, "DLH3", "", stand(3), 0);                   // its hex id flies
    parked(0x400004, "DLH4", "", stand(4), 0);                   // flies as "DLH4_"
    parked(0x400005, "DLH5", "", stand(5), 0);                   // a live aircraft
    parked(0x400006, "DLH6", "", stand(10), 0);                  // on the reserved stand
    parked(0x400007, "DLH7", "", lf_at(180.0, 2000.0), 0);       // no stand there
    parked(0x400009, "DLH9", "", stand(8), 0);                   // newer than the static there
    standing(8, "DLH8*", "DLH8", "", {7, 40}, 0);
    inLiveFeed("400003", "XYZ3");
    inLiveFeed("400014", "DLH4_");
    inLiveFeed("400019", "EZY90");
    addLive(0x400005, "DLH5", lf_at(0.0, 5000.0), FlightState::flying);
    option(3, "EZY30", "", 1, {0});
    option(4, "EZY40", "", 7, {47}); // Sunday's last half hour: one half hour back
    option(5, "EZY50", "", 1, {0}, 0); // soft: not needed
    option(6, "EZY60", "D-AIPX", 1, {0}); // the aircraft stands on S1 already
    option(7, "EZY70:EZY71", "", 1, {0}); // leaves in the next half hour
    option(9, "EZY90", "", 1, {0}); // flies now
    option(11, "EZY110", "", 1, {0});
    option(12, "EZY120", "", 1, {0}); // beside S11
    parking_percentage.value = 58; // 7 of 12
    calculate();
    EXPECT_EQ(planText(), (std::vector<std::string>{"S2 DLH2 3", "S4 EZY40 1", "S1 DLH1 0", "S8 DLH9 0", "S3 EZY30 0",
                                                    "S7 EZY70 0", "S11 EZY110 0"}));
    EXPECT_FALSE(g_staticPlan[5].staysNextSlot);
    EXPECT_EQ(g_removeDeque, (std::deque<std::uint32_t>{501}));
    EXPECT_EQ(g_parkStands[5].options[0].optionId, 0);
    EXPECT_EQ(g_parkStands[8].options[0].optionId, 0);
    EXPECT_TRUE(folder.logHas("          [DLH7      :   400007 DLH7                 , hh:0 ===> no stand for PT "
                              "49.982001,8.000000"));
}

TEST_F(StaticParkingTest, RefusedParkedTrafficLeavesTheOptionsAndRtOnlyTakesAllParkedTraffic)
{
    option(3, "EZY30", "", 1, {0});
    option(4, "EZY40", "", 7, {47});
    option(5, "EZY50", "", 1, {0}, 0);
    parked(0x400001, "DLH1", "", stand(1), 0);
    parked(0x400002, "DLH2", "", stand(2), 5);
    clock.status = 400;
    MAX_FIT.value = 0;
    ASSERT_NO_THROW(calculate());
    EXPECT_EQ(planText(), (std::vector<std::string>{"S3 EZY30 0", "S5 EZY50 0"}));
    EXPECT_TRUE(folder.logHas("2 positions (17% vs wanted 50%, with Max fit=0.5 hours)"));
    clock.status = 0;
    RT_PARKTRAFFIC_ONLY.value = true;
    parking_percentage.value = 5; // one wanted
    calculate();
    EXPECT_EQ(planText(), (std::vector<std::string>{"S2 DLH2 5", "S1 DLH1 0"}));
    RT_PARKTRAFFIC_ONLY.value = false;
    parking_percentage.value = 50;
    WEEK.value = true; // an option of another day fits too
    option(6, "EZY60", "", 3, {0});
    calculate();
    EXPECT_EQ(planText(), (std::vector<std::string>{"S1 DLH1 0", "S3 EZY30 0", "S6 EZY60 0", "S5 EZY50 0"}));
}

TEST_F(StaticParkingTest, OnlyAPlannedParkedAircraftGrowsItsTooSmallStand)
{
    parking_percentage.value = 17; // two wanted
    for (int n = 1; n <= 4; ++n)
        g_parkStands[static_cast<std::size_t>(n - 1)].radius = 10.0 * g_nmPerMetre; // an A320 is 17.9 m
    parked(0x400001, "DLH1", "", lf_at(0.0, 5.0, stand(1)), 0); // planned
    parked(0x400002, "DLH2", "", lf_at(0.0, 5.0, stand(2)), 0); // flies in the live feed
    parked(0x400003, "DLH3", "", lf_at(0.0, 5.0, stand(3)), 0); // a live aircraft
    parked(0x400005, "DLH5", "", stand(5), 0);                  // planned
    parked(0x400004, "DLH4", "", lf_at(0.0, 5.0, stand(4)), 0); // beyond the two wanted
    inLiveFeed("400002", "XYZ2");
    addLive(0x400003, "DLH3", lf_at(0.0, 5000.0), FlightState::flying);
    calculate();
    EXPECT_EQ(planText(), (std::vector<std::string>{"S1 DLH1 0", "S5 DLH5 0"}));
    std::vector<long> radii;
    for (int n = 1; n <= 4; ++n)
        radii.push_back(std::lround(g_parkStands[static_cast<std::size_t>(n - 1)].radius / g_nmPerMetre * 10.0));
    EXPECT_EQ(radii, (std::vector<long>{169, 100, 100, 100}));
}

TEST_F(StaticParkingTest, ALearnedOptionHasAnIdOfItsOwnThatItsStayKeeps)
{
    gf_installStandLearning();
    option(1, "EZY1", "G-EZYA", 1, {0});
    option(1, "EZY2", "G-EZYB", 1, {0}).optionId = 0; // in use: disabled by the fit
    StandOption& learnt = option(1, "EZY3", "G-EZYC", 1, {0});
    std::tie(learnt.fromApf, learnt.optionId) = std::tuple{0u, 0}; // learned in an earlier visit, in use too
    addLive(0x400001, "DLH7", stand(1), FlightState::parked);
    addLive(0x400002, "EZY3", stand(1), FlightState::parked); // the aircraft of the disabled one
    LiveAc& ac = *gf_findLiveAc(0x400001);                    // the list may have moved: looked up after
    LiveAc& own = *gf_findLiveAc(0x400002);
    ac.registration = "D-AIPX";
    own.registration = "G-EZYC";
    for (LiveAc* x : {&ac, &own}) {
        ASSERT_TRUE(gf_learnStand(StandLearning::real, 1, *x, WeekPoint{1, 0}, true));
        ASSERT_TRUE(gf_learnStand(StandLearning::real, 1, *x, WeekPoint{1, 1}, true)); // the stay goes on
    }
    std::vector<std::string> options;
    for (const StandOption& o : g_parkStands[0].options)
        options.push_back(fmt::format("{} {} {} {}", o.optionId, o.reg, gf_bitset2hours(o.hh), o.cs2));
    // the new option's id is its place in the list, as the adjustment numbers the options; a learned
    // option disabled for its aircraft takes its place back when that aircraft stands there
    EXPECT_EQ(options, (std::vector<std::string>{"1 G-EZYA 0 ", "0 G-EZYB 0 ", "3 G-EZYC 0,1 ", "4 D-AIPX 0,1 "}));
}

TEST_F(StaticParkingTest, ParkedTrafficPreparedInThePhaseBeforeIsUsedOnceAndAgedByTheHalfHourSince)
{
    parked(0x400001, "DLH1", "", stand(1), 0);
    receiveParkedTraffic();
    at(40);
    gf_adjustParking(false);
    EXPECT_EQ(planText(), (std::vector<std::string>{"S1 DLH1 1"}));
    gf_adjustParking(false); // none asked for since: no parked traffic, and no waiting for it
    EXPECT_EQ(planText(), (std::vector<std::string>{}));
    EXPECT_EQ(clock.requests, 1);
}

TEST_F(StaticParkingTest, OfMoreFittingStandsThanWantedChanceChoosesAndEachAircraftOnce)
{
    parking_percentage.value = 25;
    for (int n = 1; n <= 12; ++n)
        option(n, fmt::format("EZY{}", n), fmt::format("G-EZY{}", n % 5), 1, {0}); // one aircraft on two stands
    std::set<std::vector<std::string>> plans;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        gf_randomGenerator().seed(seed);
        calculate();
        std::set<std::string> registrations;
        for (const StaticPlanEntry& e : g_staticPlan)
            registrations.insert(e.registration);
        EXPECT_EQ(registrations.size(), 3u);
        plans.insert(planText());
    }
    EXPECT_GT(plans.size(), 1u);
}

TEST_F(StaticParkingTest, PlacementEveryFiftyPassesUnderTheDisplayedCallsign)
{
    addLive(0x400001, "DLH1", stand(11), FlightState::parked).standId = 11;
    g_staticPlan = {{0, 1, 3, 0, "EZY", "A320", "EZY7", "EZY8", "", false},
                    {0, 1, 12, 0, "EZY", "A320", "EZY1", "", "", true}, // beside the live aircraft
                    {0x400002, 0, 2, 0, "DLH", "A320", "DLH3_", "", "D-AIPX", true},
                    {0, 1, 1, 2, "DLH", "A320", "", "", "", true}};
    gf_setStaticSerial(9998);
    standing(6, "EZY60*", "EZY60", "", {1, 0}); // hex id 1, passed over
    ASSERT_TRUE(driver.runUntil([] { return g_staticPlan.empty() && g_staticCreateDeque.empty(); }, 300));
    std::vector<std::string> created;
    for (std::size_t i = 0; i < sim->creates.size(); ++i) // the frame after each 50th pass
        created.push_back(fmt::format("{} {} {}", sim->creates[i].callsign, sim->creates[i].hexId,
                                      sim->createTicks[i]));
    EXPECT_EQ(created, (std::vector<std::string>{"DLH9999* 9999 51", "DLH3* 0 101", "EZY8* 2 201"}));
    EXPECT_EQ(gf_findStaticAc(9999)->parkedSlot, (std::pair<std::uint32_t, std::uint32_t>{7, 46}));
    EXPECT_EQ(gf_findStaticAc(0)->realHexid, 0x400002u);
    driver.run(300);
    EXPECT_EQ(states(),
              (std::vector<std::string>{"EZY60* active", "DLH9999* active", "DLH3* active", "EZY8* active"}));
}

TEST_F(StaticParkingTest, HalfHourLaterStaticsAreKeptReplacedRemovedAndAdded)
{
    option(3, "EZY30", "", 1, {0, 1, 2});
    option(4, "EZY40", "", 1, {0});
    option(5, "EZY50", "", 7, {46});
    option(7, "EZY70:EZY71", "", 1, {0, 1});
    option(8, "EZY80", "", 1, {1});
    option(9, "EZY90", "", 1, {0, 1});
    standing(3, "EZY30*", "EZY30", "", {1, 0});         // kept
    standing(4, "OLD4*", "OLD4", "", {1, 0}).acState = AcState::removingfromsim; // going already
    standing(4, "EZY40*", "EZY40", "", {1, 0});         // a newer parked aircraft takes the stand
    standing(5, "EZY50*", "EZY50", "", {7, 46});        // its half hour is over
    standing(7, "EZY70*", "EZY70", "EZY71", {1, 0});    // leaves in the next half hour
    standing(9, "EZY90*", "EZY90", "", {1, 0});         // the real one flies now
    standing(2, "BAW9*", "BAW9", "", {7, 47}, 0);       // parked traffic, seen before midnight
    at(40);
    parked(0x400002, "DLH2", "", stand(4), 0);
    parked(0x400008, "BAW8", "", stand(2), 1); // seen after midnight
    inLiveFeed("400019", "EZY90");
    MAX_FIT.value = 1;
    adjust();
    EXPECT_EQ(planText(), (std::vector<std::string>{"S2 BAW8 1", "S7 EZY70 1", "S4 DLH2 0", "S8 EZY80 0"}));
    EXPECT_EQ(states(), (std::vector<std::string>{"EZY30* active", "OLD4* removingfromsim", "EZY40* removingfromsim",
                                                  "EZY50* removingfromsim", "EZY70* removingfromsim",
                                                  "EZY90* removingfromsim", "BAW9* removingfromsim"}));
    EXPECT_EQ(g_removeDeque, (std::deque<std::uint32_t>{507, 503, 504, 506, 505}));
    ASSERT_TRUE(driver.runUntil([] { return g_staticPlan.empty() && g_staticCreateDeque.empty(); }, 1000));
    std::vector<std::string> created;
    for (const CreateRequest& c : sim->creates)
        created.push_back(c.callsign);
    EXPECT_EQ(created, (std::vector<std::string>{"EZY80*", "DLH2*", "EZY71*", "BAW8*"}));
    const auto departing = std::find_if(g_staticAircraft.begin(), g_staticAircraft.end(),
                                        [](const StaticAc& s) { return s.callsign == "EZY71*"; });
    ASSERT_NE(departing, g_staticAircraft.end());
    EXPECT_EQ(departing->parkedSlot, (std::pair<std::uint32_t, std::uint32_t>{1, 0})); // its old parked point
}

TEST_F(StaticParkingTest, TrimToWantedRemovesEachKeptStaticOnce)
{
    parking_percentage.value = 17; // two wanted
    option(1, "EZY1", "", 1, {1});
    option(2, "EZY2", "", 1, {1});
    option(3, "EZY3", "", 1, {1});
    standing(1, "EZY1*", "EZY1", "", {1, 0});
    standing(2, "EZY2*", "EZY2", "", {7, 47});
    standing(3, "EZY3*", "EZY3", "", {7, 46});
    addLive(0x400001, "DLH1", stand(5), FlightState::parked).standId = 5;
    at(40);
    adjust();
    EXPECT_EQ(states(), (std::vector<std::string>{"EZY1* active", "EZY2* removingfromsim", "EZY3* removingfromsim"}));
    EXPECT_EQ(g_liveAircraft[0].acState, AcState::active);
}

TEST(WantedParkedCount, ByMaximumStandsAndPercentage)
{
    struct Case {
        std::int32_t maxSel, stands, custom, percent, wanted;
    };
    const Case cases[] = {{0, 10, -1, 30, 0},   {10, 0, -1, 30, 1},    {10, 1, -1, 90, 1},   {10, 3, -1, 49, 1},
                          {10, 2, -1, 50, 1},   {10, 3, -1, 50, 2},    {10, 4, -1, 30, 1},   {500, 300, -1, 30, 90},
                          {50, 300, -1, 30, 50}, {500, 300, 40, 30, 120}, {500, 300, 0, 30, 0}};
    for (const Case& c : cases) {
        gf_resetParkData();
        for (std::int32_t i = 0; i < c.stands; ++i)
            g_parkStands.emplace_back("S", std::vector<StandOption>{}, StandPosition{}, 20.0, true, true, true);
        MAX_PARK_SEL.value = c.maxSel;
        CUSTOM_PARKING_PERCENTAGE.value = c.custom;
        parking_percentage.value = c.percent;
        EXPECT_EQ(gf_wantedParkedCount(), c.wanted) << c.maxSel << " " << c.stands << " " << c.custom;
    }
    gf_resetParkData();
    gf_resetOptions();
}

} // namespace
} // namespace traffictest
