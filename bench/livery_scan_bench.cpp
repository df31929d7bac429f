// The livery scan on an installation the size of a big AI package collection: 20,000 livery
// folders, each with its aircraft.cfg, below one package folder. The floor is cat reading the
// same files.
#include "aircraft/dbase.h"
#include "aircraft/livery_records.h"
#include "aircraft/livery_search.h"
#include "aircraft/scan_reports.h"
#include "foundation/tasks.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int g_liveryFolders = 20000;
const char* const g_types[] = {"A20N", "A320", "A321", "B738", "B744", "B77W", "E190", "CRJ9"};
const char* const g_airlines[] = {"DLH", "BAW", "AFR", "KLM", "UAL", "DAL", "AAL", "SWA", "RYR", "EZY"};

// The package tree in a temporary folder, made once and removed at exit.
class PackageTree {
public:
    PackageTree()
    {
        std::string pattern = (fs::temp_directory_path() / "trwk-scan-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        root = fs::path(pattern) / "aig-aitraffic-oci";
        const fs::path planes = root / "SimObjects" / "Airplanes";
        for (int i = 0; i < g_liveryFolders; ++i) {
            const char* type = g_types[i % std::size(g_types)];
            const char* airline = g_airlines[(i / 8) % std::size(g_airlines)];
            const fs::path folder = planes / fmt::format("AIG_{}_{}_{:05}", type, airline, i);
            fs::create_directories(folder);
            std::ofstream(folder / "aircraft.cfg")
                << fmt::format("[VARIATION]\nbase_container = \"..\\AIG_{}\"\n\n[GENERAL]\nicao_type_designator = "
                               "\"{}\"\n\n[FLTSIM.0]\ntitle = \"AIG {} {} {:05}\"\natc_airline = \"Airline {}\"\n"
                               "icao_airline = \"{}\"\natc_parking_codes = \"{}\"\natc_parking_types = \"GATE\"\n"
                               "atc_id = \"N{:05}\"\nisairtraffic = 1\nui_variation = \"{}\"\n\n[FLTSIM.1]\n"
                               "title = \"AIG {} {} {:05} Retro\"\nicao_airline = \"{}\"\natc_parking_types = \"GATE\"\n",
                               airline, type, type, airline, i, airline, airline, airline, i, airline, type, airline,
                               i, airline);
        }
    }
    ~PackageTree()
    {
        std::error_code ec;
        fs::remove_all(root.parent_path(), ec);
    }

    fs::path root;
};

PackageTree& lf_tree()
{
    static PackageTree tree;
    return tree;
}

void lf_fillDatabase()
{
    gf_resetDbase();
    for (const char* type : g_types)
        g_dbase.aircraftTypes.insert(type);
    for (const char* airline : g_airlines)
        g_dbase.icaoAirlines.insert(airline);
}

void BM_ScanTwentyThousandLiveryFolders(benchmark::State& state)
{
    const fs::path root = lf_tree().root;
    lf_fillDatabase();
    g_maxTasks = static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    std::size_t records = 0;
    for (auto _ : state) {
        g_liveryRecords.clear();
        gf_searchLiveriesInFolder(1, root);
        records = g_liveryRecords.size();
        gf_clearScanReports();
    }
    state.counters["liveries"] = static_cast<double>(records);
    state.counters["files"] = g_liveryFolders;
    g_liveryRecords.clear();
}
BENCHMARK(BM_ScanTwentyThousandLiveryFolders)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: cat reads the same files, found the same way.
void BM_CatFloor(benchmark::State& state)
{
    const std::string command =
        fmt::format("find '{}' -iname aircraft.cfg -print0 | xargs -0 cat > /dev/null", lf_tree().root.string());
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cat failed");
    }
}
BENCHMARK(BM_CatFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
