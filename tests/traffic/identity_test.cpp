// The identity rules and the per-update jobs of the traffic manager.
#include "leg_feed.h"
#include "stand_fixture.h"

#include "aircraft/dbase.h"
#include "aircraft/livery_tables.h"
#include "airports/park_apf.h"
#include "foundation/option_table.h"
#include "foundation/text_utils.h"
#include "simlink/user_aircraft.h"
#include "traffic/ac_descriptions.h"
#include "traffic/feed_intake.h"
#include "traffic/followed_object.h"
#include "traffic/identity_rules.h"
#include "traffic/parked_counts.h"
#include "traffic/stand_options.h"
#include "traffic/stand_parking.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"
#include "traffic/user_snapshot.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <fstream>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace traffictest {
namespace {

class IdentityTest : public StandTest {
protected:
    IdentityTest()
    {
        gf_initTrafficContainers(); // room for every record: references stay valid
        g_dbase.records["D-AEWA"] = {"EWG", "A20N", "", false};
    }
    LiveAc& flying(std::uint32_t hexid, const std::string& callsign, FlightState state = FlightState::flying)
    {
        LiveAc& ac = addLive(hexid, callsign, g_origin, state);
        std::tie(ac.origin, ac.destination, ac.registration) = std::tuple{"FRA", "LHR", "D-AIPX"};
        ac.onGround = state != FlightState::flying;
        return ac;
    }
};

TEST_F(IdentityTest, IdentityChangesRespawnOrKeepTheAircraft)
{
    // the aircraft: registration ("-": none), callsign, airline, type, flight state; the record:
    // registration, callsign, origin, destination; then the aircraft's state, flight state and kind
    struct Row { const char *what, *ac, *record, *after; };
    const Row rows[] = {
        {"unknown registration", "D-AIPX EWG5 DLH A320 flying", "D-AIPY EWG5 FRA LHR", "active flying DLH A320"},
        {"operator in callsign", "D-AIPX EWG5 DLH A320 flying", "D-AEWA EWG5 FRA LHR", "liveryrespawn birth EWG A20N"},
        {"operator not named", "D-AIPX DLH5 DLH A320 flying", "D-AEWA DLH5 FRA LHR", "active flying DLH A320"},
        {"reg as callsign", "D-AIPX D-AIPX DLH A320 flying", "D-AEWA D-AIPX FRA LHR", "liveryrespawn birth EWG A20N"},
        {"first registration fits", "- EWG5 DLH A320 flying", "D-AIPX EWG5 FRA LHR", "active flying DLH A320"},
        {"airline", "- EWG5 BAW A320 flying", "D-AIPX EWG5 FRA LHR", "liveryrespawn birth DLH A320"},
        {"type", "- EWG5 DLH B744 flying", "D-AIPX EWG5 FRA LHR", "liveryrespawn birth DLH A320"},
        {"callsign", "D-AIPX EWG5 DLH A320 flying", "D-AIPX EWG6 FRA LHR", "liveryrespawn flying DLH A320"},
        {"9-character callsign", "D-AIPX D-AIPX DLH A320 flying", "D-AIPX DLH123456 FRA LHR", "active flying DLH A320"},
        {"one end of the route", "D-AIPX EWG5 DLH A320 flying", "D-AIPX EWG5 FRA MUC", "active flying DLH A320"},
        {"route in the air", "D-AIPX EWG5 DLH A320 flying", "D-AIPX EWG5 CDG MUC", "liveryrespawn flying DLH A320"},
        {"route on the ground", "D-AIPX EWG5 DLH A320 pushed_back", "D-AIPX EWG5 CDG MUC", "liveryrespawn taxi DLH A320"},
        {"route when parked", "D-AIPX EWG5 DLH A320 parked", "D-AIPX EWG5 CDG MUC", "liveryrespawn parked DLH A320"},
        {"pushing back", "D-AIPX EWG5 DLH A320 pushing_back", "D-AIPX EWG6 CDG MUC", "active pushing_back DLH A320"},
        {"no GUID_CHANGES", "D-AIPX EWG5 DLH A320 flying", "D-AEWA EWG6 FRA LHR", "active flying EWG A20N"},
    };
    const auto lt_record = [](std::string_view text) {
        const auto w = gf_split(text, ' ');
        FeedRecord r;
        std::tie(r.registration, r.callsign, r.origin, r.destination) = std::tie(w[0], w[1], w[2], w[3]);
        return r;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        g_liveAircraft.clear();
        GUID_CHANGES.value = std::string_view(row.what) != "no GUID_CHANGES";
        const auto a = gf_split(row.ac, ' ');
        auto fs = FlightState::pushing_back;
        while (gf_flightStateName(fs) != a[4])
            fs = static_cast<FlightState>(static_cast<int>(fs) + 1);
        LiveAc& ac = flying(0x500001, a[1], fs);
        std::tie(ac.registration, ac.airline, ac.type) = std::tuple{a[0] == "-" ? "" : a[0], a[2], a[3]};
        ac.liveryTitle = *g_liveryTables.titleIndex.begin();
        const bool kept = gf_checkRespawn(ac, lt_record(row.record));
        EXPECT_EQ(fmt::format("{} {} {}", gf_acStateName(ac.acState), gf_flightStateName(ac.flightState),
                              gf_airlineTypeKey(ac)), row.after);
        EXPECT_EQ(kept, ac.acState == AcState::active);
        EXPECT_EQ(ac.liveryTitle.empty(), ac.flightState == FlightState::birth);
        EXPECT_TRUE(kept || ac.samples.front().dueTick == g_tick + 1);
    }
    GUID_CHANGES.value = true;
    // a buffered aircraft takes the record's identity and waits for its spawn
    LiveAc& buffered = flying(0x500002, "EWG5");
    buffered.acState = AcState::buffer;
    EXPECT_TRUE(gf_checkRespawn(buffered, lt_record("D-AEWA EWG6 CDG MUC")));
    EXPECT_EQ(gf_describeAcShort(buffered), "CDG->MUC EWG6     D-AEWA");

    // the ghost pairs: a new callsign C while C_ flies removes C_; a record of C_ while C flies is ignored
    LiveAc& ghost = flying(0x500011, "EWG5_");
    LiveAc& other = flying(0x500012, "EWG4");
    CALLSIGN_2_OBJECTID.value.set("EWG4");
    ASSERT_EQ(gf_activeLiveObjectId("EWG4"), other.objectId);
    EXPECT_FALSE(gf_checkRespawn(other, lt_record("D-AIPX EWG5 FRA LHR")));
    EXPECT_EQ(ghost.acState, AcState::removingfromsim);
    EXPECT_TRUE(folder.logHas("          EWG5_    is a ghost and will be removed, continue with EWG5"));
    EXPECT_EQ(CALLSIGN_2_OBJECTID.value.get(), "EWG5"); // the followed aircraft is looked up again
    LiveAc& late = flying(0x500013, "EWG7");
    EXPECT_FALSE(gf_checkRespawn(late, lt_record("D-AIPX EWG5_ FRA LHR")));
    EXPECT_EQ(late.callsign + gf_acStateName(late.acState).data(), "EWG7active");
}

// No stand is marked held without a live aircraft parked on it or turning at its position.
std::vector<std::string> lf_holdsWithoutAircraft()
{
    std::vector<std::string> wrong;
    for (const Stand& stand : g_parkStands) {
        const bool onIt = std::any_of(g_liveAircraft.begin(), g_liveAircraft.end(), [&](const LiveAc& ac) {
            const double metres = gf_distanceNm(LatLon{ac.position[POS_LAT], ac.position[POS_LON]},
                                                LatLon{stand.latitude, stand.longitude}) * 1852.0;
            return ac.standId == stand.id && ac.acState == AcState::active &&
                   (ac.flightState == FlightState::parked || (ac.flightState == FlightState::parking && metres < 0.1));
        });
        if (stand.liveOccupied && !onIt)
            wrong.push_back(stand.name);
    }
    return wrong;
}

// An arrival turning onto its stand is reported with another operator's registration: it leaves
// the simulator to come back with that operator's livery, from its birth. It comes back parked
// on its own stand, facing the stand's heading; meanwhile no other aircraft gets the stand, and
// when it is not shown again it holds the stand no longer.
TEST_F(IdentityTest, AnArrivalRespawnedWhileTurningOntoItsStandComesBackParkedThere)
{
    struct Case {
        const char* name;
        bool standNear;  // another stand 40 m away
        bool secondOnIt; // a second aircraft reported standing on the stand while it is away
        bool liveMax;    // an aircraft nearer the user reaches the live maximum while it is away
        bool reserved;   // the stand reserved for the user while it is away
    };
    const Case cases[] = {
        {"another stand 40 m away", true, false, false, false},
        {"another stand 40 m away, a second aircraft on the stand meanwhile", true, true, false, false},
        {"no other stand", false, false, false, false},
        {"no other stand, a second aircraft on the stand meanwhile", false, true, false, false},
        {"the live maximum reached while it is away", false, false, true, false},
        {"the stand reserved for the user while it is away", false, false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        g_parkStands.clear();
        MAX_LIVE_SEL.value = c.liveMax ? 1 : 500;
        LegFeed feed; // taxiing east, it stops 6 m south of its stand and drives onto it
        feed.identity.callsign = "BAW123";
        feed.legs = {{60.0, 15.0, 0.0, 90.0}, {10.0, 15.0, -1.5, 90.0}, {60.0, 0.0, 0.0, 90.0}};
        parkAirport = Airport{"EDXX", "", feed.start.lat, feed.start.lon, 0.0};
        g_parkAirportLoaded = true;
        const Stand& stand = addStand(lf_at(0.0, 6.0, feed.endOf(1)), 20.0, gate, 180.0);
        if (c.standNear)
            addStand(lf_at(90.0, 40.0, LatLon{stand.latitude, stand.longitude}), 20.0, gate, 90.0);
        const std::uint32_t hexId = feed.identity.hexId;
        const auto createsBefore = static_cast<std::ptrdiff_t>(sim->creates.size());
        feed.deliverStartup();
        driver.beforePass = [&] { feed.deliverLoop(); };
        std::optional<FlightState> respawnedFrom;
        bool heldAtRespawn = false;
        int unheldAway = 0; // passes away with the stand free (a new record made from the feed has no stand)
        driver.afterPass = [&] {
            const LiveAc* ac = gf_findLiveAc(hexId);
            if (respawnedFrom) {
                unheldAway += ac != nullptr && ac->acState != AcState::active && ac->standId == stand.id &&
                                      !stand.liveOccupied ? 1 : 0;
                return;
            }
            if (ac == nullptr)
                return;
            if (ac->flightState == FlightState::parking && stand.liveOccupied)
                feed.identity.registration = "G-EUPA"; // British Airways' A319
            if (ac->acState != AcState::liveryrespawn)
                return;
            respawnedFrom = ac->previousFlightState;
            heldAtRespawn = stand.liveOccupied;
            if (c.secondOnIt) {
                Trajectory other = trackOf(0x400002, "DLH2", stand.latitude, stand.longitude);
                std::tie(other.groundSpeedKt, other.altitudeFt) = std::pair{0.0, 0.0};
                for (std::uint32_t i = 0; i < 2; ++i) {
                    FeedRecord r = other.at(other.startTime + 20.0 * i);
                    r.sample.dueTick = g_tick + 1 + 500 * i;
                    gf_applyFeedRecord(r);
                }
            }
            if (c.liveMax)
                addLive(0x400003, "DLH3", lf_at(270.0, 2000.0, feed.start), FlightState::taxi);
            if (c.reserved)
                g_reservedStand.set(stand.name);
        };
        ASSERT_TRUE(driver.runUntil([&] { return respawnedFrom.has_value(); }, 20000));
        driver.run(3000);
        EXPECT_EQ(respawnedFrom, FlightState::parking);
        EXPECT_TRUE(heldAtRespawn);
        EXPECT_EQ(unheldAway == 0, !c.reserved) << unheldAway; // the user's stand is let go when it comes back
        const LiveAc* ac = gf_findLiveAc(hexId);
        if (c.liveMax) {
            // dropped by the spawn gate; the feed's next reports make a new record, dropped as well
            EXPECT_EQ(std::count_if(sim->creates.begin() + createsBefore, sim->creates.end(),
                                    [&](const CreateRequest& r) { return r.hexId == hexId; }), 1);
            EXPECT_TRUE(ac == nullptr || ac->acState != AcState::active);
        } else if (c.reserved) {
            ASSERT_NE(ac, nullptr);
            EXPECT_EQ(ac->flightState, FlightState::taxi);
        } else {
            ASSERT_NE(ac, nullptr);
            EXPECT_EQ((std::tuple{ac->acState, ac->flightState, ac->standId, ac->type}),
                      (std::tuple{AcState::active, FlightState::parked, stand.id, std::string("A319")}));
            EXPECT_LE(gf_distanceNm(LatLon{ac->position[POS_LAT], ac->position[POS_LON]},
                                    LatLon{stand.latitude, stand.longitude}) * 1852.0, 0.1);
            const auto created = std::find_if(sim->creates.rbegin(), sim->creates.rend(),
                                              [&](const CreateRequest& r) { return r.hexId == hexId; });
            ASSERT_NE(created, sim->creates.rend());
            EXPECT_EQ(created->liveryTitle, "Airbus A319 British Airways");
            EXPECT_NEAR(created->initPos.Heading, 180.0, 1e-6);
            const auto& handedOver = sim->positions[ac->objectId];
            ASSERT_FALSE(handedOver.empty());
            EXPECT_NEAR(handedOver.back().heading, std::numbers::pi, 1e-6);
        }
        if (c.secondOnIt) {
            const LiveAc* second = gf_findLiveAc(0x400002);
            ASSERT_NE(second, nullptr);
            EXPECT_NE(second->standId, stand.id);
            EXPECT_EQ(second->flightState, c.standNear ? FlightState::parked : FlightState::taxi);
        }
        EXPECT_EQ(lf_holdsWithoutAircraft(), std::vector<std::string>{});
    }
}

// A time shift comes while an arrival holding its stand is out of the simulator for another
// livery, its old object's removal asked but not yet reported; the feed of the new time does not
// report it. Neither it nor its stand is kept for the old time's samples.
TEST_F(IdentityTest, ATimeShiftWhileAnArrivalRespawnsEndsItAndFreesItsStand)
{
    LegFeed feed; // taxiing east, it stops 6 m south of its stand and drives onto it
    feed.identity.callsign = "BAW123";
    feed.legs = {{60.0, 15.0, 0.0, 90.0}, {10.0, 15.0, -1.5, 90.0}, {60.0, 0.0, 0.0, 90.0}};
    parkAirport = Airport{"EDXX", "", feed.start.lat, feed.start.lon, 0.0};
    Stand& stand = addStand(lf_at(0.0, 6.0, feed.endOf(1)), 20.0, gate, 180.0);
    const std::uint32_t hexId = feed.identity.hexId;
    feed.deliverStartup();
    driver.beforePass = [&] { feed.deliverLoop(); };
    driver.afterPass = [&] {
        const LiveAc* ac = gf_findLiveAc(hexId);
        if (ac != nullptr && ac->flightState == FlightState::parking && stand.liveOccupied)
            feed.identity.registration = "G-EUPA"; // British Airways' A319
    };
    ASSERT_TRUE(driver.runUntil([&] {
        const LiveAc* ac = gf_findLiveAc(hexId);
        return ac != nullptr && ac->acState == AcState::liveryrespawn;
    }, 20000));
    const std::uint32_t oldObject = gf_findLiveAc(hexId)->objectId;
    ASSERT_TRUE(stand.liveOccupied);
    ASSERT_FALSE(sim->objects.at(oldObject).removed);
    feed.stopped = true;
    const auto createsBefore = static_cast<std::ptrdiff_t>(sim->creates.size());
    gf_removeLiveAcForTimeShift();
    driver.run(360000); // an hour
    EXPECT_EQ(gf_findLiveAc(hexId), nullptr);
    EXPECT_EQ(std::count_if(sim->creates.begin() + createsBefore, sim->creates.end(),
                            [&](const CreateRequest& r) { return r.hexId == hexId; }), 0);
    EXPECT_TRUE(sim->objects.at(oldObject).removed);
    EXPECT_EQ(std::count(sim->removals.begin(), sim->removals.end(), oldObject), 1); // asked once
    EXPECT_FALSE(stand.liveOccupied);

    // one with no object to wait for goes at once
    LiveAc& lost = addLive(0x500031, "DLH31", LatLon{stand.latitude, stand.longitude}, FlightState::parked);
    gf_takeStand(lost, stand);
    gf_occupyStand(lost, stand);
    lost.objectId = 0;
    liveryRespawn(lost);
    ASSERT_EQ(lost.acState, AcState::liveryrespawn);
    gf_removeLiveAcForTimeShift();
    EXPECT_EQ(gf_findLiveAc(0x500031), nullptr);
    EXPECT_FALSE(stand.liveOccupied);
}

TEST_F(IdentityTest, ANewTypeBringsItsSizeAndClassValuesWhenTheLiveryIsChosenAgain)
{
    g_dbase.records["D-ABVA"] = {"DLH", "B744", "", false};
    g_dbase.halfWingspans["A320"] = 17.9 / 1852.0;
    g_dbase.halfWingspans["B744"] = 32.2 / 1852.0;
    // reported as an A320, registered as a B744: at its spawn, or flying when the identity rules
    // take the new registration's operator and type
    for (const char* registration : {"D-ABVA", "D-AIPX"}) {
        SCOPED_TRACE(registration);
        restart();
        SyntheticFeed feed;
        Trajectory t = trackOf(0x500071, "DLH400", 50.0, 8.0);
        t.registration = registration;
        feed.tracks = {t};
        feed.deliverStartup();
        driver.beforePass = [&] { feed.deliverLoop(); };
        const std::size_t before = sim->creates.size();
        const auto lt_created = [&](std::size_t n) {
            return [&, n] {
                return sim->creates.size() - before == n && gf_findLiveAc(t.hexId)->acState == AcState::active;
            };
        };
        const auto lt_values = [&] {
            const LiveAc& ac = *gf_findLiveAc(t.hexId);
            return fmt::format("{} {} {:.1f} m, {:.2f} deg, {:.1f} kt", ac.type, gf_sizeClassName(ac.sizeClass),
                               ac.halfWingspanNm * 1852.0, ac.turnStep * g_rad2deg, ac.parkingSpeedKt);
        };
        ASSERT_TRUE(driver.runUntil(lt_created(1), 5000));
        if (std::string_view(registration) == "D-AIPX") {
            EXPECT_EQ(lt_values(), "A320 Large 17.9 m, 0.07 deg, 4.0 kt");
            feed.tracks[0].registration = "D-ABVA";
            ASSERT_TRUE(driver.runUntil(lt_created(2), 5000));
        }
        EXPECT_EQ(lt_values(), "B744 Heavy 32.2 m, 0.05 deg, 3.0 kt");
        EXPECT_EQ(sim->creates.back().liveryTitle, "Boeing 747-400 Lufthansa");
    }
}

TEST_F(IdentityTest, DuplicateQueueDropsAVanishedAircraftAndRemovesOneDuplicatePerUpdate)
{
    struct Row { const char *cs, *cc1, *cc2, *reg, *line; };
    const Row rows[] = {
        {"KLM1*", "", "", "", "removed, new airborne 'EWG5' has same hexid"},
        {"KLM2*", "", "", "D-AIPX", "D-AIPX removed, new airborne 'EWG5' has same regcode D-AIPX"},
        {"EWG5*", "EWG5", "EWG6", "", "'EWG5 EWG6' removed, new airborne EWG5 'EWG5' '' has same callsign"},
        {"EWG9*", "EWG9", "EWG5", "", "'EWG9 EWG5' removed, new airborne EWG5 'EWG5' '' has coupled callsign"},
    };
    const Stand& stand = addStand(g_origin, 40.0);
    LiveAc& live = flying(0x500021, "EWG5");
    std::tie(live.coupledCallsign1, live.registration) = std::pair{"EWG5", "D-AIPX"};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.cs);
        g_staticAircraft.clear();
        addStatic(1, stand, AcState::active).callsign = "KLM3*"; // no duplicate
        StaticAc& s = addStatic(2, stand, AcState::active);
        std::tie(s.callsign, s.coupledCallsign1, s.coupledCallsign2, s.registration) =
            std::tuple{row.cs, row.cc1, row.cc2, row.reg};
        std::tie(s.realHexid, s.noRealHexid) = std::pair{live.hexid, row.cs == rows[0].cs ? 0u : 1u};
        g_duplicateCheckList = {0x5000ff, live.hexid}; // the first aircraft is gone
        gf_checkNextDuplicate(g_timeSlot);
        EXPECT_EQ(g_removeDeque, std::deque<std::uint32_t>{502}); // not the first static aircraft
        g_removeDeque.clear();
        EXPECT_TRUE(folder.logHas(fmt::format("S1      : {:8} {}", row.cs, row.line)));
    }
}

TEST_F(IdentityTest, CollisionRulesAtTheirLimits)
{
    // userAgl < 0: the user on the ground; kind 0 crossing in the air, 1 on the runway, 2 live on the
    // ground, 3 static; distance in nm, or x the rule's reach on the ground; offFt: how far a crossing
    // aircraft's track passes from the user, or how far off the centreline one on the runway stands
    struct Row { const char* what; double userAgl; int kind; double distance, offFt; bool removed; };
    const Row rows[] = {
        {"crossing 690 ft abeam", 3000.0, 0, 2.0, 690.0, true}, {"crossing 710 ft abeam", 3000.0, 0, 2.0, 710.0, false},
        {"head-on beyond 4 nm", 3000.0, 0, 4.01, 0.0, false},    {"runway 45 ft off", 400.0, 1, 0.9, 45.0, true},
        {"runway 55 ft off", 400.0, 1, 0.9, 55.0, false},         {"runway, user at 600", 600.0, 1, 0.9, 45.0, false},
        {"runway beyond 1 nm", 400.0, 1, 1.01, 0.0, false},       {"live within 1.15 x", -1.0, 2, 0.99, 0.0, true},
        {"live beyond 1.15 x", -1.0, 2, 1.01, 0.0, false},        {"static within 1.1 x", -1.0, 3, 0.99, 0.0, true},
        {"static beyond 1.1 x", -1.0, 3, 1.01, 0.0, false},
    };
    const double userHalfSpan = gf_userHalfWingspan().value_or(0.0);
    const Stand& stand = addStand(g_origin, 40.0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        g_liveAircraft.clear();
        g_staticAircraft.clear();
        gf_resetUpdateJobs();
        setUser(g_origin.lat, g_origin.lon, std::max(row.userAgl, 0.0), row.userAgl < 0.0);
        const double reach = (row.kind == 2 ? 1.15 : 1.1) * (userHalfSpan + g_halfSpanNm);
        const double d = row.kind < 2 ? row.distance : row.distance * reach;
        const double off = std::asin(row.offFt / (d * 6076.11549)) * g_rad2deg;
        const LatLon at = lf_at(row.kind == 1 ? off : 90.0, d * 1852.0);
        if (row.kind == 3) {
            StaticAc& s = addStatic(1, stand, AcState::active);
            std::tie(s.standLat, s.standLon) = std::tie(at.lat, at.lon);
        } else {
            LiveAc& ac = flying(0x500031, "EWG5", row.kind == 0 ? FlightState::flying : FlightState::taxi);
            const double headingDeg = row.kind == 0 ? 270.0 + off : 90.0;
            ac.position = {at.lat, at.lon, 0.0, 0.0, headingDeg * g_deg2rad, row.kind == 0 ? 3000.0 : 0.0};
        }
        gf_avoidCollisionWithUser(gf_copyUserSnapshot(), row.userAgl < 0.0);
        EXPECT_EQ(g_removeDeque.size(), row.removed ? 1u : 0u);
        g_removeDeque.clear();
    }
    // one removal per update; the static aircraft are checked again only once the user has moved
    addStatic(2, stand, AcState::active);
    addLive(0x500032, "EWG6", g_origin, FlightState::taxi);
    addLive(0x500033, "EWG7", g_origin, FlightState::taxi);
    for (const double moved : {0.0, 0.0, 0.0, 2e-8}) {
        setUser(g_origin.lat, g_origin.lon + moved, 0.0, true);
        gf_avoidCollisionWithUser(gf_copyUserSnapshot(), true);
    }
    EXPECT_EQ(g_removeDeque, (std::deque<std::uint32_t>{301, 302, 502}));

    // a live aircraft on the ground clears a static one it touches, unless it is landing, once it moved
    g_staticAircraft.clear();
    const StaticAc& s = addStatic(3, stand, AcState::active);
    LiveAc& live = addLive(0x500041, "EWG5", g_origin, FlightState::taxi);
    live.landingRoll = true;
    for (const double move : {0.0, 2e-8, 0.0}) { // landing; taxiing, not moved since its last check; moved
        EXPECT_EQ(s.acState, AcState::active);
        gf_avoidLiveParkedCollisions();
        std::tie(live.landingRoll, live.position[POS_LAT]) = std::pair{false, live.position[POS_LAT] + move};
    }
    EXPECT_EQ(s.acState, AcState::removingfromsim);
    EXPECT_TRUE(folder.logHas("S1      : BAW      removed for collision avoidance with static EWG5"));
}

TEST_F(IdentityTest, RememberedLiveryIsTheTablesOwnTitleAndLeavesWithThem)
{
    const std::string title = "Airbus A320 Lufthansa";
    gf_rememberLivery(0x500051, title);
    EXPECT_EQ(gf_rememberedLivery(0x500051).data(), gf_findLiveryTitle(title).data());
    gf_clearLiveryTables(); // a rescan or a simulator switch
    EXPECT_TRUE(gf_rememberedLivery(0x500051).empty());
}

TEST_F(IdentityTest, StandOptionsLearnAStayAcrossMidnight)
{
    std::vector<StandOption> options;
    const AcBase ac("EWG", "A20N", "", "", "", "", "", "");
    EXPECT_EQ(gf_findOrCreateOption(options, ac, true, WeekPoint{1, 46}, "DLH5_", "D-AIPX"), 1);
    EXPECT_EQ(gf_findOrCreateOption(options, ac, true, WeekPoint{1, 46}, "DLH5", "D-AIPX"), 1);
    EXPECT_EQ(gf_findOrCreateOption(options, ac, true, WeekPoint{2, 1}, "DLH5", "D-AIPX"), 2);
    EXPECT_EQ(options[0].airl + options[0].type, "DLHA320"); // from the registration's record
    gf_recordSeenAtStand(options, 45, 1, "DLH6", 1, 2);
    EXPECT_EQ(gf_bitset2hours(options[0].hh) + " " + gf_bitset2hours(options[1].hh), "46,47 0,1");
    EXPECT_EQ(options[1].cs + ":" + options[1].cs2, "DLH5:DLH6");
}

TEST_F(IdentityTest, WholeListOperationsOnAMixedList)
{
    const Stand& stand = addStand(g_origin, 40.0);
    LiveAc& parked = flying(0x500061, "EWG5", FlightState::parked);
    std::tie(parked.standId, parked.parkedSlot) = std::pair{stand.id, std::pair{7u, 47u}};
    flying(0x500062, "EWG6").registration = "D-AIPY";
    g_timeSlot = (std::uint64_t{2} << 32) | 1u; // Monday 01:00, 3 half hours after Sunday 23:30
    EXPECT_EQ(gf_countParkedLiveAc(true), 1);
    EXPECT_FLOAT_EQ(g_meanLiveParkedHours, 2.0f);
    gf_writeCallsign2ObjectId();
    EXPECT_EQ((std::stringstream() << std::ifstream(std::string(g_callsignListFile)).rdbuf()).str(),
              "Air EWG6      DLH A320: 302 \nGnd EWG5      DLH A320: 301 Parked at S1\n");

    for (const char* cs : {"EWG7*", "EWG5*", "KLM1*", "KLM2*", "KLM3*"})
        addStatic(g_staticAircraft.size() + 1, stand, AcState::active).callsign = cs;
    g_staticAircraft[2].registration = "D-AIPX";
    gf_removeStaticDuplicateOfLiveAc(); // EWG5* only: at most one
    g_staticAircraft[3].acState = g_staticAircraft[4].acState = AcState::adding2sim;
    g_staticCreateDeque.push_back(CreateRequest{{}, "KLM2*", "", 4});
    g_createDeque.push_back(CreateRequest{{}, "KLM2*", "", 0x500063}); // a live one under the same callsign
    gf_removeAllStaticAc();
    // the waiting KLM2* left with its request alone; KLM3*'s request is with the simulator
    EXPECT_EQ(g_staticAircraft.size() + 10 * g_createDeque.size() + g_staticCreateDeque.size(), 14u);
    EXPECT_TRUE(g_staticAircraft.back().removeWhenCreated);
    EXPECT_EQ(g_removeDeque, (std::deque<std::uint32_t>{502, 501, 503}));

    CALLSIGN_2_OBJECTID.value.set("EWG5");
    EXPECT_EQ(gf_activeLiveObjectId("EWG5"), 301u);
    EXPECT_TRUE(gf_removeActiveLiveAcByCallsign("EWG5"));
    EXPECT_FALSE(gf_removeActiveLiveAcByCallsign("EWG5"));
    EXPECT_TRUE(CALLSIGN_2_OBJECTID.value.empty()); // the followed aircraft left for good
}

} // namespace
} // namespace traffictest
