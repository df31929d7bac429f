// Loading the park airport's parking file: 5,000 stands spread over an airport (rows of 20 m
// stands 50 m apart) against 5,000 stands at one spot, each alone and with a learned file of
// 5,000 stands made by hand at the same spot. "stands" is what the loader kept; "peak_MB" the
// process's peak memory, so each case is measured in a run of its own (--benchmark_filter).
#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "foundation/geometry.h"
#include "foundation/option_table.h"
#include "support/apf_text.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <sys/resource.h>

#include <string>

namespace {

constexpr int g_stands = 5000;

std::string lf_parkpos(const std::string& id, LatLon at, const char* more = "")
{
    return fmt::format("<parkpos id='{}' latitude='{:.7f}' longitude='{:.7f}' radius='20' {}/>", id, at.lat, at.lon,
                       more);
}

std::string lf_spread()
{
    std::string text;
    for (int i = 0; i < g_stands; ++i) {
        const LatLon row = gf_destinationPoint({50.0, 8.5}, 0.0, (i / 20) * 150.0 / 0.3048);
        text += lf_parkpos(fmt::format("S{}", i), gf_destinationPoint(row, 1.5707963267948966, (i % 20) * 50.0 / 0.3048));
    }
    return text;
}

std::string lf_oneSpot(const char* prefix, const char* more = "")
{
    std::string text;
    for (int i = 0; i < g_stands; ++i)
        text += lf_parkpos(fmt::format("{}{}", prefix, i), {50.0, 8.5}, more);
    return text;
}

template <bool spread, bool learned>
void BM_LoadParkFile(benchmark::State& state)
{
    testsupport::TempFolder folder;
    gf_resetOptions();
    parkAirport = Airport{"EDDF", "FRA", 50.0, 8.5, 0.0};
    const std::string parameters =
        "<parameter name='altitude' value='364'/><parameter name='publisher' value='Pub'/>";
    testsupport::writeFile("airports/my_thirdparty/EDDF.xml",
                           testsupport::apfText(spread ? lf_spread() : lf_oneSpot("S"), parameters));
    if (learned)
        testsupport::writeFile("airports/learned/thirdparty/Pub/EDDF.xml",
                               testsupport::apfText(lf_oneSpot("M", "manual='true'")));
    std::string result;
    for (auto _ : state)
        benchmark::DoNotOptimize(result = gf_readParkedFile());
    state.counters["stands"] = static_cast<double>(gf_parkStandCount());
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    if (!result.empty())
        state.SkipWithError(result.c_str());
    gf_resetParkData();
    gf_resetParkApf();
}

BENCHMARK(BM_LoadParkFile<true, false>)->Name("Load/spread")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadParkFile<false, false>)->Name("Load/oneSpot")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadParkFile<true, true>)->Name("Load/spread+manualOneSpot")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadParkFile<false, true>)->Name("Load/oneSpot+manualOneSpot")->Unit(benchmark::kMillisecond);

} // namespace
