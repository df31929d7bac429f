// The livery scan on an installation the size of a big AI package collection: 20,000 livery
// folders laid out as the packages ship them (a base container per type, one folder per livery
// with its aircraft.cfg of several [FLTSIM.N] sections and its texture folder). The floor, timed
// in the same iterations, is a cat of the same files: the same walk, each aircraft.cfg opened,
// read whole and closed. Warm cache: the tree was just written, and cat reads it once first.
#include "aircraft/dbase.h"
#include "aircraft/livery_records.h"
#include "aircraft/livery_search.h"
#include "aircraft/scan_reports.h"
#include "foundation/tasks.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <strings.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int g_liveryFolders = 20000;
const char* const g_types[] = {"A20N", "A320", "A321", "B738", "B744", "B77W", "E190", "CRJ9"};
const char* const g_airlines[] = {"DLH", "BAW", "AFR", "KLM", "UAL", "DAL", "AAL", "SWA", "RYR", "EZY"};

// One livery section as the AI packages write it, about 1 KB.
std::string lf_section(int number, const char* type, const char* airline, int folder)
{
    return fmt::format(
        "[FLTSIM.{0}]\ntitle = \"AIG {1} {2} {3:05} {0}\"\nmodel = \"\"\npanel = \"\"\nsound = \"\"\n"
        "texture = \"{2}-{3:05}\"\nkb_checklists = \"\"\nkb_reference = \"\"\n"
        "description = \"AI Aircraft by Alpha India Group - visit our website for more information\"\n"
        "wip_indicator = 0\nui_manufacturer = \"TT:AIRCRAFT.UI_MANUFACTURER\"\nui_type = \"{1}\"\n"
        "ui_variation = \"Airline {2} livery {0}\"\nui_typerole = \"Commercial Airliner\"\n"
        "ui_createdby = \"Alpha India Group\"\nui_thumbnail = \"\"\nui_certified_ceiling = 39800\n"
        "ui_max_range = 3300\nui_autonomy = 7\nui_fuel_burn_rate = 5300\natc_id = \"N{3:05}{0}\"\n"
        "atc_id_enable = 0\natc_airline = \"Airline {2}\"\natc_flight_number = \"1234\"\natc_heavy = 0\n"
        "atc_parking_types = \"GATE,RAMP\"\natc_parking_codes = \"{2}\"\natc_id_color = \"#ffffffff\"\n"
        "atc_id_font = \"\"\nicao_airline = \"{2}\"\nisAirTraffic = 1\nisUserSelectable = 0\n"
        "; livery painted after photographs of the real aircraft, version 2.1\n\n",
        number, type, airline, folder);
}

// The package tree in a temporary folder, made once and removed at exit.
class PackageTree {
public:
    PackageTree()
    {
        std::string pattern = (fs::temp_directory_path() / "trwk-scan-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        root = fs::path(pattern) / "aig-aitraffic-oci";
        fs::create_directories(root);
        std::ofstream(root / "manifest.json") << "{\"title\": \"AIG AI Traffic\"}\n";
        const fs::path planes = root / "SimObjects" / "Airplanes";
        for (const char* type : g_types) {
            const fs::path base = planes / fmt::format("AIG_{}", type);
            fs::create_directories(base / "model");
            fs::create_directories(base / "texture");
            std::ofstream(base / "aircraft.cfg") << fmt::format("[GENERAL]\nicao_type_designator = \"{}\"\n", type);
            std::ofstream(base / "model" / "model.cfg") << "[models]\nnormal=model.xml\n";
            std::ofstream(base / "texture" / "texture.cfg") << "[fltsim]\nfallback.1=..\\texture\n";
        }
        for (int i = 0; i < g_liveryFolders; ++i) {
            const char* type = g_types[i % std::size(g_types)];
            const char* airline = g_airlines[(i / 8) % std::size(g_airlines)];
            const fs::path folder = planes / fmt::format("AIG_{}_{}_{:05}", type, airline, i);
            const fs::path texture = folder / fmt::format("texture.{}-{:05}", airline, i);
            fs::create_directories(texture);
            std::string cfg = fmt::format("[VERSION]\nmajor = 1\nminor = 0\n\n[VARIATION]\nbase_container = "
                                          "\"..\\AIG_{0}\"\n\n[GENERAL]\nicao_type_designator = \"{0}\"\n\n",
                                          type);
            for (int section = 0; section <= i % 6; ++section) // 1 to 6 liveries a file
                cfg += lf_section(section, type, airline, i);
            std::ofstream(folder / "aircraft.cfg") << cfg;
            std::ofstream(texture / "texture.cfg") << "[fltsim]\nfallback.1=..\\..\\AIG_" << type << "\\texture\n";
            std::ofstream(texture / "thumbnail.jpg") << std::string(2048, 'j');
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

bool lf_isAircraftCfgName(const std::string& name)
{
    return name.size() == 12 && strncasecmp(name.c_str(), "aircraft.cfg", 12) == 0;
}

// What cat does with every aircraft.cfg, found in the walk's order: open, read to the end, close.
std::size_t lf_catFiles(const fs::path& root)
{
    std::size_t bytes = 0;
    char buffer[128 * 1024];
    for (fs::recursive_directory_iterator it(root), end; it != end; ++it) {
        if (!it->is_regular_file() || !lf_isAircraftCfgName(it->path().filename().string()))
            continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY);
        if (fd < 0)
            continue;
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            bytes += static_cast<std::size_t>(n);
        ::close(fd);
    }
    return bytes;
}

// Wall time and the process's processor time (all threads) of one call.
struct Measured {
    double seconds = 0;
    double cpuSeconds = 0;
};

double lf_processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto lt_seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
    };
    return lt_seconds(usage.ru_utime) + lt_seconds(usage.ru_stime);
}

template <typename Work> void lf_measure(Measured& total, Work work)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = lf_processCpuSeconds();
    work();
    total.cpuSeconds += lf_processCpuSeconds() - cpuStart;
    total.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// "ratio": the scan's wall time over cat's; "cpu_ratio": the same for the processor time of all
// threads, which tells what a machine busy with other work would see.
void BM_ScanAgainstCat(benchmark::State& state)
{
    const fs::path root = lf_tree().root;
    lf_fillDatabase();
    g_maxTasks = static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    benchmark::DoNotOptimize(lf_catFiles(root)); // warm the cache
    std::size_t records = 0;
    Measured scan;
    Measured cat;
    for (auto _ : state) {
        lf_measure(cat, [&] { benchmark::DoNotOptimize(lf_catFiles(root)); });
        g_liveryRecords.clear();
        const double before = scan.seconds;
        lf_measure(scan, [&] { gf_searchLiveriesInFolder(1, root); });
        state.SetIterationTime(scan.seconds - before);
        records = g_liveryRecords.size();
        gf_clearScanReports(); // the next scan sees no title twice
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["liveries"] = static_cast<double>(records);
    state.counters["cat_ms"] = cat.seconds * 1000.0 / iterations;
    state.counters["ratio"] = scan.seconds / cat.seconds;
    state.counters["cpu_ratio"] = scan.cpuSeconds / cat.cpuSeconds;
    g_liveryRecords.clear();
}
BENCHMARK(BM_ScanAgainstCat)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace
