// The tick pass at full load: 1000 live aircraft (650 flying, 250 taxiing, 100 parked at stands)
// and 300 static aircraft at a generated park airport of 500 stands, against the same pass with
// no aircraft at the same airport. The live aircraft come the program's own way: feed records
// (the start-up snapshots, then an answer every 2 s), spawn, creation by the simulator model through
// the program's own simulator link, and activation. In the same
// run: the static placement (the last 50 aircraft of the plan placed while the passes are timed),
// the passes that hold the calculation on entering the park airport (taking the parked traffic,
// then the plan) and those of the half-hourly adjustment (asking, taking, then the fit). What the
// SimClient thread and the Traffic Reader do on their own threads (the simulator's frames and
// messages, the answers) is not timed.
#include "park_bench.h"

#include "airports/park_data.h"
#include "feed/feed_record.h"
#include "foundation/option_table.h"
#include "foundation/time_shift.h"
#include "simconnect/sim_backend.h"
#include "simconnect/sim_model.h"
#include "simlink/sim_messages.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_registration.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"
#include "traffic/feed_intake.h"
#include "traffic/run_flags.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"
#include "traffic/user_snapshot.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace {

using namespace parkbench;

constexpr int g_stands = 500;      // statics on the first 400, live aircraft parked on the last 100
constexpr int g_flying = 650;
constexpr int g_taxiing = 250;
constexpr int g_parkedLive = 100;
constexpr int g_statics = 300;
constexpr int g_placed = 50;       // of the statics, placed while the passes are timed
constexpr double g_epoch = static_cast<double>(g_wednesday1010) - 60.0; // feed time of tick 0
constexpr double g_twoPi = 6.283185307179586;

// One live aircraft of the feed: round and round a circle, or standing on a stand.
struct Circle {
    LatLon centre;
    double radiusNm = 0.0;
    double speedKt = 0.0;
    double altitudeFt = 0.0; // 0: on the ground
    double phase = 0.0;      // radians
};
std::vector<Circle> g_circles;

FeedRecord lf_recordAt(std::size_t i, double recordTime)
{
    const Circle& c = g_circles[i];
    const double angle = c.phase + (c.radiusNm > 0.0 ? c.speedKt * (recordTime - g_epoch) / 3600.0 / c.radiusNm : 0.0);
    const LatLon p = gf_destinationPoint(c.centre, std::fmod(angle, g_twoPi), c.radiusNm * 6076.11549);
    FeedRecord r;
    r.type = g_types[i % g_types.size()];
    r.callsign = fmt::format("{}{}", g_airlines[i % g_airlines.size()], 100 + i);
    r.hexId = 0x500000u + static_cast<std::uint32_t>(i);
    r.recordTime = recordTime;
    FeedSample& s = r.sample;
    s.lat = p.lat;
    s.lon = p.lon;
    s.altitude = c.altitudeFt;
    s.groundSpeed = c.speedKt;
    s.airspeed = c.speedKt;
    s.track = std::fmod((angle + g_twoPi / 4.0) * 57.29577951308232, 360.0); // clockwise
    s.airborne = c.altitudeFt > 0.0 ? 1 : 0;
    return r;
}

void lf_buildCircles()
{
    g_circles.clear();
    const LatLon airport{50.0, 8.0};
    for (int i = 0; i < g_flying + g_taxiing + g_parkedLive; ++i) {
        Circle c;
        const double k = static_cast<double>(i);
        if (i < g_flying) {
            c = {airport, 5.0 + std::fmod(k * 7.0, 25.0), 220.0 + std::fmod(k * 13.0, 230.0),
                 3000.0 + std::fmod(k * 997.0, 32000.0), std::fmod(k * 0.7, g_twoPi)};
        } else if (i < g_flying + g_taxiing) {
            // 250 m circles on the aprons south of the stands
            const LatLon centre = gf_destinationPoint(airport, 3.141592653589793, (1.0 + (i % 10) * 0.1) * 6076.11549);
            c = {gf_destinationPoint(centre, 1.5707963267948966, (i % 25) * 0.3 * 6076.11549), 0.135, 15.0, 0.0,
                 std::fmod(k * 0.9, g_twoPi)};
        } else {
            c = {gf_standAt(400 + i - g_flying - g_taxiing), 0.0, 0.0, 0.0, 0.0};
        }
        g_circles.push_back(c);
    }
}

std::vector<FeedRecord> lf_snapshot(double recordTime)
{
    std::vector<FeedRecord> batch;
    batch.reserve(g_circles.size());
    for (std::size_t i = 0; i < g_circles.size(); ++i)
        batch.push_back(lf_recordAt(i, recordTime));
    return batch;
}

// The simulator model, and the frame of the SimClient thread: the model steps, the program's
// dispatch takes its messages (the frame event sends what the tick handed over). At the set-up
// the simulator takes at once what the program has waiting to be created.
std::shared_ptr<SimModel> g_model;

void lf_connect()
{
    SimScenario scenario = gf_defaultSimScenario();
    scenario.groundAltitudeFt = 0.0;
    scenario.userPath = {{0.0, "stand", 50.0, 7.8, 0.0, true, 90.0, 0}}; // 7.7 nm west of the stands
    scenario.maxAiObjects = 2000;
    g_model = std::make_shared<SimModel>(scenario);
    gf_setSimConnectBackend(g_model);
    HSIMCONNECT handle = nullptr;
    SimConnect_Open(&handle, "bench", nullptr, 0, nullptr, 0);
    g_hSimConnect = handle;
    gf_registerWithSim();
}

void lf_simFrame(bool createWaiting)
{
    if (createWaiting) {
        std::lock_guard lock(g_simConnectMutex);
        for (auto* deque : {&g_createDeque, &g_staticCreateDeque}) {
            g_createQueue.insert(g_createQueue.end(), deque->begin(), deque->end());
            deque->clear();
        }
    }
    g_model->step();
    SimConnect_CallDispatch(g_hSimConnect, gf_dispatch, nullptr);
}

// The Traffic Reader's answer every 2 s, 30 s ahead.
void lf_feedLoop()
{
    const std::uint32_t tick = g_tick;
    if (tick % 200 != 0)
        return;
    auto batch = lf_snapshot(g_epoch + 30.0 + tick / 100.0);
    gf_intakeFeedBatch(batch, 30, g_timeOffset);
}

template <class Records>
std::size_t lf_countActive(const Records& records)
{
    return static_cast<std::size_t>(std::count_if(records.begin(), records.end(),
                                                  [](const auto& ac) { return ac.acState == AcState::active; }));
}
std::size_t lf_countActive() { return lf_countActive(g_liveAircraft); }
std::size_t lf_countActiveStatics() { return lf_countActive(g_staticAircraft); }

std::vector<StaticAc> g_standing;             // the statics standing when the timing begins
std::vector<StaticPlanEntry> g_toPlace;       // the plan entries placed while timed

// The simulator, the airport and the feed; the live aircraft brought up and the statics placed.
void lf_bringUp()
{
    lf_connect();
    g_simRequestError = false;
    g_simRunning = true;
    g_frameRate = 30.0f;
    MAX_LIVE_SEL.value = 2000; // beyond the panel's choices: the load of a busy hub
    gf_buildAirport(g_stands, false);
    gf_buildParkedTraffic(1000, 120);
    g_parkAirportLoaded = true;
    gf_at(g_wednesday1010);
    gf_requestUserData();
    lf_simFrame(false);
    gf_setUserSnapshot(gf_requestUserData());
    g_userOnGround = true;
    gf_setRunning(true);

    // the live aircraft: start-up snapshots, then passes until every one is active
    lf_buildCircles();
    for (std::uint32_t k = 0; k < 5; ++k) {
        auto batch = lf_snapshot(g_epoch + 6.0 * k);
        gf_intakeFeedBatch(batch, 6 * k, g_timeOffset);
    }
    for (int pass = 0; pass < 20000 && lf_countActive() < g_circles.size(); ++pass) {
        lf_feedLoop();
        gf_handleAddingStack();
        lf_simFrame(true);
    }

    // the plan with the live aircraft standing: 300 statics off the live aircraft's stands, of
    // which the placement makes all but the last 50 now, the rest while the passes are timed
    parking_percentage.value = 80;
    gf_receiveParkedTrafficNow();
    gf_calculateStaticParking();
    std::erase_if(g_staticPlan, [](const StaticPlanEntry& e) { return e.standId > 400; });
    g_staticPlan.resize(std::min<std::size_t>(g_staticPlan.size(), g_statics));
    while (std::ssize(g_staticPlan) > g_placed)
        gf_placeNextStaticAc();
    g_toPlace = std::exchange(g_staticPlan, {});
    for (int pass = 0; pass < 1000 && lf_countActiveStatics() < g_staticAircraft.size(); ++pass) {
        gf_handleAddingStack();
        lf_simFrame(true);
    }
    g_standing = g_staticAircraft;
    parking_percentage.value = 60; // 300 of 500 wanted from now on
}

void lf_setUp() { gf_setUpTraffic(lf_bringUp); }

void lf_counters(benchmark::State& state)
{
    state.counters["live"] = static_cast<double>(lf_countActive());
    state.counters["ground"] = static_cast<double>(std::count_if(
        g_liveAircraft.begin(), g_liveAircraft.end(), [](const LiveAc& ac) { return ac.onGround; }));
    state.counters["taxiing"] = static_cast<double>(std::count_if(
        g_liveAircraft.begin(), g_liveAircraft.end(), [](const LiveAc& ac) { return ac.flightState == FlightState::taxi; }));
    state.counters["parked"] = static_cast<double>(gf_countParkedLiveAc(false));
    state.counters["static"] = static_cast<double>(g_staticAircraft.size());
    state.counters["in_sim"] = static_cast<double>(g_model->aiObjects().size());
}

// Passes back to back; after every third a simulator frame and, with `feed`, the reader's
// answers (not timed).
void lf_passes(benchmark::State& state, bool feed)
{
    for (auto _ : state) {
        gf_handleAddingStack();
        if (g_tick % 3 == 0) {
            state.PauseTiming();
            lf_simFrame(false);
            if (feed)
                lf_feedLoop();
            state.ResumeTiming();
        }
    }
}

void BM_FullLoadPass(benchmark::State& state)
{
    lf_setUp();
    // the statics placed by an earlier run leave the simulator
    for (const StaticAc& s : g_staticAircraft)
        if (std::none_of(g_standing.begin(), g_standing.end(), [&s](const StaticAc& x) { return x.hexid == s.hexid; }))
            SimConnect_AIRemoveObject(g_hSimConnect, s.objectId, 0);
    lf_simFrame(false);
    g_staticAircraft = g_standing;
    g_staticPlan = g_toPlace;
    lf_passes(state, true);
    lf_counters(state);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    g_staticPlan.clear();
}
BENCHMARK(BM_FullLoadPass)->Unit(benchmark::kMicrosecond)->Iterations(3000)->Repetitions(5);

// The baseline: the same airport and run, no aircraft.
void BM_EmptyPass(benchmark::State& state)
{
    lf_setUp();
    std::vector<LiveAc> live;
    std::vector<FeedRecord> records;
    live.swap(g_liveAircraft);
    records.swap(g_feedStack);
    g_staticAircraft.clear();
    lf_passes(state, false);
    g_liveAircraft.swap(live);
    g_feedStack.swap(records);
}
BENCHMARK(BM_EmptyPass)->Unit(benchmark::kMicrosecond)->Iterations(3000)->Repetitions(5);

// One pass and the job it holds, timed once per repetition on a fresh copy of the statics (with
// `standing` the statics of the plan stand). `before` readies the pass, not timed: the service's
// answer to a request is the Traffic Reader's work on its own thread.
template <class Before, class Job>
void lf_passHolding(benchmark::State& state, std::int64_t at, bool standing, Before before, Job job)
{
    lf_setUp();
    gf_at(at);
    for (auto _ : state) {
        state.PauseTiming();
        g_staticAircraft.clear();
        g_removeDeque.clear();
        gf_serviceClock().copy = gf_serviceClock().answer;
        if (standing)
            g_staticAircraft = g_standing;
        before();
        state.ResumeTiming();
        gf_handleAddingStack();
        job();
    }
    state.counters["planned"] = static_cast<double>(g_staticPlan.size());
    state.counters["removed"] = static_cast<double>(g_removeDeque.size());
    g_staticPlan.clear();
    g_staticAircraft.clear();
    g_removeDeque.clear();
    gf_cancelStaticCalculation();
    gf_at(g_wednesday1010);
}

void lf_none() {}
// The service answers the request under way; the pass takes the answer.
void lf_answered() { gf_serviceClock().serve(); }
// The answer is taken; the pass fits.
void lf_taken()
{
    gf_serviceClock().serve();
    gf_continueStaticParking();
}

// Entering the park airport (no statics yet), over the passes: the pass that takes the parked
// traffic and finds its stands, then the pass that calculates the plan.
void BM_PassTakingParkedTrafficOnEntering(benchmark::State& state)
{
    lf_passHolding(state, g_wednesday1010, false, [] { gf_beginStaticCalculation(), lf_answered(); }, lf_none);
}
void BM_PassWithCalculation(benchmark::State& state)
{
    lf_passHolding(state, g_wednesday1010, false, [] { gf_beginStaticCalculation(), lf_taken(); }, lf_none);
}
// Half an hour later, the statics standing: the first phase asks for the parked traffic, a pass
// takes it and finds its stands ...
void BM_PassWithAdjustPhaseOne(benchmark::State& state)
{
    lf_passHolding(state, g_wednesday1010 + 1800, true, lf_none, [] { gf_requestParkedTraffic(); });
}
void BM_PassTakingParkedTrafficOnAdjusting(benchmark::State& state)
{
    lf_passHolding(state, g_wednesday1010 + 1800, true, [] { gf_requestParkedTraffic(), lf_answered(); }, lf_none);
}
// ... and, 15 updates later, the fit and the changes.
void BM_PassWithAdjustPhaseTwo(benchmark::State& state)
{
    lf_passHolding(state, g_wednesday1010 + 1800, true, gf_receiveParkedTrafficNow, [] { gf_adjustParking(false); });
}
BENCHMARK(BM_PassTakingParkedTrafficOnEntering)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(15);
BENCHMARK(BM_PassWithCalculation)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(15);
BENCHMARK(BM_PassWithAdjustPhaseOne)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(15);
BENCHMARK(BM_PassTakingParkedTrafficOnAdjusting)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(15);
BENCHMARK(BM_PassWithAdjustPhaseTwo)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(15);

} // namespace
