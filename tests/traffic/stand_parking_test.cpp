// Stands for live aircraft at a park airport: an arrival parks and pushes back, the arrival check,
// two arrivals for one stand, static aircraft making way, the maximum parked, a spawn at a stand,
// and the search and choice rules.
#include "leg_feed.h"
#include "stand_fixture.h"

#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "foundation/option_table.h"
#include "foundation/random.h"
#include "simlink/object_list.h"
#include "simlink/sim_ids.h"
#include "traffic/feed_intake.h"
#include "traffic/park_airport.h"
#include "traffic/parked_counts.h"
#include "traffic/run_flags.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_learning.h"
#include "traffic/stand_parking.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <algorithm>
#include <fmt/format.h>
#include <functional>
#include <numbers>
#include <set>
#include <string_view>
#include <tuple>

namespace traffictest {
namespace {

TEST_F(StandTest, ArrivalLandsTaxisParksAndPushesBackFromItsStand)
{
    LegFeed feed;
    feed.legs = {{2000.0 / 700.0 * 60.0, 140.0, 0.0, 90.0, 2000.0, -700.0}, {40.0, 140.0, -3.0, 90.0},
                 {20.0, 20.0, 0.0, 90.0}, {30.0, 10.0, 0.0, 0.0}, {150.0, 0.0, 0.0, 0.0}, {60.0, 3.0, 0.0, 180.0}};
    parkAirport = Airport{"EDXX", "", feed.endOf(0).lat, feed.endOf(0).lon, 0.0};
    gf_setParkAirportElevation(0.0);
    Stand& stand = addStand(lf_at(0.0, 6.0, feed.endOf(3)), 20.0, cargo, 10.0);
    std::vector<StandLearning> learned;
    g_addStandOption = [&](StandLearning kind, std::uint32_t, LiveAc&, WeekPoint, bool) {
        return learned.push_back(kind), true;
    };
    feed.deliverStartup();
    double parkedOffMetres = -1.0;
    int parkedUnmarked = 0;
    bool approach = false;
    std::vector<std::uint32_t> flareStages;
    driver.beforePass = [&] { feed.deliverLoop(); };
    driver.afterPass = [&] {
        const LiveAc* ac = gf_findLiveAc(feed.identity.hexId);
        if (ac == nullptr)
            return;
        approach = approach || ac->approach;
        if (ac->flareStage != 0 && (flareStages.empty() || flareStages.back() != ac->flareStage))
            flareStages.push_back(ac->flareStage);
        if (ac->flightState != FlightState::parked || ac->departurePending)
            return;
        if (parkedOffMetres < 0.0)
            parkedOffMetres = gf_distanceNm(LatLon{ac->position[POS_LAT], ac->position[POS_LON]},
                                            LatLon{stand.latitude, stand.longitude}) * 1852.0;
        parkedUnmarked += stand.liveOccupied ? 0 : 1;
    };
    ASSERT_TRUE(driver.runUntil(
        [&] { return gf_findLiveAc(feed.identity.hexId)->flightState == FlightState::pushing_back; }, 60000));
    EXPECT_TRUE(parkedOffMetres >= 0.0 && parkedOffMetres <= 2.0) << parkedOffMetres;
    EXPECT_EQ(parkedUnmarked, 0); // marked from the arrival until the departure
    EXPECT_TRUE(approach);
    EXPECT_EQ(flareStages, (std::vector<std::uint32_t>{1, 2, 3, 4}));
    const std::uint32_t id = sim->objectOfHex(feed.identity.hexId)->id;
    const auto events = sim->eventsOf(id);
    const auto lt_sent = [&](std::uint32_t eventId, std::uint32_t value, std::size_t from = 0) {
        return std::any_of(events.begin() + static_cast<std::ptrdiff_t>(from), events.end(),
                           [&](const ClientEvent& e) { return e.eventId == eventId && e.value == value; });
    };
    // approach power, landing flaps and spoilers; idle in the flare; cleaned up off the runway; engines off
    EXPECT_TRUE(lt_sent(EVENT_THROTTLE_SET, 4914) && lt_sent(EVENT_THROTTLE_SET, 0));
    EXPECT_TRUE(lt_sent(EVENT_SPOILERS_SET, 16383) && lt_sent(EVENT_SPOILERS_SET, 0));
    const auto landingFlaps = std::find_if(events.begin(), events.end(), [](const ClientEvent& e) {
        return e.eventId == EVENT_FLAPS_SET && e.value == 16383;
    });
    ASSERT_NE(landingFlaps, events.end());
    EXPECT_TRUE(lt_sent(EVENT_FLAPS_SET, 0, static_cast<std::size_t>(landingFlaps - events.begin())));
    EXPECT_TRUE(lt_sent(EVENT_ENGINE_AUTO_SHUTDOWN, 0));
    const auto& track = sim->positions[id];
    for (std::size_t i = 1; i < track.size(); ++i)
        ASSERT_TRUE(finitePosition(track[i]) && track[i].altitude >= 0.0 &&
                    track[i].altitude <= track[i - 1].altitude + 1e-6) << "at " << i;
    // a passenger aircraft on a cargo stand: the stand serves passengers too and it is learned there
    EXPECT_FALSE(stand.cargo);
    EXPECT_TRUE(stand.cargo_change);
    EXPECT_EQ(g_learnedUpdates, 1u);
    EXPECT_EQ(learned, (std::vector<StandLearning>{StandLearning::real, StandLearning::real})); // arrival, departure
    EXPECT_FALSE(stand.liveOccupied);
}

TEST_F(StandTest, ArrivalTurnsOntoItsStandHeadingWithoutAJump)
{
    // taxiing east, it stops 6 m south of the stand and drives onto it; stands facing every way
    for (const double standDeg : {90.0, 150.0, 237.0, 300.0, 20.0}) {
        SCOPED_TRACE(standDeg);
        restart();
        g_parkStands.clear();
        LegFeed feed;
        feed.identity.hexId = 0x4b1900 + static_cast<std::uint32_t>(standDeg);
        feed.legs = {{60.0, 15.0, 0.0, 90.0}, {10.0, 15.0, -1.5, 90.0}, {60.0, 0.0, 0.0, 90.0}};
        parkAirport = Airport{"EDXX", "", feed.start.lat, feed.start.lon, 0.0};
        g_parkAirportLoaded = true;
        const Stand& stand = addStand(lf_at(0.0, 6.0, feed.endOf(1)), 20.0, gate, standDeg);
        feed.deliverStartup();
        driver.beforePass = [&] { feed.deliverLoop(); };
        const auto lt_parked = [&] {
            const LiveAc* ac = gf_findLiveAc(feed.identity.hexId);
            return ac != nullptr && ac->flightState == FlightState::parked;
        };
        ASSERT_TRUE(driver.runUntil(lt_parked, 20000));
        const LiveAc& ac = *gf_findLiveAc(feed.identity.hexId);
        ASSERT_EQ(ac.standId, stand.id);
        driver.run(200);
        const auto& track = sim->positions[ac.objectId];
        ASSERT_GE(track.size(), 2u);
        EXPECT_LE(std::fabs(std::remainder(track.back().heading * g_rad2deg - standDeg, 360.0)), 1.0);
        double largestTurn = 0.0; // in one pass, degrees
        for (std::size_t i = 1; i < track.size(); ++i) {
            const double turn = std::remainder((track[i].heading - track[i - 1].heading) * g_rad2deg, 360.0);
            largestTurn = std::max(largestTurn, std::fabs(turn));
        }
        EXPECT_LE(largestTurn, ac.baseTurnStep * g_rad2deg + 1e-9);
    }
}

TEST_F(StandTest, ArrivalFartherThanTwoMetresFromItsStandTaxisAgain)
{
    for (const auto& [metres, parks] : {std::pair{1.9, true}, std::pair{3.0, false}}) {
        g_liveAircraft.clear();
        g_parkStands.clear();
        Stand& stand = addStand(g_origin, 20.0);
        LiveAc& ac = addLive(0x400001, "DLH1", lf_at(90.0, metres), FlightState::parking);
        gf_takeStand(ac, stand);
        checkArrival(ac);
        EXPECT_EQ(ac.flightState, parks ? FlightState::parked : FlightState::taxi) << metres;
        EXPECT_EQ(stand.liveOccupied, parks) << metres;
    }
}

// The hold taken at the stand's position ends as the arrival goes back to taxi or leaves; an
// arrival whose stand another live aircraft holds is removed and leaves that hold alone.
TEST_F(StandTest, TheHoldOfAnArrivalEndsWithItsParkingAndIsItsOwn)
{
    const std::tuple<const char*, double, std::function<void(LiveAc&)>, FlightState, AcState, bool> cases[] = {
        // name, metres off the stand, what happens, then: its flight state, its state, the stand marked
        {"parks", 1.9, checkArrival, FlightState::parked, AcState::active, true},
        {"ends 3 m off", 3.0, checkArrival, FlightState::taxi, AcState::active, false},
        {"its feed shows it 200 m off", 0.0,
         [](LiveAc& ac) {
             FeedSample s = ac.samples.front();
             std::tie(s.lat, s.lon) = std::pair{lf_at(0.0, 200.0).lat, lf_at(0.0, 200.0).lon};
             checkExtendingSituations(ac, s);
         },
         FlightState::taxi, AcState::active, false},
        {"removed", 0.0, [](LiveAc& ac) { removeAircraftFromSim(ac); }, FlightState::parking,
         AcState::removingfromsim, false},
        {"held by another", 0.0, checkArrival, FlightState::parking, AcState::removingfromsim, true}};
    for (const auto& [name, metres, then, state, acState, marked] : cases) {
        g_liveAircraft.clear();
        g_parkStands.clear();
        Stand& stand = addStand(g_origin, 20.0);
        addLive(0x400001, "DLH1", lf_at(90.0, metres), FlightState::parking);
        addLive(0x400002, "DLH2", g_origin, FlightState::parked); // the list may move: both looked up after
        LiveAc& ac = *gf_findLiveAc(0x400001);
        LiveAc& other = *gf_findLiveAc(0x400002);
        gf_takeStand(ac, stand);
        if (std::string_view(name) == "held by another")
            gf_occupyStand(other, stand);
        gf_holdReachedStand(ac);
        then(ac);
        EXPECT_EQ((std::tuple{ac.flightState, ac.acState, stand.liveOccupied}), (std::tuple{state, acState, marked}))
            << name;
    }
}

TEST_F(StandTest, AParkedAircraftTheSimulatorRemovesLeavesItsStandFree)
{
    Stand& stand = addStand(g_origin, 20.0);
    LiveAc& ac = addLive(0x400001, "DLH1", g_origin, FlightState::parked);
    gf_takeStand(ac, stand);
    gf_occupyStand(ac, stand);
    ASSERT_TRUE(stand.liveOccupied);
    gf_pushObjectListEntry({ac.objectId, 0, 0, OBJ_REMOVED, 0.0, 0.0}); // not asked for by us
    gf_processObjectList();
    EXPECT_EQ(gf_findLiveAc(0x400001), nullptr);
    EXPECT_FALSE(stand.liveOccupied);
}

TEST_F(StandTest, OfTwoArrivalsForOneStandTheSecondIsRemovedOnce)
{
    const Stand& stand = addStand(g_origin, 20.0);
    addLive(0x400001, "DLH1", lf_at(270.0, 8.0), FlightState::taxi);
    addLive(0x400002, "DLH2", lf_at(90.0, 12.0), FlightState::taxi);
    for (LiveAc& ac : g_liveAircraft)
        try2Park(ac, false);
    ASSERT_TRUE(g_liveAircraft[0].standId == stand.id && g_liveAircraft[1].standId == stand.id);
    driver.run(2000);
    EXPECT_EQ(g_liveAircraft[0].flightState, FlightState::parked);
    EXPECT_EQ(g_liveAircraft[1].acState, AcState::removingfromsim);
    EXPECT_EQ(std::count(sim->removals.begin(), sim->removals.end(), g_liveAircraft[1].objectId), 1);
    EXPECT_TRUE(stand.liveOccupied);
    gf_resetTrafficState(); // the next run
    EXPECT_FALSE(stand.liveOccupied);
}

// An arrival at its stand's position turns half round onto the stand's heading (some 26 s for an
// A320); meanwhile another live aircraft looks for a stand there and must not get this one.
TEST_F(StandTest, AnArrivalTurningOntoItsStandHoldsItAgainstASpawnAndASearch)
{
    for (const bool spawn : {true, false}) {
        SCOPED_TRACE(spawn ? "spawned standing on it" : "stopped taxiing beside it");
        restart();
        g_parkStands.clear();
        parkAirport = Airport{"EDXX", "", g_origin.lat, g_origin.lon, 0.0};
        g_parkAirportLoaded = true;
        const Stand& stand = addStand(g_origin, 20.0, gate, 180.0);
        LiveAc& arrival = addLive(0x400001, "DLH1", lf_at(180.0, 8.0), FlightState::taxi); // facing north
        try2Park(arrival, false);
        const auto lt_metresOff = [&](const LiveAc& ac) {
            return gf_distanceNm(LatLon{ac.position[POS_LAT], ac.position[POS_LON]}, g_origin) * 1852.0;
        };
        ASSERT_TRUE(driver.runUntil([&] { return lt_metresOff(arrival) < 0.1; }, 2000)); // at the stand's position
        driver.run(100);
        ASSERT_EQ(arrival.flightState, FlightState::parking);
        if (spawn) {
            Trajectory other = trackOf(0x400002, "DLH2", stand.latitude, stand.longitude);
            std::tie(other.groundSpeedKt, other.altitudeFt) = std::pair{0.0, 0.0};
            for (std::uint32_t i = 0; i < 2; ++i) { // standing reports are taken 15 s apart at the least
                FeedRecord r = other.at(other.startTime + 20.0 * i);
                r.sample.dueTick = g_tick + 400 + 500 * i;
                gf_applyFeedRecord(r);
            }
        } else { // 5 m north of the stand, already on its heading: it would be there first
            LiveAc& other = addLive(0x400002, "DLH2", lf_at(0.0, 5.0), FlightState::taxi);
            other.position[POS_HEADING] = std::numbers::pi;
            try2Park(other, false);
        }
        ASSERT_TRUE(driver.runUntil([&] {
            const LiveAc& ac = *gf_findLiveAc(0x400001);
            return ac.flightState != FlightState::parking || ac.acState != AcState::active;
        }, 5000));
        const LiveAc& first = *gf_findLiveAc(0x400001);
        const LiveAc* second = gf_findLiveAc(0x400002);
        EXPECT_EQ((std::tuple{first.flightState, first.acState}), (std::tuple{FlightState::parked, AcState::active}));
        ASSERT_NE(second, nullptr);
        EXPECT_NE(second->standId, stand.id);
        EXPECT_TRUE(stand.liveOccupied);
    }
}

// An aircraft that let go of its stand (its push-back began; the stand's id stays with it) and
// comes back into the simulator beside it, standing, while another aircraft is parked there: it
// takes the free stand in reach, and the one parked on its old stand stays.
TEST_F(StandTest, AStandLetGoIsNotTakenBackAtASpawn)
{
    Stand& old = addStand(lf_at(270.0, 15.0), 20.0, gate, 90.0);
    const Stand& free = addStand(lf_at(90.0, 15.0), 20.0, gate, 90.0);
    addLive(0x400001, "DLH1", lf_at(270.0, 15.0), FlightState::parked);
    addLive(0x400002, "BAW2", lf_at(270.0, 15.0), FlightState::parked);
    LiveAc& ac = *gf_findLiveAc(0x400001);
    LiveAc& parked = *gf_findLiveAc(0x400002);
    gf_takeStand(ac, old);
    gf_occupyStand(ac, old);
    gf_setFlightState(ac, FlightState::pushing_back);
    gf_releaseStand(ac);
    ASSERT_EQ(ac.standId, old.id);
    gf_takeStand(parked, old);
    gf_occupyStand(parked, old);
    // it left the simulator for another livery and its feed shows it standing between both stands
    std::tie(ac.acState, ac.objectId, ac.liveryTitle) = std::tuple{AcState::buffer, 0u, ""};
    gf_setFlightState(ac, FlightState::birth);
    FeedSample here = ac.samples.front();
    std::tie(here.lat, here.lon, here.dueTick) = std::tuple{g_origin.lat, g_origin.lon, g_tick.load()};
    ac.samples = {here, here};
    ac.samples.back().dueTick += 500;
    const std::uint32_t parkedObject = parked.objectId;

    ASSERT_TRUE(driver.runUntil([] { return gf_findLiveAc(0x400001)->acState == AcState::active; }, 1000));
    const LiveAc& back = *gf_findLiveAc(0x400001);
    const LiveAc& stayed = *gf_findLiveAc(0x400002);
    EXPECT_EQ((std::tuple{back.flightState, back.standId}), (std::tuple{FlightState::parked, free.id}));
    EXPECT_EQ((std::tuple{stayed.acState, stayed.flightState, stayed.standId}),
              (std::tuple{AcState::active, FlightState::parked, old.id}));
    EXPECT_EQ(std::count(sim->removals.begin(), sim->removals.end(), parkedObject), 0);
    EXPECT_TRUE(old.liveOccupied && free.liveOccupied);
}

TEST_F(StandTest, StaticAircraftMakeWayInEachOfTheirStates)
{
    Stand& target = addStand(g_origin, 20.0);
    addStand(lf_at(90.0, 30.0), 20.0); // closer than 1.1 x both half wingspans
    addStand(lf_at(270.0, 45.0), 20.0);
    target.neighbours = {2, 3};
    addStatic(1, target, AcState::active);
    addStatic(2, target, AcState::adding2sim);
    g_staticCreateDeque.push_back(CreateRequest{{}, "BAW", "Airbus A320", 2});
    addStatic(3, target, AcState::adding2sim); // its request went to the simulator
    addStatic(4, target, AcState::buffer);
    addStatic(5, g_parkStands[1], AcState::active);
    addStatic(6, g_parkStands[2], AcState::active);
    LiveAc& ac = addLive(0x400001, "DLH1", lf_at(270.0, 5.0), FlightState::taxi);
    try2Park(ac, false);
    std::vector<std::uint32_t> left;
    for (const StaticAc& s : g_staticAircraft)
        left.push_back(s.hexid);
    EXPECT_EQ(left, (std::vector<std::uint32_t>{1, 3, 5, 6}));
    EXPECT_TRUE(g_staticCreateDeque.empty());
    EXPECT_TRUE(gf_findStaticAc(3)->removeWhenCreated);
    EXPECT_EQ(g_removeDeque, (std::deque<std::uint32_t>{501, 505})); // not the one on the far neighbour
}

TEST_F(StandTest, MaximumParkedRemovesTheLongestParkedThenTheOldestStatic)
{
    struct Case {
        const char* name;
        int liveParked;
        bool initialLoadOnly;
        std::vector<std::uint32_t> removedHex;
    };
    const Case cases[] = {
        {"six live", 5, false, {0x400003}},
        {"initial load only", 5, true, {}},
        {"four live and two statics", 3, false, {1}}, // the static parked on Sunday is older
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAircraft.clear();
        g_staticAircraft.clear();
        g_parkStands.clear();
        g_removeDeque.clear();
        for (int i = 0; i < 17; ++i)
            addStand(lf_at(0.0, 100.0 * i), 20.0);
        MAX_PARK_SEL.value = 5;
        ASSERT_EQ(gf_wantedParkedCount(), 5); // 30 % of 17 stands
        INITIAL_LOAD_ONLY.value = c.initialLoadOnly;
        g_timeSlot = (std::uint64_t{2} << 32) | 1u; // Monday 01:00
        for (int i = 0; i < c.liveParked; ++i) {
            LiveAc& ac = addLive(0x400001 + i, "DLH" + std::to_string(i), g_origin, FlightState::parked);
            ac.arrivalTime = i == 2 ? 1 : 10 + i; // the third has stood longest
        }
        if (c.liveParked == 3) {
            addStatic(1, g_parkStands[10], AcState::active).parkedSlot = {7, 47};
            addStatic(2, g_parkStands[11], AcState::active).parkedSlot = {1, 0};
            EXPECT_EQ(gf_countStaticAcInSim(true), 2);
            EXPECT_FLOAT_EQ(g_meanStaticParkedHours, 1.75f); // (3 + 2) / (2 x 2) + 0.5, across the week's end
        }
        LiveAc& arriving = addLive(0x400010, "DLH10", lf_at(0.0, 1500.0), FlightState::parking);
        gf_takeStand(arriving, g_parkStands[15]);
        checkArrival(arriving);
        ASSERT_EQ(arriving.flightState, FlightState::parked);
        std::vector<std::uint32_t> removed;
        const auto lt_note = [&](const AcRecord& r) {
            if (r.acState == AcState::removingfromsim)
                removed.push_back(r.hexid);
        };
        std::for_each(g_liveAircraft.begin(), g_liveAircraft.end(), lt_note);
        std::for_each(g_staticAircraft.begin(), g_staticAircraft.end(), lt_note);
        EXPECT_EQ(removed, c.removedHex);
    }
}

TEST_F(StandTest, ParkedAircraftBeyondTheMaximumDoNotComeAndGo)
{
    for (int i = 0; i < 17; ++i)
        addStand(lf_at(0.0, 100.0 * i), 20.0);
    MAX_PARK_SEL.value = 5;
    ASSERT_EQ(gf_wantedParkedCount(), 5);
    // five stand parked from the start, a sixth is reported from 60 s on
    SyntheticFeed feed;
    for (std::uint32_t i = 0; i < 6; ++i) {
        Trajectory t = trackOf(0x4c0001 + i, fmt::format("DLH{}", 10 + i), g_parkStands[i].latitude,
                               g_parkStands[i].longitude);
        std::tie(t.groundSpeedKt, t.altitudeFt, t.registration) = std::tuple{0.0, 0.0, ""};
        feed.tracks.push_back(t);
    }
    const Trajectory late = feed.tracks.back();
    feed.tracks.pop_back();
    feed.deliverStartup();
    driver.beforePass = [&] {
        if (g_tick == 6000)
            feed.tracks.push_back(late);
        feed.deliverLoop();
    };
    driver.run(30000);
    std::set<std::uint32_t> created;
    for (const CreateRequest& c : sim->creates)
        created.insert(c.hexId);
    EXPECT_EQ((std::tuple{sim->creates.size(), created.size()}), (std::tuple{6u, 6u})) << "one came back";
    ASSERT_EQ(sim->removals.size(), 1u); // the longest parked made way for the sixth
    EXPECT_EQ(gf_countParkedLiveAc(false), 5);
    EXPECT_EQ(sim->objectOfHex(late.hexId)->removed, false);
    // with room for one more it comes back
    MAX_PARK_SEL.value = 6;
    parking_percentage.value = 40;
    ASSERT_EQ(gf_wantedParkedCount(), 6);
    driver.run(6000); // its reports are due 30 s after they come
    EXPECT_EQ(sim->creates.size(), 7u);
    EXPECT_EQ(gf_countParkedLiveAc(false), 6);
}

TEST_F(StandTest, AircraftFirstSeenStandingTakesTheStandAndTheFeedConfirmsIt)
{
    Trajectory t; // at 50 N 8 E
    t.groundSpeedKt = 0.0;
    t.altitudeFt = 0.0;
    SyntheticFeed feed;
    feed.tracks = {t};
    Stand& stand = addStand(lf_at(45.0, 5.0), 20.0, gate, 270.0);
    feed.deliverStartup();
    driver.beforePass = [&] { feed.deliverLoop(); };
    ASSERT_TRUE(driver.runUntil([&] { return gf_findLiveAc(t.hexId) && gf_findLiveAc(t.hexId)->feedParked; }, 20000));
    const LiveAc& ac = *gf_findLiveAc(t.hexId);
    EXPECT_EQ(ac.flightState, FlightState::parked);
    EXPECT_EQ(ac.standId, stand.id);
    EXPECT_TRUE(stand.liveOccupied);
    ASSERT_FALSE(sim->creates.empty());
    EXPECT_NEAR(sim->creates[0].initPos.Heading, 270.0, 1e-9); // created on the stand
}

TEST_F(StandTest, OnlyTheRightAircraftMakeWayForANewOne)
{
    struct Case {
        const char *parked, *arriving;
        bool feedParked, taken;
    };
    const Case cases[] = {{"ABC123", "ABC123", false, true}, {"ABC12", "ABC123", false, false},
                          {"ABC123_", "ABC123", false, true}, {"XYZ9_", "ABC1", false, true},
                          {"ABC1", "XYZ9_", false, false},     {"ABC1", "XYZ9", true, false},
                          {"ABC1", "XYZ9", false, true}};
    const Stand& stand = addStand(g_origin, 20.0);
    for (const Case& c : cases) {
        g_liveAircraft.clear();
        LiveAc& old = addLive(0x400001, c.parked, g_origin, FlightState::parked);
        old.standId = stand.id;
        old.feedParked = c.feedParked;
        EXPECT_EQ(standMayBeTaken(stand.id, c.arriving), c.taken) << c.parked << " " << c.arriving;
        EXPECT_EQ(old.acState == AcState::removingfromsim, c.taken) << c.parked << " " << c.arriving;
    }
}

TEST_F(StandTest, FreeStandNearFitsTheAircraftOrGrowsWithinTwentyMetres)
{
    struct Case { // radiusLess: the stand's radius below the aircraft's half wingspan, m
        double metres, radiusLess;
        unsigned kind;
        bool rotorcraft, found, grown;
    };
    const Case cases[] = {{10.0, 1.8, gate, false, true, false}, {10.0, 1.9, gate, false, true, true},
                          {25.0, 1.9, gate, false, false, false}, {10.0, 0.0, heli, false, false, false},
                          {10.0, 0.0, gate, true, false, false},  {10.0, 0.0, heli | ramp, true, true, false}};
    LiveAc& ac = addLive(0x400001, "DLH1", g_origin, FlightState::taxi);
    for (const Case& c : cases) {
        g_parkStands.clear();
        ac.sizeClass = c.rotorcraft ? SizeClass::Rotorcraft : SizeClass::Large;
        const double radius = 17.9 - c.radiusLess;
        Stand& stand = addStand(lf_at(90.0, c.metres), radius, c.kind);
        Stand* found = findFreeStandNear(g_origin, ac, 0.029697624, false);
        EXPECT_EQ(found != nullptr, c.found) << c.metres << c.kind;
        if (found != nullptr)
            gf_growStandFor(*found, ac); // taken
        EXPECT_NEAR(stand.radius * 1852.0, c.grown ? 16.9 : radius, 1e-6);
        EXPECT_EQ(stand.radius_change, c.grown);
    }
    // with wide, a stand beyond the search whose options name the aircraft
    ac.sizeClass = SizeClass::Large;
    g_parkStands.clear();
    addStand(lf_at(90.0, 70.0), 20.0).options.push_back(StandOption{"", "", "", "DLH1", "", {}, 1, 1, 0, 1});
    EXPECT_EQ(findFreeStandNear(g_origin, ac, 0.029697624, false), nullptr);
    EXPECT_EQ(findFreeStandNear(g_origin, ac, 0.029697624, true), &g_parkStands[0]);
    g_parkStands[0].liveOccupied = true;
    EXPECT_EQ(findFreeStandNear(g_origin, ac, 0.029697624, true), nullptr);
}

TEST_F(StandTest, ATooSmallStandGrowsOnlyForTheAircraftThatTakesIt)
{
    // 10 m east of the arriving A320 (17.9 m half wingspan), 10 m in radius: too small
    const LatLon at = lf_at(90.0, 10.0), beside = lf_at(0.0, 25.0, at);
    const std::tuple<const char*, bool, bool, std::function<void(const Stand&)>> cases[] = { // at the spawn, taken
        {"reserved", false, false, [](const Stand& s) { g_reservedStand.set(s.name); }},
        {"the user's", false, false, [this](const Stand& s) { setUser(s.latitude, s.longitude, 0.0, true); }},
        {"kept by its parked aircraft", true, false, // ABC123 finds ABC12 there
         [&](const Stand& s) { addLive(0x400009, "ABC12", at, FlightState::parked).standId = s.id; }},
        {"next to a colliding one", true, false,
         [&](const Stand&) { addLive(0x400008, "XYZ1", beside, FlightState::parked).standId = 2; }},
        {"free after taxiing", false, true, [](const Stand&) {}},
        {"free at the spawn", true, true, [](const Stand&) {}}};
    for (const auto& [name, atSpawn, taken, setUp] : cases) {
        g_parkStands.clear();
        g_liveAircraft.clear();
        g_reservedStand.set("");
        setUser(50.0, 7.48, 0.0, true);
        Stand& stand = addStand(at, 10.0);
        stand.neighbours = {addStand(beside, 20.0).id};
        setUp(stand);
        LiveAc& ac = addLive(0x400001, "ABC123", g_origin, atSpawn ? FlightState::birth : FlightState::taxi);
        ac.acState = atSpawn ? AcState::buffer : ac.acState;
        const bool given = atSpawn ? findStandAtSpawn(ac) == &stand : (try2Park(ac, false), ac.standId == stand.id);
        EXPECT_EQ((std::tuple{given, std::lround(stand.radius * 18520.0), stand.radius_change}),
                  (std::tuple{taken, taken ? 169L : 100L, taken}))
            << name;
    }
}

TEST_F(StandTest, ChosenStandByKindBookingAndHalfHour)
{
    LiveAc& ac = addLive(0x400001, "DLH1", g_origin, FlightState::taxi);
    const WeekPoint monday{1, 20};
    const auto lt_kind = [&] {
        const Stand* s = chooseStand(monday, ac, true);
        return s == nullptr ? -1
                            : static_cast<int>((s->ramp ? ramp : 0u) | (s->cargo ? cargo : 0u) | (s->heli ? heli : 0u));
    };
    for (const unsigned kind : {gate, ramp, ramp | cargo, cargo, heli})
        addStand(lf_at(90.0, 100.0 * kind), 20.0, kind);
    parkAirport.code = "KXYZ";
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(lt_kind(), gate); // "K" airports offer gates first
    parkAirport.code = "EDXX";
    ac.airline = "PVT";
    EXPECT_EQ(lt_kind(), ramp);
    ac.airline = "DLH";
    ac.cargo = true;
    EXPECT_EQ(lt_kind() & cargo, cargo);
    ac.cargo = false;
    ac.sizeClass = SizeClass::Rotorcraft;
    EXPECT_EQ(lt_kind(), heli);
    ac.sizeClass = SizeClass::Light;
    // the only ramp for a Light aircraft is booked now and free in the next half hour, which is
    // tried at an airport of 10 stands, not at one of 11
    g_parkStands[1].options.push_back(StandOption{"DLH", "A320", "", "", "", {}, 1, 1, 0, 1});
    g_parkStands[1].options.back().hh.set(20);
    while (g_parkStands.size() < 11)
        addStand(lf_at(0.0, 100.0 * static_cast<double>(g_parkStands.size())), 20.0, heli);
    EXPECT_EQ(lt_kind(), -1);
    g_parkStands.pop_back();
    EXPECT_EQ(lt_kind(), ramp);
}

// Of the candidates a stand whose option names the aircraft (its callsign in either field, or its
// airline and type, in an active option seen in real traffic) comes before a closer fit that names
// nothing; a worse fit listed after the closer one is no candidate at all.
TEST_F(StandTest, AStandNamingTheAircraftIsChosenBeforeACloserFit)
{
    LiveAc& ac = addLive(0x400001, "DLH1", g_origin, FlightState::taxi);
    const WeekPoint monday{1, 20};
    const auto lt_option = [](std::string airline, std::string type, std::string cs, std::string cs2, int id = 1,
                              int real = 1) {
        StandOption o{std::move(airline), std::move(type), "", std::move(cs), std::move(cs2), {}, id, 1, 0, real};
        o.hh.set(30); // booked later in the day, not now
        return o;
    };
    const std::tuple<const char*, StandOption, std::string, bool, std::string> cases[] = { // name, option, callsign,
        // whether the naming stand comes first, the stand chosen
        {"callsign", lt_option("BAW", "B744", "DLH1", ""), "DLH1", true, "S1"},
        {"second callsign", lt_option("BAW", "B744", "DLH9", "DLH1"), "DLH1", true, "S1"},
        {"airline and type", lt_option("DLH", "A320", "", ""), "DLH1", true, "S1"},
        {"airline alone", lt_option("DLH", "A321", "", ""), "DLH1", true, "S2"},
        {"aircraft without callsign", lt_option("DLH", "A320", "", ""), "", true, "S2"},
        {"disabled option", lt_option("DLH", "A320", "", "", 0), "DLH1", true, "S2"},
        {"soft option", lt_option("DLH", "A320", "", "", 1, 0), "DLH1", true, "S2"},
        {"listed after the closer fit", lt_option("DLH", "A320", "", ""), "DLH1", false, "S1"}};
    for (const auto& [name, option, callsign, namingFirst, chosen] : cases) {
        g_parkStands.clear();
        // a gate of 30 m scores 1 step of 21 m for a half wingspan of 17.9 m, one of 18 m scores 0
        for (const double radius : namingFirst ? std::array{30.0, 18.0} : std::array{18.0, 30.0})
            addStand(lf_at(90.0, 100.0 * static_cast<double>(g_parkStands.size())), radius);
        findStandByName(namingFirst ? "S1" : "S2")->options.push_back(option);
        ac.callsign = callsign;
        for (int draw = 0; draw < 20; ++draw) { // through the shuffle and the gate or ramp draw
            const Stand* s = chooseStand(monday, ac, true);
            ASSERT_NE(s, nullptr) << name;
            EXPECT_EQ(s->name, chosen) << name;
        }
    }
}

TEST_F(StandTest, CoupledCallsignsComeFromAnOptionAroundTheHalfHour)
{
    Stand& stand = addStand(g_origin, 20.0);
    stand.options.push_back(StandOption{"DLH", "A320", "", "DLH1", "DLH2", {}, 1, 1, 0, 1});
    stand.options.back().hh.set(31);
    LiveAc& ac = addLive(0x400001, "DLH1_", g_origin, FlightState::parked);
    gf_searchForCoupledCsAroundThisTime({1, 20}, ac); // 11 half hours before: beyond a Large's window
    EXPECT_EQ(ac.coupledCallsign2, "");
    gf_searchForCoupledCsAroundThisTime({1, 21}, ac);
    EXPECT_EQ(ac.coupledCallsign1 + " " + ac.coupledCallsign2, "DLH1 DLH2");
}

} // namespace
} // namespace traffictest
