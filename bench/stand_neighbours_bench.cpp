// Numbering the park airport's stands with their overlapping neighbours: the grid against comparing
// every pair (the baseline, measured in the same run), on airports of rows of 20 m stands 50 m
// apart, on 10,000 stands at one spot without a circle, and on 5,000 stands of a few millimetres in a
// 0.3-m square.
#include "airports/stand_neighbours.h"
#include "foundation/geometry.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<Stand> lf_airport(int count)
{
    std::vector<Stand> stands;
    for (int i = 0; i < count; ++i) {
        const LatLon row = gf_destinationPoint({50.0, 8.0}, 0.0, (i / 20) * 150.0 / 0.3048);
        const LatLon at = gf_destinationPoint(row, g_twoPi / 4.0, (i % 20) * 50.0 / 0.3048);
        const double radius = i % 7 == 0 ? 30.0 : 20.0;
        stands.emplace_back("S", std::vector<StandOption>{}, StandPosition{at.lat, at.lon, 0.0}, radius, true, true, true);
    }
    return stands;
}

std::vector<Stand> lf_spot(int count)
{
    return std::vector<Stand>(static_cast<std::size_t>(count),
                              Stand("S", {}, StandPosition{50.0, 8.0, 0.0}, 0.0, true, true, true));
}

// Stands 2 to 5 mm across strewn over a 0.3-m square, as only a handmade or hostile file has them.
std::vector<Stand> lf_tinySquare(int count)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> side(0.0, 0.3 / 1852.0 / 60.0);
    std::uniform_real_distribution<double> radius(0.002, 0.005);
    std::vector<Stand> stands;
    for (int i = 0; i < count; ++i) {
        const double lat = 50.0 + side(random);
        const double lon = 8.0 + side(random) / std::cos(50.0 * g_deg2rad);
        stands.emplace_back("S", std::vector<StandOption>{}, StandPosition{lat, lon, 0.0}, radius(random), true, true,
                            true);
    }
    return stands;
}

void lf_allPairs(std::vector<Stand>& stands)
{
    for (std::size_t i = 0; i < stands.size(); ++i)
        stands[i].id = static_cast<std::uint32_t>(i + 1);
    for (std::size_t i = 0; i < stands.size(); ++i)
        for (std::size_t j = i + 1; j < stands.size(); ++j) {
            Stand& a = stands[i];
            Stand& b = stands[j];
            if (a.radius + b.radius > 1.1 * gf_distanceNm({a.latitude, a.longitude}, {b.latitude, b.longitude})) {
                a.neighbours.push_back(b.id);
                b.neighbours.push_back(a.id);
            }
        }
}

template <bool grid, std::vector<Stand> (*layout)(int)>
void BM_Number(benchmark::State& state)
{
    const std::vector<Stand> laidOut = layout(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::vector<Stand> stands = laidOut;
        if constexpr (grid)
            benchmark::DoNotOptimize(gf_numberStands(stands));
        else
            lf_allPairs(stands);
        benchmark::DoNotOptimize(stands.data());
    }
}

BENCHMARK(BM_Number<false, lf_airport>)->Name("AllPairs/airport")->Arg(500)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Number<true, lf_airport>)->Name("Grid/airport")->Arg(500)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Number<false, lf_spot>)->Name("AllPairs/oneSpot")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Number<true, lf_spot>)->Name("Grid/oneSpot")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Number<true, lf_tinySquare>)->Name("Grid/tinySquare")->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace
