// Due ticks, the hand-over of feed batches and the plausibility rules for new samples.
#include "traffic_harness.h"

#include "support/manual_time.h"
#include "traffic/feed_intake.h"
#include "airports/park_data.h"
#include "traffic/park_airport.h"
#include "traffic/run_flags.h"
#include "traffic/traffic_containers.h"

#include <limits>

namespace traffictest {
namespace {

constexpr double g_t0 = 1.7e9;

class FeedIntake : public TrafficTest {
protected:
    // A record of the trajectory at feed time t0 + dt, due at the given tick.
    static FeedRecord record(const Trajectory& t, double dt, std::uint32_t due)
    {
        FeedRecord r = t.at(g_t0 + dt);
        r.sample.dueTick = due;
        return r;
    }
    static std::size_t samplesOf(std::uint32_t hexId)
    {
        const LiveAc* ac = gf_findLiveAc(hexId);
        return ac == nullptr ? 0 : ac->samples.size();
    }
    Trajectory slow() const
    {
        Trajectory t;
        t.startTime = g_t0;
        t.groundSpeedKt = 100.0;
        return t;
    }
};

TEST_F(FeedIntake, DueTicksFollowTheMedianAndNeverWrap)
{
    std::vector<FeedRecord> batch;
    g_tick = 500;
    Trajectory t;
    batch.push_back(t.at(g_t0));
    gf_intakeFeedBatch(batch, 30);
    ASSERT_EQ(g_feedStack.size(), 1u);
    EXPECT_EQ(g_feedStack[0].sample.dueTick, 3500u); // a single record falls due at base
    EXPECT_TRUE(batch.empty());

    EXPECT_EQ(gf_dueTick(g_t0 + 2.37, g_t0, 1000), 1230u);
    EXPECT_EQ(gf_dueTick(g_t0 - 2.37, g_t0, 1000), 770u);
    EXPECT_EQ(gf_dueTick(g_t0 + 1e9, g_t0, 0), std::numeric_limits<std::uint32_t>::max());
    EXPECT_EQ(gf_dueTick(std::numeric_limits<double>::quiet_NaN(), g_t0, 77), 77u);

    // the first start-up snapshot of a first run: the older records fall due at 0, not at 4.29e9
    g_tick = 0;
    std::vector<FeedRecord> first;
    for (std::uint32_t i = 0; i < 3; ++i) {
        Trajectory other;
        other.hexId = 0x500000 + i;
        other.callsign = "DLH" + std::to_string(10 + i);
        first.push_back(other.at(g_t0 + 2.37 * i));
    }
    gf_intakeFeedBatch(first, 0);
    ASSERT_EQ(g_liveAircraft.size(), 3u);
    EXPECT_EQ(gf_findLiveAc(0x500000)->samples.front().dueTick, 0u);
    EXPECT_EQ(gf_findLiveAc(0x500001)->samples.front().dueTick, 0u);
    EXPECT_EQ(gf_findLiveAc(0x500002)->samples.front().dueTick, 230u);
}

TEST_F(FeedIntake, LoopBatchesWaitForAnEmptyStackAndARunningFlightAndTwoGoPerPass)
{
    const auto lt_batch = [](std::uint32_t firstHex) {
        std::vector<FeedRecord> batch;
        for (std::uint32_t i = 0; i < 5; ++i) {
            Trajectory t;
            t.hexId = firstHex + i;
            t.callsign = "EZY" + std::to_string(firstHex + i);
            batch.push_back(t.at(g_t0));
        }
        return batch;
    };
    auto a = lt_batch(0x600000);
    gf_setRunning(false);
    gf_intakeFeedBatch(a, 30);
    EXPECT_TRUE(g_feedStack.empty());
    EXPECT_TRUE(a.empty()); // dropped whole

    gf_setRunning(true);
    a = lt_batch(0x600000);
    gf_intakeFeedBatch(a, 30);
    EXPECT_EQ(g_feedStack.size(), 5u);
    auto b = lt_batch(0x700000);
    gf_intakeFeedBatch(b, 30);
    EXPECT_EQ(g_feedStack.size(), 5u); // the stack is not empty: dropped
    EXPECT_TRUE(b.empty());

    driver.pass();
    EXPECT_EQ(g_liveAircraft.size(), 2u);
    EXPECT_EQ(g_feedStack.size(), 3u);
    driver.run(2);
    EXPECT_EQ(g_liveAircraft.size(), 5u);
    EXPECT_EQ(gf_findLiveAc(0x700000), nullptr);
}

TEST_F(FeedIntake, NewSamplesMustBeLaterAndPlausible)
{
    const Trajectory t = slow();
    gf_applyFeedRecord(record(t, 0.0, 100));
    ASSERT_EQ(samplesOf(t.hexId), 1u);
    gf_applyFeedRecord(record(t, 0.5, 150));
    gf_applyFeedRecord(record(t, 1.0, 200));
    EXPECT_EQ(samplesOf(t.hexId), 1u);
    gf_applyFeedRecord(record(t, 1.1, 210));
    EXPECT_EQ(samplesOf(t.hexId), 2u);

    // speed jumps by ten times, or from standing to 80 kt and back, are noise
    FeedRecord jump = record(t, 5.0, 600);
    jump.sample.groundSpeed = 1000.0;
    gf_applyFeedRecord(jump);
    jump.sample.groundSpeed = 9.0;
    gf_applyFeedRecord(jump);
    EXPECT_EQ(samplesOf(t.hexId), 2u);
    jump.sample.groundSpeed = 95.0;
    gf_applyFeedRecord(jump);
    EXPECT_EQ(samplesOf(t.hexId), 3u);

    // a due tick not after the newest sample's is raised past it
    gf_applyFeedRecord(record(t, 7.0, 10));
    const auto& q = gf_findLiveAc(t.hexId)->samples;
    EXPECT_EQ(q.back().dueTick, q[q.size() - 2].dueTick + 1);
}

TEST_F(FeedIntake, FastStraightFlightNeedsProgressOf450Metres)
{
    Trajectory t;
    t.startTime = g_t0;
    t.trackDeg = 359.6;
    gf_applyFeedRecord(record(t, 0.0, 100));
    FeedRecord r = record(t, 3.0, 400);
    r.sample.track = 0.3; // 0.7 degrees off across north
    gf_applyFeedRecord(r);
    EXPECT_EQ(samplesOf(t.hexId), 1u);
    r.sample.track = 3.0;
    gf_applyFeedRecord(r);
    EXPECT_EQ(samplesOf(t.hexId), 2u);
    r = record(t, 6.0, 700); // 3.0 s later on the same track: 386 m
    r.sample.track = 3.5;
    gf_applyFeedRecord(r);
    EXPECT_EQ(samplesOf(t.hexId), 2u);
    r = record(t, 7.0, 800); // 4.0 s later: 514 m
    r.sample.track = 3.5;
    gf_applyFeedRecord(r);
    EXPECT_EQ(samplesOf(t.hexId), 3u);
}

TEST_F(FeedIntake, RecordsNearTheFieldElevationAreNotTakenWhileBuffering)
{
    parkAirport = Airport{"EDDF", "", 50.03, 8.57, 0.0};
    gf_setParkAirportElevation(420.0);
    Trajectory low = slow();
    low.altitudeFt = 500.0;
    gf_applyFeedRecord(record(low, 0.0, 100));
    EXPECT_EQ(gf_findLiveAc(low.hexId), nullptr);

    Trajectory t = slow();
    t.altitudeFt = 10000.0;
    gf_applyFeedRecord(record(t, 0.0, 100));
    FeedRecord r = record(t, 2.0, 300);
    r.sample.altitude = 500.0;
    gf_applyFeedRecord(r);
    EXPECT_EQ(samplesOf(t.hexId), 1u);
    r.sample.altitude = 10000.0;
    gf_applyFeedRecord(r);
    EXPECT_EQ(samplesOf(t.hexId), 2u);
}

TEST_F(FeedIntake, SecondHexIdOfTheSameFlightMakesNoAircraft)
{
    const Trajectory t = slow();
    gf_applyFeedRecord(record(t, 0.0, 100));
    gf_applyFeedRecord(record(t, 0.0, 100)); // the same hex id again: no second record
    Trajectory twin = t;
    twin.hexId = t.hexId + 1;
    gf_applyFeedRecord(record(twin, 2.0, 300));
    Trajectory otherType = t;
    otherType.hexId = t.hexId + 2;
    otherType.type = "A319";
    otherType.registration = "G-EUPA";
    gf_applyFeedRecord(record(otherType, 2.0, 300));
    ASSERT_EQ(g_liveAircraft.size(), 2u);
    EXPECT_EQ(gf_findLiveAc(twin.hexId), nullptr);
    EXPECT_NE(gf_findLiveAc(otherType.hexId), nullptr);

    // an unknown type without a known registration makes nothing either
    Trajectory unknown = t;
    unknown.hexId = t.hexId + 3;
    unknown.callsign = "XYZ1";
    unknown.type = "ZZ99";
    unknown.registration = "N999ZZ";
    gf_applyFeedRecord(record(unknown, 0.0, 100));
    EXPECT_EQ(g_liveAircraft.size(), 2u);
}

TEST_F(FeedIntake, MoreThan200QueuedSamplesRemoveTheAircraft)
{
    const Trajectory t = slow();
    for (int i = 0; i <= 200; ++i)
        gf_applyFeedRecord(record(t, 1.5 * i, 100000 + 10 * static_cast<std::uint32_t>(i)));
    ASSERT_EQ(samplesOf(t.hexId), 201u);
    EXPECT_FALSE(gf_findLiveAc(t.hexId)->erase);
    gf_applyFeedRecord(record(t, 1.5 * 201, 200000));
    EXPECT_TRUE(gf_findLiveAc(t.hexId)->erase);
    driver.pass();
    EXPECT_EQ(gf_findLiveAc(t.hexId), nullptr);
}

TEST_F(FeedIntake, LandingCheckComparesDirectionsAcrossNorth)
{
    const Trajectory t = slow();
    gf_applyFeedRecord(record(t, 0.0, 100));
    LiveAc& ac = *gf_findLiveAc(t.hexId);
    ac.acState = AcState::active;
    ac.objectId = 200;
    ac.flightState = FlightState::flying;
    ac.approach = true;
    ac.position[POS_HEADING] = 359.0 * g_deg2rad;
    const FeedSample& s0 = ac.samples.front();
    const LatLon ahead = gf_destinationPoint(LatLon{s0.lat, s0.lon}, 1.0 * g_deg2rad, 3000.0);
    const LatLon behind = gf_destinationPoint(LatLon{s0.lat, s0.lon}, 180.0 * g_deg2rad, 3000.0);
    FeedRecord back = record(t, 5.0, 600);
    back.sample.lat = behind.lat;
    back.sample.lon = behind.lon;
    gf_applyFeedRecord(back);
    EXPECT_EQ(samplesOf(t.hexId), 1u);
    FeedRecord on = record(t, 8.0, 900); // the refused record still counted as the newest time
    on.sample.lat = ahead.lat;
    on.sample.lon = ahead.lon;
    gf_applyFeedRecord(on);
    EXPECT_EQ(samplesOf(t.hexId), 2u);
}

TEST_F(FeedIntake, AReportDatedFarBeyondItsAnswerNeitherMakesNorHoldsAnAircraft)
{
    testsupport::ManualTime time(0);
    g_tick = 1000;
    const auto lt_answer = [](double time, double bogusTime) {
        std::vector<FeedRecord> batch;
        for (std::uint32_t i = 0; i < 3; ++i) {
            Trajectory t;
            t.hexId = 0x510000 + i;
            t.callsign = "BAW" + std::to_string(20 + i);
            t.registration = "G-EUP" + std::string(1, static_cast<char>('A' + i));
            batch.push_back(t.at(time + i));
        }
        Trajectory known; // the default trajectory, already flying
        batch.push_back(known.at(bogusTime));
        return batch;
    };
    Trajectory newcomer;
    newcomer.hexId = 0x520000;
    newcomer.callsign = "AFR7";
    auto first = lt_answer(g_t0, g_t0);
    first.push_back(newcomer.at(g_t0 + 5e6)); // dated two months ahead
    gf_intakeFeedBatch(first, 0);
    EXPECT_EQ(gf_findLiveAc(newcomer.hexId), nullptr);
    const Trajectory known;
    ASSERT_NE(gf_findLiveAc(known.hexId), nullptr);
    EXPECT_EQ(samplesOf(known.hexId), 1u);

    // a bogus time for a known aircraft neither joins its samples nor shuts out its true reports
    auto second = lt_answer(g_t0 + 6.0, g_t0 + 5e6);
    gf_intakeFeedBatch(second, 6);
    EXPECT_EQ(samplesOf(known.hexId), 1u);
    auto third = lt_answer(g_t0 + 12.0, g_t0 + 12.0);
    gf_intakeFeedBatch(third, 12);
    ASSERT_EQ(samplesOf(known.hexId), 2u);
    EXPECT_LT(gf_findLiveAc(known.hexId)->samples.back().dueTick, 1000u + 12u * 100u + 1000u);

    // the newcomer's true reports make it as usual
    std::vector<FeedRecord> fourth{newcomer.at(g_t0 + 18.0)};
    gf_intakeFeedBatch(fourth, 18);
    EXPECT_NE(gf_findLiveAc(newcomer.hexId), nullptr);

    // in an answer of one or two a bogus report is judged against the rest of its answer and the
    // earlier answers; a true one is taken after a quarter of an hour without answers
    for (auto answer : {std::vector<FeedRecord>{known.at(g_t0 + 5e6)},
                        std::vector<FeedRecord>{newcomer.at(g_t0 + 24.0), known.at(g_t0 + 5e6)}}) {
        gf_intakeFeedBatch(answer, 24);
        EXPECT_EQ(samplesOf(known.hexId), 2u);
    }
    time.clock().advance(std::chrono::minutes(15));
    std::vector<FeedRecord> back{known.at(g_t0 + 18.0 + 900.0)};
    gf_intakeFeedBatch(back, 24);
    EXPECT_EQ(samplesOf(known.hexId), 3u);
}

} // namespace
} // namespace traffictest
