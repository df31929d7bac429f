// Due ticks, the hand-over of feed batches and the plausibility rules for new samples.
#include "stand_fixture.h"
#include "traffic_harness.h"

#include "feed/live_records.h"
#include "feed/traffic_client.h"
#include "foundation/option_table.h"
#include "foundation/time_shift.h"
#include "foundation/utc_time.h"
#include "support/manual_time.h"
#include "traffic/feed_intake.h"
#include "airports/park_data.h"
#include "traffic/park_airport.h"
#include "traffic/run_flags.h"
#include "traffic/stand_parking.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <chrono>
#include <cmath>
#include <fmt/format.h>
#include <functional>
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
    // Applies that record, its sample changed; the aircraft's samples after it.
    static std::size_t apply(const Trajectory& t, double dt, std::uint32_t due,
                             const std::function<void(FeedSample&)>& change = {})
    {
        FeedRecord r = record(t, dt, due);
        if (change)
            change(r.sample);
        gf_applyFeedRecord(r);
        return samplesOf(t.hexId);
    }
    static inline const Trajectory slow{.groundSpeedKt = 100.0, .startTime = g_t0};

    // An answer of the loop through the Traffic Reader, asked under that time shift: an aircraft
    // "4b18<nn>" for each report time, numbered from `first`, near 50 N, 8 E.
    static void takeAnswer(const std::vector<double>& times, std::int32_t askedUnderShift, std::size_t first = 1)
    {
        nlohmann::json data = nlohmann::json::object();
        for (std::size_t i = 0; i < times.size(); ++i) {
            const std::string hex = fmt::format("4b18{:02x}", first + i);
            nlohmann::json& line = data[hex] = nlohmann::json(48, nullptr);
            for (const auto& [k, value] : std::vector<std::pair<std::size_t, nlohmann::json>>{
                     {0, hex}, {1, 50.05}, {2, 8.05}, {3, 90.0}, {4, 5000}, {5, 250.0}, {8, "A320"}, {10, times[i]},
                     {13, fmt::format("DLH{}", first + i)}, {17, "adsb_icao"}})
                line[k] = value;
        }
        RtTrafficClient& reader = gf_trafficClient();
        reader.trafficText = nlohmann::json{{"status", 200}, {"data", data}}.dump();
        std::int32_t status = 0;
        reader.takeTrafficAnswer(status, askedUnderShift);
    }
};

TEST_F(FeedIntake, DueTicksFollowTheMedianAndNeverWrap)
{
    g_tick = 500;
    std::vector<FeedRecord> batch{Trajectory{}.at(g_t0)};
    gf_intakeFeedBatch(batch, 30, g_timeOffset);
    ASSERT_EQ(g_feedStack.size(), 1u);
    EXPECT_EQ(g_feedStack[0].sample.dueTick, 3500u); // a single record falls due at base
    EXPECT_TRUE(batch.empty());
    EXPECT_EQ(std::vector({gf_dueTick(g_t0 + 2.37, g_t0, 1000), gf_dueTick(g_t0 - 2.37, g_t0, 1000),
                           gf_dueTick(g_t0 + 1e9, g_t0, 0), gf_dueTick(std::nan(""), g_t0, 77)}),
              std::vector<std::uint32_t>({1230, 770, std::numeric_limits<std::uint32_t>::max(), 77}));

    // the first start-up snapshot of a first run: the older records fall due at 0, not at 4.29e9
    g_tick = 0;
    std::vector<FeedRecord> first;
    for (std::uint32_t i = 0; i < 3; ++i)
        first.push_back(Trajectory{.hexId = 0x500000 + i, .callsign = fmt::format("DLH{}", 10 + i)}.at(g_t0 + 2.37 * i));
    gf_intakeFeedBatch(first, 0, g_timeOffset);
    ASSERT_EQ(g_liveAircraft.size(), 3u);
    for (std::uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(gf_findLiveAc(0x500000 + i)->samples.front().dueTick, i == 2 ? 230u : 0u) << i;
}

TEST_F(FeedIntake, LoopBatchesWaitForAnEmptyStackAndARunningFlightAndTwoGoPerPass)
{
    const auto lt_batch = [](std::uint32_t firstHex) {
        std::vector<FeedRecord> batch;
        for (std::uint32_t hex = firstHex; hex < firstHex + 5; ++hex)
            batch.push_back(Trajectory{.hexId = hex, .callsign = fmt::format("EZY{}", hex)}.at(g_t0));
        return batch;
    };
    auto a = lt_batch(0x600000);
    gf_setRunning(false);
    gf_intakeFeedBatch(a, 30, g_timeOffset);
    EXPECT_TRUE(g_feedStack.empty() && a.empty()); // dropped whole

    gf_setRunning(true);
    a = lt_batch(0x600000);
    auto b = lt_batch(0x700000);
    gf_intakeFeedBatch(a, 30, g_timeOffset);
    gf_intakeFeedBatch(b, 30, g_timeOffset);
    EXPECT_TRUE(g_feedStack.size() == 5u && b.empty()); // the stack is not empty: the second dropped
    driver.pass();
    EXPECT_EQ(std::pair(g_liveAircraft.size(), g_feedStack.size()), (std::pair<std::size_t, std::size_t>(2, 3)));
    driver.run(2);
    EXPECT_EQ(g_liveAircraft.size(), 5u);
    EXPECT_EQ(gf_findLiveAc(0x700000), nullptr);
}

TEST_F(FeedIntake, NewSamplesMustBeLaterAndPlausible)
{
    const Trajectory& t = slow;
    for (const auto& [dt, due, samples] : {std::tuple{0.0, 100u, 1u}, {0.5, 150u, 1u}, {1.0, 200u, 1u}, {1.1, 210u, 2u}})
        EXPECT_EQ(apply(t, dt, due), samples) << dt;
    // speed jumps by ten times, or from standing to 80 kt and back, are noise
    for (const double knots : {1000.0, 9.0, 95.0})
        EXPECT_EQ(apply(t, 5.0, 600, [knots](FeedSample& s) { s.groundSpeed = knots; }), knots == 95.0 ? 3u : 2u);
    // a due tick not after the newest sample's is raised past it
    apply(t, 7.0, 10);
    const auto& q = gf_findLiveAc(t.hexId)->samples;
    EXPECT_EQ(q.back().dueTick, q[q.size() - 2].dueTick + 1);
}

TEST_F(FeedIntake, FastStraightFlightNeedsProgressOf450Metres)
{
    const Trajectory t{.trackDeg = 359.6, .startTime = g_t0};
    apply(t, 0.0, 100);
    // 0.7 degrees off across north; then 3.0 s later on the same track: 386 m; 4.0 s later: 514 m
    const struct { double dt; std::uint32_t due; double track; std::size_t samples; } cases[] = {
        {3.0, 400, 0.3, 1}, {3.0, 400, 3.0, 2}, {6.0, 700, 3.5, 2}, {7.0, 800, 3.5, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(apply(t, c.dt, c.due, [&c](FeedSample& s) { s.track = c.track; }), c.samples) << c.track;
}

TEST_F(FeedIntake, RecordsNearTheFieldElevationAreNotTakenWhileBuffering)
{
    parkAirport = Airport{"EDDF", "", 50.03, 8.57, 0.0};
    gf_setParkAirportElevation(420.0);
    Trajectory t = slow;
    t.altitudeFt = 500.0;
    EXPECT_EQ(apply(t, 0.0, 100), 0u);
    t.altitudeFt = 10000.0;
    apply(t, 0.0, 100);
    for (const double feet : {500.0, 10000.0})
        EXPECT_EQ(apply(t, 2.0, 300, [feet](FeedSample& s) { s.altitude = feet; }), feet > 1000.0 ? 2u : 1u);
}

TEST_F(FeedIntake, SecondHexIdOfTheSameFlightMakesNoAircraft)
{
    const Trajectory& t = slow;
    apply(t, 0.0, 100);
    apply(t, 0.0, 100); // the same hex id again: no second record
    Trajectory twin = t, otherType = t, unknown = t;
    twin.hexId = t.hexId + 1;
    std::tie(otherType.hexId, otherType.type, otherType.registration) = std::tuple{t.hexId + 2, "A319", "G-EUPA"};
    apply(twin, 2.0, 300);
    apply(otherType, 2.0, 300);
    ASSERT_EQ(g_liveAircraft.size(), 2u);
    EXPECT_TRUE(gf_findLiveAc(twin.hexId) == nullptr && gf_findLiveAc(otherType.hexId) != nullptr);
    // an unknown type without a known registration makes nothing either
    std::tie(unknown.hexId, unknown.callsign, unknown.type, unknown.registration) =
        std::tuple{t.hexId + 3, "XYZ1", "ZZ99", "N999ZZ"};
    apply(unknown, 0.0, 100);
    EXPECT_EQ(g_liveAircraft.size(), 2u);
}

TEST_F(FeedIntake, MoreThan200QueuedSamplesRemoveTheAircraft)
{
    const Trajectory& t = slow;
    for (int i = 0; i <= 200; ++i)
        apply(t, 1.5 * i, 100000 + 10 * static_cast<std::uint32_t>(i));
    ASSERT_EQ(samplesOf(t.hexId), 201u);
    EXPECT_FALSE(gf_findLiveAc(t.hexId)->erase);
    apply(t, 1.5 * 201, 200000);
    EXPECT_TRUE(gf_findLiveAc(t.hexId)->erase);
    driver.pass();
    EXPECT_EQ(gf_findLiveAc(t.hexId), nullptr);
}

TEST_F(FeedIntake, LandingCheckComparesDirectionsAcrossNorth)
{
    const Trajectory& t = slow;
    apply(t, 0.0, 100);
    LiveAc& ac = *gf_findLiveAc(t.hexId);
    std::tie(ac.acState, ac.objectId, ac.flightState, ac.approach) =
        std::tuple{AcState::active, 200u, FlightState::flying, true};
    ac.position[POS_HEADING] = 359.0 * g_deg2rad;
    const auto lt_to = [from = LatLon{ac.samples.front().lat, ac.samples.front().lon}](double bearingDeg) {
        return [p = gf_destinationPoint(from, bearingDeg * g_deg2rad, 3000.0)](FeedSample& s) {
            std::tie(s.lat, s.lon) = std::pair{p.lat, p.lon};
        };
    };
    EXPECT_EQ(apply(t, 5.0, 600, lt_to(180.0)), 1u);
    EXPECT_EQ(apply(t, 8.0, 900, lt_to(1.0)), 2u); // the refused record still counted as the newest time
}

// An aircraft driving onto its stand (heading 300) meets a report of the feed on the ground at
// 3 kt: on its course to the stand, less than the 13 s that 20 m take at that speed after the
// last one taken, it makes too little progress and is not taken; later, or on another course, it is.
TEST_F(StandTest, ADriveOntoAStandIsJudgedOnItsCourseByTheIntake)
{
    const struct {
        const char* name;
        double trackDeg, seconds;
        bool taken;
    } cases[] = {{"on its course, 5 s on", 300.0, 5.0, false},
                 {"on its course, 14 s on", 300.0, 14.0, true},
                 {"60 degrees off, 5 s on", 240.0, 5.0, true}};
    for (const auto& c : cases) {
        g_liveAircraft.clear();
        g_parkStands.clear();
        const Stand& stand = addStand(g_origin, 20.0, gate, 300.0);
        const LatLon from = lf_at(120.0, 10.0);
        LiveAc& ac = addLive(0x400001, "DLH1", from, FlightState::taxi);
        ac.lastSampleTime = g_t0;
        try2Park(ac, false);
        ASSERT_EQ((std::tuple{ac.flightState, ac.standId}), (std::tuple{FlightState::parking, stand.id}));
        FeedRecord r;
        std::tie(r.hexId, r.callsign, r.type, r.recordTime) =
            std::tuple{ac.hexid, ac.callsign, ac.type, g_t0 + c.seconds};
        const LatLon on = lf_at(300.0, 1.0, from);
        std::tie(r.sample.lat, r.sample.lon, r.sample.groundSpeed, r.sample.track) =
            std::tuple{on.lat, on.lon, 3.0, c.trackDeg};
        r.sample.dueTick = g_tick + 500;
        gf_applyFeedRecord(r);
        EXPECT_EQ(ac.lastSampleTime == r.recordTime, c.taken) << c.name;
        EXPECT_EQ(ac.standChecked, c.taken) << c.name;
        EXPECT_EQ(ac.flightState, FlightState::parking) << c.name;
    }
}

TEST_F(FeedIntake, AReportDatedFarBeyondItsAnswerNeitherMakesNorHoldsAnAircraft)
{
    testsupport::ManualTime time(0);
    g_tick = 1000;
    const auto lt_answer = [](double time, double bogusTime) {
        std::vector<FeedRecord> batch;
        for (std::uint32_t i = 0; i < 3; ++i)
            batch.push_back(Trajectory{.hexId = 0x510000 + i, .callsign = fmt::format("BAW{}", 20 + i),
                                       .registration = fmt::format("G-EUP{:c}", 'A' + i)}.at(time + i));
        batch.push_back(Trajectory{}.at(bogusTime)); // the default trajectory, already flying
        return batch;
    };
    const Trajectory newcomer{.hexId = 0x520000, .callsign = "AFR7"};
    auto first = lt_answer(g_t0, g_t0);
    first.push_back(newcomer.at(g_t0 + 5e6)); // dated two months ahead
    gf_intakeFeedBatch(first, 0, g_timeOffset);
    EXPECT_EQ(gf_findLiveAc(newcomer.hexId), nullptr);
    const Trajectory known;
    ASSERT_NE(gf_findLiveAc(known.hexId), nullptr);
    EXPECT_EQ(samplesOf(known.hexId), 1u);

    // a bogus time for a known aircraft neither joins its samples nor shuts out its true reports
    auto second = lt_answer(g_t0 + 6.0, g_t0 + 5e6);
    gf_intakeFeedBatch(second, 6, g_timeOffset);
    EXPECT_EQ(samplesOf(known.hexId), 1u);
    auto third = lt_answer(g_t0 + 12.0, g_t0 + 12.0);
    gf_intakeFeedBatch(third, 12, g_timeOffset);
    ASSERT_EQ(samplesOf(known.hexId), 2u);
    EXPECT_LT(gf_findLiveAc(known.hexId)->samples.back().dueTick, 1000u + 12u * 100u + 1000u);

    // the newcomer's true reports make it as usual
    std::vector<FeedRecord> fourth{newcomer.at(g_t0 + 18.0)};
    gf_intakeFeedBatch(fourth, 18, g_timeOffset);
    EXPECT_NE(gf_findLiveAc(newcomer.hexId), nullptr);

    // in an answer of one or two a bogus report is judged against the rest of its answer and the
    // earlier answers; a true one is taken after a quarter of an hour without answers
    for (auto answer : {std::vector<FeedRecord>{known.at(g_t0 + 5e6)},
                        std::vector<FeedRecord>{newcomer.at(g_t0 + 24.0), known.at(g_t0 + 5e6)}}) {
        gf_intakeFeedBatch(answer, 24, g_timeOffset);
        EXPECT_EQ(samplesOf(known.hexId), 2u);
    }
    time.clock().advance(std::chrono::minutes(15));
    std::vector<FeedRecord> back{known.at(g_t0 + 18.0 + 900.0)};
    gf_intakeFeedBatch(back, 24, g_timeOffset);
    EXPECT_EQ(samplesOf(known.hexId), 3u);
}

TEST_F(FeedIntake, TheProgramsClockFollowsOnlyTheReportsKept)
{
    testsupport::ManualTime time(0);
    gf_setReaderRefPos(LatLon{50.0, 8.0});
    g_rangeNm = 40.0;
    // the feed time after one answer through the Traffic Reader, of a report at each time
    const auto lt_feedTimeAfter = [](const std::vector<double>& times) {
        takeAnswer(times, g_timeOffset);
        return g_latestFeedTime.load();
    };
    const double t0 = 1767225590.0, in2035 = 2062000000.0;
    const std::tuple<const char*, std::vector<double>, double> cases[] = {
        {"an answer with a report dated years ahead", {t0, t0 + 1.0, t0 + 2.0, in2035}, t0 + 2.0},
        {"that report alone in the next answer", {in2035}, t0 + 2.0},
        {"a report beyond the clock's range, first in a run", {1e300}, 0.0}};
    for (const auto& [name, times, feedTime] : cases) {
        if (feedTime == 0.0) {
            gf_resetLatestFeedTime(); // nothing earlier to judge it by
            g_latestFeedTime = 0.0;
        }
        EXPECT_EQ(lt_feedTimeAfter(times), feedTime) << name;
        g_timeShifted = true; // the shifted clock follows the feed time
        EXPECT_NO_THROW(EXPECT_EQ(gf_now(), static_cast<std::int64_t>(feedTime))) << name;
        g_timeShifted = false;
    }
}

// The traffic of three days ago while it lives.
struct ThreeDayShift {
    ThreeDayShift() { std::tie(g_timeOffset, g_timeShifted) = std::pair{3 * 1440, true}; }
    ~ThreeDayShift() { std::tie(g_timeOffset, g_timeShifted) = std::pair{0, false}; }
    ThreeDayShift(const ThreeDayShift&) = delete;
    ThreeDayShift& operator=(const ThreeDayShift&) = delete;
};

TEST_F(FeedIntake, UnderATimeShiftALoneFirstReportMovesTheClockOnlyWhenItCanBeNow)
{
    const std::int64_t wallClock = 1767225600; // 2026-01-01 00:00 UTC
    testsupport::ManualTime time(wallClock);
    const ThreeDayShift threeDays;
    const double shown = wallClock - 3 * 86400.0, in2035 = 2062000000.0; // the traffic's now; a bogus date
    struct Step {
        const char* name;
        bool newRun;
        std::int64_t systemClockLag;
        std::vector<double> times;
        double feedTime; // 0: none yet
        std::size_t made;
        std::int64_t later = 0; // steady seconds since the step before
    };
    // in order; a step marked as a new run starts with no feed time kept
    const Step steps[] = {
        {"a lone first report dated 2035", true, 0, {in2035}, 0.0, 1},
        {"then a second one", false, 0, {in2035 + 60.0}, 0.0, 1},
        {"a lone report of the traffic's time", false, 0, {shown - 5.0}, shown - 5.0, 1},
        {"then one dated 2035 again, dropped against it", false, 0, {in2035 + 120.0}, shown - 5.0, 0},
        {"a lone first report at the unshifted clock", true, 0, {double(wallClock)}, 0.0, 1},
        {"a lone first report 600 s ahead", true, 0, {shown + 600.0}, shown + 600.0, 1},
        {"a lone first report 601 s ahead", true, 0, {shown + 601.0}, 0.0, 1},
        {"a lone first report dated 2001", true, 0, {978307200.0}, 0.0, 1},
        {"then a lone report of the traffic's time, not dropped against it", false, 0, {shown}, shown, 1},
        {"a lone first report 600 s behind", true, 0, {shown - 600.0}, shown - 600.0, 1},
        {"several first reports, the system clock an hour slow", true, 3600, {shown, shown + 1.0, shown + 2.0},
         shown + 2.0, 3},
        {"then a lone report 5 s later", false, 3600, {shown + 7.0}, shown + 7.0, 1, 5},
        // one aircraft per answer, the system clock an hour slow: an answer that agrees with the one before
        {"a lone first report, the system clock an hour slow", true, 3600, {shown}, 0.0, 1},
        {"then one 5 s later dated 5 s later", false, 3600, {shown + 5.0}, shown + 5.0, 1, 5},
        {"a lone first report again", true, 3600, {shown}, 0.0, 1},
        {"then one 5 s later dated 300 s later", false, 3600, {shown + 300.0}, 0.0, 1, 5},
        {"then one 5 s later dated 36 s later", false, 3600, {shown + 336.0}, 0.0, 1, 5},
        {"then one 5 s later dated 35 s later", false, 3600, {shown + 371.0}, shown + 371.0, 1, 5},
        // lone answers that agree set the clock only within a day of the system clock less the shift
        {"a lone first report dated 2035, the system clock right", true, 0, {in2035}, 0.0, 1},
        {"then one dated 2035, 5 s later and 5 s later", false, 0, {in2035 + 5.0}, 0.0, 1, 5},
        {"then true reports and one dated 2035, dropped", false, 0, {shown, shown + 1.0, shown + 2.0, in2035 + 10.0},
         shown + 2.0, 3, 5},
        {"a lone first report 86,395 s ahead", true, 0, {shown + 86395.0}, 0.0, 1},
        {"then one 5 s later dated 86,400 s ahead", false, 0, {shown + 86400.0}, shown + 86400.0, 1, 5},
        {"a lone first report 86,400 s ahead", true, 0, {shown + 86400.0}, 0.0, 1},
        {"then one 5 s later dated 86,401 s ahead", false, 0, {shown + 86401.0}, 0.0, 1, 5},
        {"a lone first report 86,405 s behind", true, 0, {shown - 86405.0}, 0.0, 1},
        {"then one 5 s later dated 86,400 s behind", false, 0, {shown - 86400.0}, shown - 86400.0, 1, 5},
        {"a lone first report 86,406 s behind", true, 0, {shown - 86406.0}, 0.0, 1},
        {"then one 5 s later dated 86,401 s behind", false, 0, {shown - 86401.0}, 0.0, 1, 5}};
    std::uint32_t hexId = 0x530000;
    for (const Step& step : steps) {
        if (step.newRun) {
            restart();
            g_latestFeedTime = 0.0;
        }
        time.clock().advance(std::chrono::seconds(step.later));
        time.set(wallClock - step.systemClockLag);
        std::vector<FeedRecord> answer;
        for (const double t : step.times)
            answer.push_back(
                Trajectory{.hexId = ++hexId, .callsign = fmt::format("KLM{}", hexId), .startTime = t}.at(t));
        const std::size_t before = g_liveAircraft.size();
        gf_intakeFeedBatch(answer, 0, g_timeOffset);
        EXPECT_EQ(g_liveAircraft.size() - before, step.made) << step.name;
        EXPECT_EQ(g_latestFeedTime.load(), step.feedTime) << step.name;
        EXPECT_EQ(gf_now(), step.feedTime > 0.0 ? std::int64_t(step.feedTime) : wallClock - step.systemClockLag)
            << step.name;
    }
}

// One aircraft in each answer: once a shift of three days is taken back, the first report of now
// is taken, not judged far ahead of the shifted time kept before.
TEST_F(FeedIntake, ALoneReportRightAfterAShiftIsTakenBackIsTaken)
{
    const std::int64_t wallClock = 1767225600; // 2026-01-01 00:00 UTC
    testsupport::ManualTime time(wallClock);
    const ThreeDayShift threeDays;
    const double shown = wallClock - 3 * 86400.0;
    const Trajectory shifted{.hexId = 0x540001, .callsign = "KLM1", .startTime = shown};
    for (const double later : {0.0, 5.0}) {
        std::vector<FeedRecord> answer{shifted.at(shown + later)};
        gf_intakeFeedBatch(answer, 0, g_timeOffset);
        time.clock().advance(std::chrono::seconds(5));
    }
    ASSERT_EQ(g_latestFeedTime.load(), shown + 5.0);

    std::tie(g_timeOffset, g_timeShifted) = std::pair{0, false};
    const Trajectory now{.hexId = 0x540002, .callsign = "KLM2", .startTime = double(wallClock)};
    std::vector<FeedRecord> answer{now.at(double(wallClock))};
    gf_intakeFeedBatch(answer, 0, g_timeOffset);
    EXPECT_NE(gf_findLiveAc(now.hexId), nullptr);
    EXPECT_EQ(g_latestFeedTime.load(), double(wallClock));
}

// A lone answer an hour ahead of now under a shift of three days, then one 5 s later dated 5 s
// later right after the shift is taken back: the two would agree, but the first is of another
// time, so the second sets no clock an hour ahead.
TEST_F(FeedIntake, ALoneAnswerUnderTheShiftBeforeAgreesWithNoneAfterIt)
{
    const std::int64_t wallClock = 1767225600; // 2026-01-01 00:00 UTC
    testsupport::ManualTime time(wallClock);
    const double hourAhead = wallClock + 3600.0;
    g_latestFeedTime = 0.0;
    {
        const ThreeDayShift threeDays;
        std::vector<FeedRecord> answer{Trajectory{.hexId = 0x550001, .startTime = hourAhead - 5.0}.at(hourAhead - 5.0)};
        gf_intakeFeedBatch(answer, 0, g_timeOffset);
        ASSERT_EQ(g_latestFeedTime.load(), 0.0);
    }
    time.clock().advance(std::chrono::seconds(5));
    std::vector<FeedRecord> answer{Trajectory{.hexId = 0x550002, .startTime = hourAhead}.at(hourAhead)};
    gf_intakeFeedBatch(answer, 0, g_timeOffset);
    EXPECT_EQ(g_latestFeedTime.load(), 0.0);
    EXPECT_EQ(gf_now(), wallClock + 5);
}

// An answer asked under a shift of three days that comes in after the shift is taken back (a
// straggler of 0 to 3 aircraft): none of its aircraft is made, and the lone answers of now that
// follow make theirs.
TEST_F(FeedIntake, AnAnswerAskedUnderTheShiftBeforeIsSetAside)
{
    const std::int64_t wallClock = 1767225600; // 2026-01-01 00:00 UTC
    constexpr std::int32_t threeDays = 3 * 1440;
    testsupport::ManualTime time(wallClock);
    gf_setReaderRefPos(LatLon{50.0, 8.0});
    g_rangeNm = 40.0;
    const double shown = wallClock - 3 * 86400.0;
    for (std::size_t straggler = 0; straggler <= 3; ++straggler) {
        restart();
        gf_setRunning(true);
        const ThreeDayShift shift;
        takeAnswer({shown, shown + 1.0}, threeDays, 0x10); // the traffic of three days ago
        driver.run(10);
        ASSERT_NE(gf_findLiveAc(0x4b1810), nullptr) << straggler;

        std::tie(g_timeOffset, g_timeShifted) = std::pair{0, false};
        gf_removeLiveAcForTimeShift(); // as the control thread does on the change
        driver.run(10);
        std::vector<double> times;
        for (std::size_t i = 0; i < straggler; ++i)
            times.push_back(shown + 10.0 + static_cast<double>(i));
        takeAnswer(times, threeDays, 0x20);
        driver.run(10);
        for (std::uint32_t hexId = 0x4b1820; hexId < 0x4b1824; ++hexId)
            EXPECT_EQ(gf_findLiveAc(hexId), nullptr) << straggler << " made " << std::hex << hexId;

        for (std::size_t i = 0; i < 2; ++i) {
            time.clock().advance(std::chrono::seconds(5));
            takeAnswer({static_cast<double>(wallClock) + 5.0 * static_cast<double>(i)}, 0, 0x30 + i);
            driver.run(10);
            EXPECT_NE(gf_findLiveAc(static_cast<std::uint32_t>(0x4b1830 + i)), nullptr) << straggler << " answer " << i;
        }
    }
}

// A loop answer asked under three days that the Traffic Reader handed over just as the shift was
// taken back, reaching the intake after the change cleared the stack: its aircraft are not made,
// and the lone answers of now that follow are not judged against its times.
TEST_F(FeedIntake, AnAnswerOfTheShiftBeforeThatReachesTheIntakeAfterTheChangeIsOfItsOwnTime)
{
    const std::int64_t wallClock = 1767225600; // 2026-01-01 00:00 UTC
    testsupport::ManualTime time(wallClock);
    gf_setRunning(true);
    const double shown = wallClock - 3 * 86400.0;
    std::vector<FeedRecord> straggler;
    for (std::uint32_t i = 0; i < 2; ++i) {
        const Trajectory t{.hexId = 0x560000 + i, .callsign = fmt::format("KLM{}", i), .startTime = shown};
        straggler.push_back(t.at(shown + i));
    }
    gf_intakeFeedBatch(straggler, 30, 3 * 1440); // the shift in force is none
    EXPECT_TRUE(g_feedStack.empty());
    for (int i = 0; i < 2; ++i) {
        time.clock().advance(std::chrono::seconds(5));
        const double now = double(wallClock + 5 * (i + 1));
        std::vector<FeedRecord> answer{
            Trajectory{.hexId = 0x560010u + i, .callsign = fmt::format("KLM1{}", i), .startTime = now}.at(now)};
        gf_intakeFeedBatch(answer, 30, 0);
        driver.run(10);
        EXPECT_NE(gf_findLiveAc(0x560010u + i), nullptr) << "answer " << i;
    }
    EXPECT_EQ(gf_findLiveAc(0x560000), nullptr);
    EXPECT_EQ(gf_findLiveAc(0x560001), nullptr);
}

// The feed's records of the old time not yet applied when the shift changes make no aircraft.
TEST_F(FeedIntake, ATimeShiftLeavesNoRecordOfTheOldTimeToApply)
{
    gf_setRunning(true);
    std::vector<FeedRecord> batch;
    for (std::uint32_t hex = 0x610000; hex < 0x610005; ++hex)
        batch.push_back(Trajectory{.hexId = hex, .callsign = fmt::format("EZY{}", hex)}.at(g_t0));
    gf_intakeFeedBatch(batch, 30, g_timeOffset);
    driver.pass(); // two of five applied
    ASSERT_EQ(g_liveAircraft.size(), 2u);
    gf_removeLiveAcForTimeShift();
    driver.run(10);
    EXPECT_EQ(g_liveAircraft.size(), 0u);
}

} // namespace
} // namespace traffictest
