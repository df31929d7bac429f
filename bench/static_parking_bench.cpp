// Static parking runs inside the tick loop: its full calculation and its half-hourly adjustment
// must not stall the tick. A park airport of 300 stands with full option tables (every day four
// options a stand) and 1000 parked aircraft of the service, handed over at once (the wait for the
// service is not measured), against one tick pass of 200 live aircraft in the same run.
#include "park_bench.h"

#include "foundation/option_table.h"
#include "traffic/live_ac.h"
#include "traffic/run_flags.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

namespace {

using namespace parkbench;

constexpr int g_stands = 300;
constexpr int g_parked = 1000;
constexpr int g_live = 200;

// 200 active live aircraft flying toward samples far ahead.
void lf_buildLiveAircraft()
{
    g_liveAircraft.clear();
    for (int i = 0; i < g_live; ++i) {
        FeedSample s;
        s.lat = 50.5;
        s.lon = 8.5;
        s.altitude = 10000.0;
        s.groundSpeed = 300.0;
        s.airspeed = 300.0;
        s.dueTick = 2'000'000'000;
        LiveAc& ac = g_liveAircraft.emplace_back(s, AcBase("DLH", "A320", "", "", fmt::format("L{}", i), "", "", ""),
                                                 0.0);
        ac.hexid = 0x500000u + static_cast<std::uint32_t>(i);
        ac.objectId = 1000u + static_cast<std::uint32_t>(i);
        ac.acState = AcState::active;
        ac.flightState = FlightState::flying;
        ac.position = {50.0 + i * 0.001, 8.0, 0.0, 0.0, 0.5, 10000.0, 0.0, 300.0};
        ac.rates = {1e-5, 1e-5, 0.0, 0.0, 0.0, 0.0, 0.0, 300.0};
    }
}

void lf_setUp()
{
    gf_setUpTraffic([] {
        parking_percentage.value = 60; // 180 of 300 wanted: parked traffic on 120 stands, options for the rest
        gf_buildAirport(g_stands, true);
        gf_buildParkedTraffic(g_parked, 120);
        lf_buildLiveAircraft();
    });
}

void BM_TickPass(benchmark::State& state)
{
    lf_setUp();
    gf_at(g_wednesday1010);
    g_staticPlan.clear();
    for (auto _ : state)
        gf_handleAddingStack();
    state.counters["live"] = static_cast<double>(gf_countActiveLiveAc());
    lf_buildLiveAircraft();
}
BENCHMARK(BM_TickPass)->Unit(benchmark::kMicrosecond);

void BM_CalculateStaticParking(benchmark::State& state)
{
    lf_setUp();
    gf_at(g_wednesday1010);
    g_staticAircraft.clear();
    for (auto _ : state) {
        state.PauseTiming();
        gf_serviceClock().copy = gf_serviceClock().answer;
        gf_requestParkedTraffic();
        gf_serviceClock().serve();
        state.ResumeTiming();
        gf_locateParkedTraffic();
        gf_calculateStaticParking();
    }
    state.counters["planned"] = static_cast<double>(g_staticPlan.size());
}
BENCHMARK(BM_CalculateStaticParking)->Unit(benchmark::kMicrosecond);

// Half an hour after the calculation, its aircraft standing: the adjustment in one pass, and its
// two parts (the parked traffic taken and located, then the fit and the rest).
enum class Phase { both, first, second };

void lf_adjust(benchmark::State& state, Phase phase)
{
    lf_setUp();
    gf_at(g_wednesday1010);
    gf_receiveParkedTrafficNow();
    gf_calculateStaticParking();
    const std::vector<StaticAc> standing = gf_staticsOfPlan();
    gf_at(g_wednesday1010 + 1800);
    for (auto _ : state) {
        state.PauseTiming();
        g_staticAircraft = standing;
        g_removeDeque.clear();
        gf_serviceClock().copy = gf_serviceClock().answer;
        gf_requestParkedTraffic();
        gf_serviceClock().serve();
        if (phase == Phase::second)
            gf_locateParkedTraffic();
        state.ResumeTiming();
        if (phase != Phase::second)
            gf_locateParkedTraffic();
        if (phase != Phase::first)
            gf_adjustParking(false);
    }
    gf_forgetParkedTraffic();
    if (phase == Phase::first)
        return;
    state.counters["removed"] = static_cast<double>(g_removeDeque.size());
    state.counters["added"] = static_cast<double>(g_staticPlan.size());
}
void BM_AdjustParking(benchmark::State& state) { lf_adjust(state, Phase::both); }
void BM_AdjustPhaseOne(benchmark::State& state) { lf_adjust(state, Phase::first); }
void BM_AdjustPhaseTwo(benchmark::State& state) { lf_adjust(state, Phase::second); }
BENCHMARK(BM_AdjustParking)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AdjustPhaseOne)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AdjustPhaseTwo)->Unit(benchmark::kMicrosecond);

} // namespace
