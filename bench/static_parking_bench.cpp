// Static parking runs inside the tick loop: its full calculation and its half-hourly adjustment
// must not stall the tick. A park airport of 300 stands with full option tables (every day four
// options a stand) and 1000 parked aircraft of the service, handed over at once (the wait for the
// service is not measured), against one tick pass of 200 live aircraft in the same run.
#include "aircraft/dbase.h"
#include "airports/park_data.h"
#include "feed/parked_request.h"
#include "foundation/geometry.h"
#include "foundation/half_hours.h"
#include "foundation/option_table.h"
#include "foundation/random.h"
#include "platform/clock.h"
#include "simlink/sim_state.h"
#include "traffic/live_ac.h"
#include "traffic/run_flags.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <array>
#include <chrono>

namespace {

constexpr int g_stands = 300;
constexpr int g_parked = 1000;
constexpr int g_live = 200;
constexpr std::int64_t g_wednesday1010 = 1767780600; // Wednesday 7 January 2026, 10:10 UTC: half hour 20
constexpr std::array<const char*, 4> g_airlines{"DLH", "EZY", "BAW", "KLM"};
constexpr std::array<const char*, 3> g_types{"A320", "B738", "E190"};

// The manual clock, on which the service answers the parked-traffic request at once.
class ServiceClock : public platform::ManualClock {
public:
    using ManualClock::ManualClock;
    std::vector<ParkedTrafficRecord> answer;
    std::vector<ParkedTrafficRecord> copy; // made outside the timing: the reader thread's work
    void sleepUntil(platform::SteadyTime deadline) override
    {
        ParkedBox box;
        std::uint64_t sequence = 0;
        if (gf_takeParkedRequest(box, sequence))
            gf_deliverParkedAnswer(sequence, 0, copy.empty() ? answer : std::move(copy));
        ManualClock::sleepUntil(deadline);
    }
};

ServiceClock g_clock{platform::SystemTime{} + std::chrono::seconds(g_wednesday1010)};

LatLon lf_standAt(int i)
{
    const LatLon row = gf_destinationPoint(LatLon{50.0, 8.0}, 0.0, (i / 20) * 150.0 / 0.3048);
    return gf_destinationPoint(row, 1.5707963267948966, (i % 20) * 50.0 / 0.3048);
}

// 300 stands in rows of 20, 50 m apart (each the neighbour of the next), 28 options each.
void lf_buildAirport()
{
    std::vector<Stand> stands;
    for (int i = 0; i < g_stands; ++i) {
        std::vector<StandOption> options;
        for (int day = 1; day <= 7; ++day)
            for (int j = 0; j < 4; ++j) {
                const std::string id = fmt::format("{}{}{}", i, day, j);
                StandOption o{g_airlines[static_cast<std::size_t>(j)], g_types[static_cast<std::size_t>((i + j) % 3)],
                              "R" + id, "C" + id, j == 0 ? "D" + id : "", {},
                              static_cast<std::int32_t>(options.size() + 1), day, 1, j < 3 ? 1 : 0};
                for (int h = 0; h < 6; ++h)
                    o.hh.set(static_cast<std::size_t>((i * 7 + j * 12 + day + h) % 48));
                options.push_back(std::move(o));
            }
        const LatLon at = lf_standAt(i);
        stands.emplace_back(fmt::format("S{}", i), std::move(options), StandPosition{at.lat, at.lon, 0.0}, 20.0, true,
                            true, true);
        stands.back().id = static_cast<std::uint32_t>(i + 1);
        if (i % 20 != 0)
            stands.back().neighbours.push_back(static_cast<std::uint32_t>(i));
        if (i % 20 != 19)
            stands.back().neighbours.push_back(static_cast<std::uint32_t>(i + 2));
    }
    gf_replaceParkStands(std::move(stands));
    parkAirport = Airport{"EDXX", "", 50.0, 8.0, 0.0};
}

// 1000 parked aircraft on 120 of the stands, seen up to 23 half hours ago.
void lf_buildParkedTraffic()
{
    g_clock.answer.clear();
    for (int i = 0; i < g_parked; ++i) {
        const LatLon at = lf_standAt((i * 37) % 120 * 2);
        const auto slot = static_cast<std::uint32_t>((20 + 48 - i % 24) % 48);
        const std::string cs = fmt::format("P{}", i);
        g_clock.answer.push_back({g_airlines[static_cast<std::size_t>(i % 4)], "A320", "", "", cs, "", "",
                                  fmt::format("PR{}", i), 0, at.lat, at.lon, 0x400000u + static_cast<std::uint32_t>(i),
                                  slot, cs});
    }
}

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
    static bool done = false;
    if (done)
        return;
    done = true;
    platform::setClock(&g_clock);
    gf_initTrafficContainers();
    gf_resetDbase();
    g_dbase.aircraftTypes = {"A320", "B738", "E190"};
    g_dbase.largeTypes = {"A320", "B738", "E190"};
    g_dbase.halfWingspans = {{"A320", 17.9 / 1852.0}, {"B738", 17.9 / 1852.0}, {"E190", 14.4 / 1852.0}};
    gf_randomGenerator().seed(7u);
    parking_percentage.value = 60; // 180 of 300 wanted: parked traffic on 120 stands, options for the rest
    g_simRequestError = true;      // no simulator behind the bench
    lf_buildAirport();
    lf_buildParkedTraffic();
    lf_buildLiveAircraft();
}

void lf_at(std::int64_t seconds)
{
    g_clock.setSystemTime(platform::SystemTime{} + std::chrono::seconds(seconds));
    g_timeSlot = gf_slotAndWeekdayNow();
}

// The calculation's plan stands as static aircraft, as the placement would make them.
std::vector<StaticAc> lf_staticsOfPlan()
{
    std::vector<StaticAc> statics;
    std::uint32_t serial = 0;
    const WeekPoint now = gf_unpackWeekPoint(g_timeSlot);
    for (const StaticPlanEntry& e : g_staticPlan) {
        const Stand& stand = g_parkStands[e.standId - 1];
        StaticAc& s = statics.emplace_back(AcBase(e.airline, e.type, "", "", gf_displayedCallsign(e), e.callsign,
                                                  e.secondCallsign, e.registration),
                                           stand.id, stand.latitude, stand.longitude, 0.0, false);
        s.hexid = ++serial;
        s.objectId = 100 + serial;
        s.acState = AcState::active;
        s.noRealHexid = e.noRealHexid;
        s.realHexid = e.hexId;
        const WeekPoint parked = gf_halfHoursBack(now, static_cast<std::uint32_t>(e.age));
        s.parkedSlot = {parked.day, parked.slot};
    }
    return statics;
}

void BM_TickPass(benchmark::State& state)
{
    lf_setUp();
    lf_at(g_wednesday1010);
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
    lf_at(g_wednesday1010);
    g_staticAircraft.clear();
    for (auto _ : state) {
        state.PauseTiming();
        g_clock.copy = g_clock.answer;
        state.ResumeTiming();
        gf_calculateStaticParking();
    }
    state.counters["planned"] = static_cast<double>(g_staticPlan.size());
}
BENCHMARK(BM_CalculateStaticParking)->Unit(benchmark::kMicrosecond);

// Half an hour after the calculation, its aircraft standing: the adjustment in one pass, and its
// two phases (the parked traffic received and located, then the fit and the rest).
enum class Phase { both, first, second };

void lf_adjust(benchmark::State& state, Phase phase)
{
    lf_setUp();
    lf_at(g_wednesday1010);
    gf_calculateStaticParking();
    const std::vector<StaticAc> standing = lf_staticsOfPlan();
    lf_at(g_wednesday1010 + 1800);
    for (auto _ : state) {
        state.PauseTiming();
        g_staticAircraft = standing;
        g_removeDeque.clear();
        g_clock.copy = g_clock.answer;
        if (phase == Phase::second)
            gf_prepareParkedTraffic();
        state.ResumeTiming();
        if (phase == Phase::first)
            gf_prepareParkedTraffic();
        else
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
