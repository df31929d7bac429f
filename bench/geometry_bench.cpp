// The geometry runs for every live record of every answer and many times a tick.
#include "foundation/geometry.h"

#include <benchmark/benchmark.h>

static void BM_distanceNm(benchmark::State& state)
{
    LatLon a{50.0333, 8.5706};
    const LatLon b{40.6398, -73.7789};
    for (auto _ : state) {
        benchmark::DoNotOptimize(gf_distanceNm(a, b));
        a.lat += 1e-9;
    }
}
BENCHMARK(BM_distanceNm);

static void BM_destinationPoint(benchmark::State& state)
{
    LatLon a{50.0333, 8.5706};
    for (auto _ : state) {
        benchmark::DoNotOptimize(gf_destinationPoint(a, 1.2, 3000.0));
        a.lon += 1e-9;
    }
}
BENCHMARK(BM_destinationPoint);
