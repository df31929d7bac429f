// Ground movement: taxi turns flown as curves, turning in place, holding when the feed stops,
// straight and curved push-back from a stand, and the end of a landing roll across north.
#include "leg_feed.h"

#include "airports/park_data.h"
#include "foundation/option_table.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/airborne_motion.h"
#include "traffic/angles.h"
#include "traffic/feed_intake.h"
#include "traffic/ground_movement.h"
#include "traffic/run_flags.h"
#include "traffic/traffic_containers.h"

#include <cmath>
#include <mutex>

namespace traffictest {
namespace {

struct TaxiTrace {
    bool curved = false;
    double curveTurnDeg = 0.0;    // of the first curve
    double maxCurveTurnDeg = 0.0; // of every curve
    double maxTurnInPlaceDeg = 0.0;
    double maxHeadingStepDeg = 0.0;
    double finalHeadingDeg = 0.0;
};

TaxiTrace lf_taxi(TickDriver& driver, FakeSimLink& sim, double turnToDeg, std::uint32_t hexId)
{
    LegFeed feed;
    feed.identity.hexId = hexId;
    feed.legs = {{40.0, 15.0, 0.0, 90.0}, {60.0, 15.0, 0.0, turnToDeg}};
    feed.deliverStartup();
    TaxiTrace trace;
    driver.beforePass = [&] { feed.deliverLoop(); };
    driver.afterPass = [&] {
        const LiveAc* ac = gf_findLiveAc(feed.identity.hexId);
        if (ac == nullptr)
            return;
        if (!std::isnan(ac->curve[6])) {
            if (!trace.curved)
                trace.curveTurnDeg = ac->curveTurnDeg;
            trace.curved = true;
            trace.maxCurveTurnDeg = std::max(trace.maxCurveTurnDeg, ac->curveTurnDeg);
        }
        if (ac->turnInPlace)
            trace.maxTurnInPlaceDeg = std::max(trace.maxTurnInPlaceDeg, ac->headingErrorDeg);
    };
    driver.run(11000);
    const auto& track = sim.positions[sim.objectOfHex(feed.identity.hexId)->id];
    EXPECT_GT(track.size(), 8000u);
    for (std::size_t i = 1; i < track.size(); ++i) {
        EXPECT_TRUE(finitePosition(track[i]));
        EXPECT_EQ(track[i].altitude, track[0].altitude);
        trace.maxHeadingStepDeg =
            std::max(trace.maxHeadingStepDeg, gf_angleDiffRadToDeg(track[i].heading, track[i - 1].heading));
        // never faster than twice the taxi speed
        EXPECT_LE(metresBetween(track[i - 1], track[i]), 2.0 * 15.0 * 1852.0 / 360000.0) << "at " << i;
    }
    trace.finalHeadingDeg = track.back().heading * g_rad2deg;
    return trace;
}

TEST_F(TrafficTest, SixtyDegreeTaxiTurnIsFlownAsACurveAHundredSeventyNot)
{
    // a hundred and seventy degrees: the reversal is turned in place; only the rest may follow a curve
    const struct { double toDeg, tolerance; bool curved; } cases[] = {{30.0, 2.0, true}, {260.0, 3.5, false}};
    for (std::uint32_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].toDeg);
        if (i > 0)
            restart();
        const TaxiTrace trace = lf_taxi(driver, *sim, cases[i].toDeg, 0x4b1805 + i);
        if (cases[i].curved) {
            EXPECT_TRUE(trace.curved && trace.maxTurnInPlaceDeg < 45.0);
            EXPECT_NEAR(trace.curveTurnDeg, 60.0, 3.0);
        } else {
            EXPECT_TRUE(trace.maxTurnInPlaceDeg > 160.0 && trace.maxCurveTurnDeg <= 160.0);
        }
        EXPECT_LE(trace.maxHeadingStepDeg, 0.5);
        EXPECT_NEAR(trace.finalHeadingDeg, cases[i].toDeg, cases[i].tolerance);
    }
}

TEST_F(TrafficTest, TaxiingAircraftHoldsWhenTheFeedStopsAndIsRemovedLater)
{
    MAX_HOLDING_MINUTES.value = 1;
    LegFeed feed;
    feed.legs = {{600.0, 12.0, 0.0, 90.0}};
    feed.deliverStartup();
    driver.beforePass = [&] { feed.deliverLoop(); };
    driver.run(3000);
    feed.stopped = true;
    std::uint32_t holdingFrom = 0;
    std::uint32_t lastHoldSampleDue = 0;
    std::uint32_t holdSamples = 0;
    driver.afterPass = [&] {
        const LiveAc* ac = gf_findLiveAc(feed.identity.hexId);
        if (ac == nullptr || ac->holding == 0)
            return;
        if (holdingFrom == 0)
            holdingFrom = g_tick;
        const FeedSample& last = ac->samples.back();
        if (last.samePosition != 0 && last.dueTick != lastHoldSampleDue) {
            if (lastHoldSampleDue != 0) {
                EXPECT_EQ(last.dueTick - lastHoldSampleDue, 300u);
            }
            lastHoldSampleDue = last.dueTick;
            ++holdSamples;
        }
    };
    ASSERT_TRUE(driver.runUntil([&] { return gf_findLiveAc(feed.identity.hexId) == nullptr; }, 20000));
    ASSERT_NE(holdingFrom, 0u);
    const std::uint32_t removedAt = g_tick;
    // whole minutes held must exceed the limit of one
    EXPECT_GE(removedAt - holdingFrom, 12000u);
    EXPECT_LE(removedAt - holdingFrom, 12000u + 700u);
    EXPECT_GE(holdSamples, 40u);
    // standing still while holding
    const std::uint32_t id = sim->removals.at(0);
    const auto& track = sim->positions[id];
    ASSERT_GT(track.size(), 3000u);
    EXPECT_LT(metresBetween(track[track.size() - 3000], track.back()), 0.01);
}

// A parked Large aircraft on a hand-made stand, flown tick by tick as the update does it.
class PushbackTest : public TrafficTest {
protected:
    PushbackTest() { place(); }

    void place()
    {
        g_liveAircraft.clear();
        g_tick = 0;
        curveStart = curveEnd = 0;
        g_parkStands.clear();
        g_parkStands.emplace_back("A7", std::vector<StandOption>{}, StandPosition{50.0, 8.0, 90.0 * g_deg2rad},
                                  0.02 * 1852.0, true, true, true);
        g_parkStands.back().id = 7;
        FeedRecord r = Trajectory{}.at(0.0);
        r.sample = FeedSample{};
        r.sample.lat = 50.0;
        r.sample.lon = 8.0;
        g_liveAircraft.emplace_back(r.sample, AcBase(r), 0.0);
        LiveAc& ac = g_liveAircraft.back();
        ac.hexid = r.hexId;
        ac.turnStep = ac.baseTurnStep;
        ac.parkingSpeedKt = 4.0;
        ac.halfWingspanNm = 0.0097;
        ac.objectId = 300;
        ac.acState = AcState::active;
        ac.onGround = true;
        ac.flightState = FlightState::parked;
        ac.standId = 7;
        ac.standLat = 50.0;
        ac.standLon = 8.0;
        ac.standHeading = 90.0 * g_deg2rad;
        ac.position = {50.0, 8.0, 0.0, 0.0, 90.0 * g_deg2rad, 0.0, 0.0, 0.0};
        ac.departurePending = true;
        ac.samples.front().dueTick = 1;
        FeedSample away = ac.samples.front(); // the destination lies behind the stand
        away.lon = 7.99;
        away.groundSpeed = 10.0;
        away.dueTick = 2000;
        ac.samples.push_back(away);
    }

    LiveAc& ac() { return g_liveAircraft.back(); }

    // Ticks until pushed back; the positions of every tick.
    std::vector<std::array<double, 8>> run()
    {
        std::vector<std::array<double, 8>> trace;
        for (int i = 0; i < 20000 && ac().flightState != FlightState::pushed_back; ++i) {
            g_tick = g_tick + 1;
            if (g_tick >= ac().samples.front().dueTick)
                nextPosMain(ac());
            if (!ac().samples.empty() && ac().samples.front().samePosition == 0)
                integrateTick(ac());
            trace.push_back(ac().position);
            if (!std::isnan(ac().curve[6]) && curveStart == 0)
                curveStart = g_tick;
            if (ac().curveT >= 0.999999 && curveEnd == 0)
                curveEnd = g_tick;
        }
        return trace;
    }

    bool queued(std::uint32_t eventId)
    {
        std::lock_guard lock(g_simConnectMutex);
        return std::any_of(g_eventQueue.begin(), g_eventQueue.end(),
                           [&](const ClientEvent& e) { return e.objectId == 300 && e.eventId == eventId; });
    }

    std::uint32_t curveStart = 0;
    std::uint32_t curveEnd = 0;
};

TEST_F(PushbackTest, StraightPushbackEndsTwoAndAHalfStandRadiiBehind)
{
    const auto trace = run();
    ASSERT_EQ(ac().flightState, FlightState::pushed_back);
    EXPECT_EQ(ac().previousFlightState, FlightState::pushing_back);
    EXPECT_EQ(curveStart, 0u);
    const LatLon stand{50.0, 8.0};
    const LatLon end{trace.back()[POS_LAT], trace.back()[POS_LON]};
    EXPECT_NEAR(gf_distanceNm(stand, end) * 1852.0, 2.5 * 0.02 * 1852.0, 1.0);
    EXPECT_NEAR(gf_bearingRad(stand, end) * g_rad2deg, 270.0, 1.0);
    for (const auto& p : trace) {
        ASSERT_NEAR(p[POS_HEADING] * g_rad2deg, 90.0, 1e-9); // nose to the stand all the way
        ASSERT_TRUE(std::isfinite(p[POS_LAT]) && std::isfinite(p[POS_LON]));
    }
    EXPECT_TRUE(queued(EVENT_ENGINE_AUTO_START));
    EXPECT_FALSE(ac().departurePending);
}

TEST_F(PushbackTest, CurvedPushbackTurnsAtThePushbackSpeedUntilItsEndSample)
{
    for (const bool otherSide : {false, true}) {
        SCOPED_TRACE(otherSide);
        place();
        ac().pushbackCurve = true;
        ac().pushbackOtherSide = otherSide;
        const auto trace = run();
        ASSERT_EQ(ac().flightState, FlightState::pushed_back);
        // the turn ends when its end sample falls due, at about the push-back speed (a curve is
        // fastest at its ends), not standing still before it
        ASSERT_NE(curveStart, 0u);
        EXPECT_LE(g_tick - curveEnd, 1u);
        for (std::size_t i = curveStart; i < curveEnd; ++i) {
            const LatLon a{trace[i - 1][POS_LAT], trace[i - 1][POS_LON]};
            ASSERT_LE(gf_distanceNm(a, LatLon{trace[i][POS_LAT], trace[i][POS_LON]}), 2.5 * 4.0 / 360000.0) << i;
        }
        // the tail swings to one side, the nose the other way
        EXPECT_NEAR(trace.back()[POS_HEADING] * g_rad2deg, otherSide ? 180.0 : 0.0, 1.0);
        const LatLon p1 = gf_destinationPoint(LatLon{50.0, 8.0}, 270.0 * g_deg2rad, 2.5 * 0.02 * 6076.11549);
        EXPECT_NEAR(gf_distanceNm(p1, LatLon{trace.back()[POS_LAT], trace.back()[POS_LON]}), 0.0097, 0.0005);
        for (std::size_t i = 1; i < trace.size(); ++i)
            ASSERT_LE(gf_angleDiffRadToDeg(trace[i][POS_HEADING], trace[i - 1][POS_HEADING]), 0.5) << "at " << i;
    }
}

TEST_F(PushbackTest, DestinationAheadPullsOutAlongTheStandHeading)
{
    ac().samples.back().lon = 8.01;
    g_tick = 1;
    nextPosMain(ac());
    EXPECT_EQ(ac().flightState, FlightState::taxi);
    EXPECT_EQ(ac().previousFlightState, FlightState::parked);
    EXPECT_FALSE(ac().departurePending);
    ASSERT_EQ(ac().samples.size(), 1u);
    const FeedSample& target = ac().samples.front();
    const LatLon stand{50.0, 8.0};
    EXPECT_NEAR(gf_distanceNm(stand, LatLon{target.lat, target.lon}), 2.0 * ac().halfWingspanNm, 1e-6);
    EXPECT_NEAR(gf_bearingRad(stand, LatLon{target.lat, target.lon}) * g_rad2deg, 90.0, 0.01);
    EXPECT_EQ(target.groundSpeed, 4.0);
    EXPECT_TRUE(queued(EVENT_ENGINE_AUTO_START));
}

TEST_F(PushbackTest, FeedDecidesTheTurnOfThePushbackAndTheDeparture)
{
    LiveAc& a = ac();
    FeedSample s = a.samples.front();
    a.flightState = FlightState::pushing_back;
    a.pushbackCounter = 2;
    // no track, no decision; 45 is left of the stand's 90, a heading of 100 right of it
    const struct { bool straightOnly; double track; std::optional<double> headingDeg; bool curve, otherSide; } cases[] = {
        {false, 0.0, {}, false, false}, {true, 45.0, {}, false, false}, {false, 45.0, {}, true, false},
        {false, 45.0, 100.0, true, true}};
    for (const auto& c : cases) {
        STRAIGHT_PBS_ONLY.value = c.straightOnly;
        s.track = c.track;
        s.trueHeading = c.headingDeg ? std::optional(*c.headingDeg * g_deg2rad) : std::nullopt;
        EXPECT_FALSE(checkExtendingSituations(a, s));
        EXPECT_EQ((std::pair{a.pushbackCurve, a.pushbackOtherSide}), (std::pair{c.curve, c.otherSide})) << c.track;
    }

    // pushed back: samples close by hold it, one well away (beyond 2.75 half wingspans, farther than before)
    // lets it taxi
    place();
    run();
    LiveAc& b = ac();
    ASSERT_EQ(b.flightState, FlightState::pushed_back);
    for (const double halfWingspans : {0.5, 0.4, 3.0}) {
        FeedSample x = b.samples.front();
        const LatLon p = gf_destinationPoint(LatLon{b.position[POS_LAT], b.position[POS_LON]}, 0.0,
                                             halfWingspans * b.halfWingspanNm * 6076.11549);
        std::tie(x.lat, x.lon, x.samePosition) = std::tuple{p.lat, p.lon, std::uint8_t{1}};
        EXPECT_EQ(checkExtendingSituations(b, x), halfWingspans > 1.0) << halfWingspans;
        EXPECT_TRUE(halfWingspans != 0.5 || b.holding == 1u);
        EXPECT_TRUE(halfWingspans < 1.0 || (std::tuple{x.samePosition, b.flightState, b.standId, b.holding,
                                                       b.pushbackCounter} == std::tuple{0u, FlightState::taxi, 0u, 0u, 0}));
    }
}

TEST_F(PushbackTest, LandingRollWhoseSamplesClimbAgainGoesAround)
{
    LiveAc& a = ac();
    a.flightState = FlightState::taxi;
    a.landingRoll = true;
    a.approach = true;
    a.throttleIndex = 0;
    a.samples.resize(1);
    FeedSample up = a.samples.front();
    up.lon = 8.01;
    up.altitude = 300.0;
    up.airborne = 1;
    up.groundSpeed = 140.0;
    up.dueTick = 500;
    a.samples.push_back(up);
    up.lon = 8.02;
    up.altitude = 500.0;
    up.dueTick = 700;
    decodeExisting(a, up);
    ASSERT_EQ(a.samples.size(), 3u);
    EXPECT_TRUE(a.takeoffRoll);
    EXPECT_FALSE(a.approach);
    EXPECT_EQ(a.throttleIndex, 3u);
    EXPECT_EQ(a.lateLimit, 5000);
    EXPECT_EQ(a.earlyLimit, 3000);
    EXPECT_TRUE(queued(EVENT_SPOILERS_SET));
}

TEST_F(PushbackTest, LandingRollEndsOnlyAfterAFifteenDegreeTurnAcrossNorth)
{
    LiveAc& a = ac();
    a.flightState = FlightState::taxi;
    a.landingRoll = true;
    a.rollStartHeading = 355.0 * g_deg2rad;
    a.position[POS_HEADING] = 5.0 * g_deg2rad;
    a.samples.front().groundSpeed = 120.0;
    endLandingRoll(a);
    EXPECT_TRUE(a.landingRoll);
    a.position[POS_HEADING] = 11.0 * g_deg2rad;
    endLandingRoll(a);
    EXPECT_FALSE(a.landingRoll);
    EXPECT_EQ(a.flapsIndex, 0u);
}

} // namespace
} // namespace traffictest
