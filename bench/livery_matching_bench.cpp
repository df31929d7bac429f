// The livery matching runs for every live aircraft the traffic manager creates; a big livery
// collection must not slow it down. 10,000 aircraft against 20,000 installed liveries.
#include "aircraft/dbase.h"
#include "aircraft/dbase_lookup.h"
#include "aircraft/livery_matching.h"
#include "aircraft/livery_records.h"
#include "aircraft/livery_tables.h"
#include "aircraft/similar_types.h"
#include "foundation/option_table.h"
#include "foundation/random.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <string>
#include <vector>

namespace {

constexpr int g_typeCount = 100;
constexpr int g_airlineCount = 400;
constexpr int g_liveryCount = 20000;
constexpr int g_aircraftCount = 10000;

std::string lf_type(int i) { return fmt::format("T{:03}", i); }
std::string lf_airline(int i) { return fmt::format("A{:02}", i); }

void lf_fillDatabase()
{
    gf_resetDbase();
    for (int i = 0; i < g_typeCount; ++i) {
        const std::string type = lf_type(i);
        if (i < 30)
            g_dbase.largeTypes.insert(type);
        else if (i < 50)
            g_dbase.heavyTypes.insert(type);
        else if (i >= 70 && i < 80) // 50 to 69 light
            g_dbase.buzjetTypes.insert(type);
        else if (i < 90)
            g_dbase.rotorcraftTypes.insert(type);
        else
            g_dbase.highPerformanceTypes.insert(type);
    }
    for (int i = 0; i < g_typeCount; i += 4)
        g_dbase.similarTypes.push_back({lf_type(i), lf_type(i + 1), lf_type(i + 2), lf_type(i + 3)});
    for (int i = 0; i < 2000; ++i)
        g_dbase.records.emplace(fmt::format("D-R{:04}", i), DbaseRecord{lf_airline(i % g_airlineCount), lf_type(i % 60),
                                                                        lf_airline(i % g_airlineCount), false});
}

// 20,000 liveries: every airline a spread of types, a fifth cargo, generic ones, 500 special.
void lf_buildTables()
{
    gf_resetLiveryTables();
    gf_installLiveryTables();
    g_liveryRecords.clear();
    g_liveryRecords.reserve(g_liveryCount);
    for (int i = 0; i < g_liveryCount; ++i) {
        const bool generic = i % 25 == 0;
        const std::string airline = generic ? "ZZZ" : lf_airline(i % g_airlineCount);
        const std::string type = lf_type((i * 7 + i / g_airlineCount) % g_typeCount);
        g_liveryRecords.push_back({airline, type, fmt::format("{} {} livery number {}", airline, type, i),
                                   i % 40 == 0 ? fmt::format("D-S{:04}", i) : std::string(), 0, i % 5 == 0});
    }
    gf_sortLiveryRecords(g_liveryRecords);
    gf_buildLiveryTitles();
    gf_buildAirlineTables();
    gf_buildTypeTables();
    auto& tables = g_liveryTables;
    for (const auto& record : g_liveryRecords) {
        if (record.atcid.empty())
            continue;
        const auto title = gf_findLiveryTitle(record.title);
        tables.specialRegistrations.emplace(record.atcid, title);
        tables.specialTitles.push_back(title);
    }
    gf_buildSimilarModels();
    for (int i = 50; i < 70; ++i)
        tables.lightLiveryTypes.push_back(lf_type(i));
    for (int i = 70; i < 80; ++i)
        tables.buzjetLiveryTypes.push_back(lf_type(i));
    for (int i = 80; i < 90; ++i)
        tables.rotorcraftLiveryTypes.push_back(lf_type(i));
}

std::vector<LiveryMatchAc> lf_aircraft()
{
    std::mt19937 engine(42);
    std::vector<LiveryMatchAc> aircraft;
    aircraft.reserve(g_aircraftCount);
    for (int i = 0; i < g_aircraftCount; ++i) {
        LiveryMatchAc ac;
        ac.airline = lf_airline(static_cast<int>(engine() % 500)); // some airlines have no liveries
        ac.type = lf_type(static_cast<int>(engine() % 120));        // some types are unknown
        if (i % 10 == 0)
            ac.registration = fmt::format("D-S{:04}", engine() % g_liveryCount);
        else if (i % 10 == 1)
            ac.registration = fmt::format("D-R{:04}", engine() % 2000);
        ac.sizeClass = gf_type2sizeClass(ac.type);
        ac.cargo = i % 6 == 0;
        aircraft.push_back(std::move(ac));
    }
    return aircraft;
}

void BM_matchLiveAircraft(benchmark::State& state)
{
    lf_fillDatabase();
    lf_buildTables();
    LOG.value = false;
    gf_randomGenerator().seed(1);
    auto aircraft = lf_aircraft();
    std::size_t matched = 0;
    for (auto _ : state) {
        for (auto& ac : aircraft) {
            ac.liveryTitle = {};
            gf_matchLiveryLiveAc(ac);
            matched += ac.liveryTitle.empty() ? 0 : 1;
        }
    }
    benchmark::DoNotOptimize(matched);
    state.SetItemsProcessed(state.iterations() * g_aircraftCount);
    state.counters["matched"] = static_cast<double>(matched) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_matchLiveAircraft)->Unit(benchmark::kMillisecond);

void BM_matchStaticAircraft(benchmark::State& state)
{
    lf_fillDatabase();
    lf_buildTables();
    LOG.value = false;
    auto aircraft = lf_aircraft();
    for (auto _ : state) {
        for (std::size_t i = 0; i < aircraft.size(); ++i) {
            aircraft[i].liveryTitle = {};
            benchmark::DoNotOptimize(gf_matchLiveryStaticAc(aircraft[i], i % 7 == 0, "A1"));
        }
    }
    state.SetItemsProcessed(state.iterations() * g_aircraftCount);
}
BENCHMARK(BM_matchStaticAircraft)->Unit(benchmark::kMillisecond);

void BM_buildLiveryTables(benchmark::State& state)
{
    lf_fillDatabase();
    for (auto _ : state)
        lf_buildTables();
    state.SetItemsProcessed(state.iterations() * g_liveryCount);
}
BENCHMARK(BM_buildLiveryTables)->Unit(benchmark::kMillisecond);

} // namespace
