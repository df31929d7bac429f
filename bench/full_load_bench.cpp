// The tick pass at full load: 1000 live aircraft (650 flying, 250 taxiing, 100 parked at stands)
// and 300 static aircraft at a generated park airport of 500 stands, against the same pass with
// no aircraft at the same airport. The live aircraft come the program's own way: feed records
// (the start-up snapshots, then an answer every 2 s), spawn, creation and activation. In the same
// run: the static placement (the last 50 aircraft of the plan placed while the passes are timed),
// the pass that holds the full calculation, and the passes that hold the two phases of the
// half-hourly adjustment. What the simulator and the Traffic Reader do on their own threads
// (taking the hand-over queues, reporting created objects, delivering answers) is not timed.
#include "park_bench.h"

#include "airports/park_data.h"
#include "feed/feed_record.h"
#include "foundation/option_table.h"
#include "simconnect/sim_backend.h"
#include "simlink/object_list.h"
#include "simlink/sim_queues.h"
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

// A simulator that accepts every call; what it would report, the bench reports itself.
class AcceptingSim : public SimConnectBackend {
public:
    HRESULT open(HSIMCONNECT* handle, const char*) override
    {
        *handle = reinterpret_cast<HSIMCONNECT>(this);
        return SIMCONNECT_OK;
    }
    HRESULT close(HSIMCONNECT) override { return SIMCONNECT_OK; }
    HRESULT callDispatch(HSIMCONNECT, DispatchProc, void*) override { return SIMCONNECT_OK; }
    HRESULT subscribeToSystemEvent(HSIMCONNECT, SIMCONNECT_CLIENT_EVENT_ID, const char*) override { return SIMCONNECT_OK; }
    HRESULT addToDataDefinition(HSIMCONNECT, SIMCONNECT_DATA_DEFINITION_ID, const char*, const char*, SIMCONNECT_DATATYPE,
                                float, std::uint32_t) override
    {
        return SIMCONNECT_OK;
    }
    HRESULT mapClientEventToSimEvent(HSIMCONNECT, SIMCONNECT_CLIENT_EVENT_ID, const char*) override { return SIMCONNECT_OK; }
    HRESULT addClientEventToNotificationGroup(HSIMCONNECT, SIMCONNECT_NOTIFICATION_GROUP_ID, SIMCONNECT_CLIENT_EVENT_ID,
                                              bool) override
    {
        return SIMCONNECT_OK;
    }
    HRESULT setNotificationGroupPriority(HSIMCONNECT, SIMCONNECT_NOTIFICATION_GROUP_ID, std::uint32_t) override
    {
        return SIMCONNECT_OK;
    }
    HRESULT requestDataOnSimObject(HSIMCONNECT, SIMCONNECT_DATA_REQUEST_ID, SIMCONNECT_DATA_DEFINITION_ID,
                                   SIMCONNECT_OBJECT_ID, SIMCONNECT_PERIOD) override
    {
        return SIMCONNECT_OK;
    }
    HRESULT requestDataOnSimObjectType(HSIMCONNECT, SIMCONNECT_DATA_REQUEST_ID, SIMCONNECT_DATA_DEFINITION_ID,
                                       std::uint32_t, SIMCONNECT_SIMOBJECT_TYPE) override
    {
        return SIMCONNECT_OK;
    }
    HRESULT setDataOnSimObject(HSIMCONNECT, SIMCONNECT_DATA_DEFINITION_ID, SIMCONNECT_OBJECT_ID, std::uint32_t,
                               std::uint32_t, const void*) override
    {
        return SIMCONNECT_OK;
    }
    HRESULT transmitClientEvent(HSIMCONNECT, SIMCONNECT_OBJECT_ID, SIMCONNECT_CLIENT_EVENT_ID, std::uint32_t,
                                SIMCONNECT_NOTIFICATION_GROUP_ID) override
    {
        return SIMCONNECT_OK;
    }
    HRESULT aiCreateNonAtcAircraft(HSIMCONNECT, const char*, const char*, const SIMCONNECT_DATA_INITPOSITION&,
                                   SIMCONNECT_DATA_REQUEST_ID) override
    {
        return SIMCONNECT_OK;
    }
    HRESULT getLastSentPacketId(HSIMCONNECT, std::uint32_t* packetId) override
    {
        *packetId = 0;
        return SIMCONNECT_OK;
    }
    HRESULT aiReleaseControl(HSIMCONNECT, SIMCONNECT_OBJECT_ID, SIMCONNECT_DATA_REQUEST_ID) override { return SIMCONNECT_OK; }
    HRESULT aiRemoveObject(HSIMCONNECT, SIMCONNECT_OBJECT_ID, SIMCONNECT_DATA_REQUEST_ID) override { return SIMCONNECT_OK; }
    HRESULT aiSetAircraftFlightPlan(HSIMCONNECT, SIMCONNECT_OBJECT_ID, const char*, SIMCONNECT_DATA_REQUEST_ID) override
    {
        return SIMCONNECT_OK;
    }
};

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
            c = {airport, 5.0 + std::fmod(k * 7.0, 30.0), 220.0 + std::fmod(k * 13.0, 230.0),
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

// What the simulator thread does on a frame: takes what the tick handed over and reports the
// objects it created and removed.
void lf_simFrame(bool createWaiting)
{
    static std::uint32_t nextObjectId = 100;
    std::vector<CreateRequest> creates;
    std::vector<std::uint32_t> removals;
    {
        std::lock_guard lock(g_simConnectMutex);
        creates.swap(g_createQueue);
        removals.assign(g_removeQueue.begin(), g_removeQueue.end());
        g_removeQueue.clear();
        g_eventQueue.clear();
        g_posBack->clear();
    }
    if (createWaiting) {
        // at the set-up the simulator creates at once what the program has waiting
        creates.insert(creates.end(), g_createDeque.begin(), g_createDeque.end());
        g_createDeque.clear();
    }
    for (const CreateRequest& c : creates) {
        const std::uint32_t kind = c.hexId <= 10000 ? OBJ_OWN_STATIC_CREATED : OBJ_OWN_LIVE_CREATED;
        gf_pushObjectListEntry({nextObjectId++, c.hexId, 0, kind, 0.0, c.initPos.Altitude});
    }
    for (const std::uint32_t id : removals)
        gf_pushObjectListEntry({id, 0, 0, OBJ_REMOVED, 0.0, 0.0});
}

// The Traffic Reader's answer every 2 s, 30 s ahead.
void lf_feedLoop()
{
    const std::uint32_t tick = g_tick;
    if (tick % 200 != 0)
        return;
    auto batch = lf_snapshot(g_epoch + 30.0 + tick / 100.0);
    gf_intakeFeedBatch(batch, 30);
}

std::size_t lf_countActive()
{
    return static_cast<std::size_t>(std::count_if(g_liveAircraft.begin(), g_liveAircraft.end(),
                                                  [](const LiveAc& ac) { return ac.acState == AcState::active; }));
}

std::vector<StaticAc> g_standing;             // the statics standing when the timing begins
std::vector<StaticPlanEntry> g_toPlace;       // the plan entries placed while timed
std::shared_ptr<AcceptingSim> g_sim;

void lf_setUp()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    gf_setUpTraffic();
    g_sim = std::make_shared<AcceptingSim>();
    gf_setSimConnectBackend(g_sim);
    HSIMCONNECT handle = nullptr;
    g_sim->open(&handle, "bench");
    g_hSimConnect = handle;
    g_simRequestError = false;
    g_simRunning = true;
    g_frameRate = 30.0f;
    MAX_LIVE_SEL.value = 2000; // beyond the panel's choices: the load of a busy hub
    gf_buildAirport(g_stands, false);
    gf_buildParkedTraffic(1000, 120);
    g_parkAirportLoaded = true;
    gf_at(g_wednesday1010);
    UserAcData user{};
    user.latitude = 50.0;
    user.longitude = 7.8; // 7.7 nm west of the stands, on the ground
    gf_setUserSnapshot(user);
    g_userOnGround = true;
    gf_setRunning(true);

    // the live aircraft: start-up snapshots, then passes until every one is active
    lf_buildCircles();
    for (std::uint32_t k = 0; k < 5; ++k) {
        auto batch = lf_snapshot(g_epoch + 6.0 * k);
        gf_intakeFeedBatch(batch, 6 * k);
    }
    for (int pass = 0; pass < 20000 && lf_countActive() < g_circles.size(); ++pass) {
        lf_feedLoop();
        gf_handleAddingStack();
        lf_simFrame(true);
    }

    // the plan with the live aircraft standing: 300 statics off the live aircraft's stands
    parking_percentage.value = 80;
    gf_calculateStaticParking();
    std::erase_if(g_staticPlan, [](const StaticPlanEntry& e) { return e.standId > 400; });
    g_staticPlan.resize(std::min<std::size_t>(g_staticPlan.size(), g_statics));
    g_standing = gf_staticsOfPlan();
    g_toPlace.assign(g_staticPlan.end() - std::min<std::ptrdiff_t>(g_placed, std::ssize(g_staticPlan)),
                     g_staticPlan.end());
    g_standing.erase(g_standing.end() - std::ssize(g_toPlace), g_standing.end());
    gf_setStaticSerial(static_cast<std::uint32_t>(g_standing.size()));
    g_staticPlan.clear();
    parking_percentage.value = 60; // 300 of 500 wanted from now on
}

void lf_counters(benchmark::State& state)
{
    state.counters["live"] = static_cast<double>(lf_countActive());
    state.counters["ground"] = static_cast<double>(std::count_if(
        g_liveAircraft.begin(), g_liveAircraft.end(), [](const LiveAc& ac) { return ac.onGround; }));
    state.counters["taxiing"] = static_cast<double>(std::count_if(
        g_liveAircraft.begin(), g_liveAircraft.end(), [](const LiveAc& ac) { return ac.flightState == FlightState::taxi; }));
    state.counters["parked"] = static_cast<double>(gf_countParkedLiveAc(false));
    state.counters["static"] = static_cast<double>(g_staticAircraft.size());
}

// Passes back to back; every 10th the simulator takes what was handed over and, with `feed`, the
// reader delivers its answers (not timed).
void lf_passes(benchmark::State& state, bool feed)
{
    for (auto _ : state) {
        gf_handleAddingStack();
        if (g_tick % 10 == 0) {
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

// One pass and the job it holds, timed once per repetition on a fresh copy of the statics.
// With `standing`, the statics stand and the parked traffic was prepared by an earlier pass.
template <class Job>
void lf_passHolding(benchmark::State& state, std::int64_t at, bool standing, Job job)
{
    lf_setUp();
    gf_at(at);
    for (auto _ : state) {
        state.PauseTiming();
        g_staticAircraft.clear();
        g_removeDeque.clear();
        gf_serviceClock().copy = gf_serviceClock().answer;
        if (standing) {
            g_staticAircraft = g_standing;
            gf_prepareParkedTraffic();
        }
        state.ResumeTiming();
        gf_handleAddingStack();
        job();
    }
    if (!g_staticPlan.empty())
        state.counters["planned"] = static_cast<double>(g_staticPlan.size());
    g_staticPlan.clear();
    g_staticAircraft.clear();
    g_removeDeque.clear();
    gf_forgetParkedTraffic();
    gf_at(g_wednesday1010);
}

// Entering the park airport: the full calculation, no statics yet.
void BM_PassWithCalculation(benchmark::State& state)
{
    lf_passHolding(state, g_wednesday1010, false, [] { gf_calculateStaticParking(); });
}
// Half an hour later, the statics standing: the parked traffic received and located ...
void BM_PassWithAdjustPhaseOne(benchmark::State& state)
{
    lf_passHolding(state, g_wednesday1010 + 1800, false, [] {
        g_staticAircraft = g_standing;
        gf_prepareParkedTraffic();
    });
}
// ... and, 15 updates later, the fit and the changes.
void BM_PassWithAdjustPhaseTwo(benchmark::State& state)
{
    lf_passHolding(state, g_wednesday1010 + 1800, true, [] { gf_adjustParking(false); });
}
BENCHMARK(BM_PassWithCalculation)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(15);
BENCHMARK(BM_PassWithAdjustPhaseOne)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(15);
BENCHMARK(BM_PassWithAdjustPhaseTwo)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(15);

} // namespace
