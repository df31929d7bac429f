// The scenery BGL reader over 2,000 files shaped like add-on airports' ones (the airport section
// with helipads and a parking list between two larger sections of other kinds), warm in the page
// cache: the pre-check, then loading and walking with hand-offs that do nothing, against reading
// the same bytes alone in the same run; and the whole add-on airport scan of those files, each in a
// package with its manifest.json (the walk, the tasks, the publisher search, 1,000 parking files
// written to the disk, the report); and a file whose section entries all name the same records,
// against one of the same size that names them once.
#include "airports/airport_scan.h"
#include "airports/archive_links.h"
#include "airports/bgl_reader.h"
#include "airports/scan_report.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
#include "foundation/tasks.h"
#include "support/bgl_writer.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t g_fileCount = 2000;

// Shaped like an add-on airport's scenery file: an airport record whose helipads and parking list
// lie among larger subrecords of other kinds (runways, aprons, taxiways), between two larger
// sections of other kinds.
std::string lf_sceneryFile(std::uint32_t ident, std::uint32_t parkings, std::size_t otherBytes)
{
    using namespace bglwriter;
    std::vector<Parking> list;
    for (std::uint32_t i = 0; i < parkings; ++i)
        list.push_back(
            {.code = 10 + i % 3, .type = 1 + i % 8, .number = i, .airlines = i % 4, .lon = lonRaw(4.7 + i * 1e-4)});
    std::string others;
    for (std::uint16_t id = 0x100; id < 0x120; ++id)
        others += record(id, 256 + 32 * (id % 8));
    const std::string subrecords = others + helipad(52.3, 4.7) + helipad(52.31, 4.7) + parkingList(list) + others;
    return file({{std::string(otherBytes, 'm'), 0x2B}, {airport(ident, subrecords, 3048)},
                 {std::string(otherBytes, 'n'), 0x65}});
}

// The files in a temporary folder, made once (and so read into the cache) and removed at exit.
class SceneryFiles {
public:
    SceneryFiles()
    {
        std::string pattern = (fs::temp_directory_path() / "trwk-bgl-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        root = pattern;
        for (std::uint32_t i = 0; i < g_fileCount; ++i) {
            paths.push_back(root / fmt::format("Community/addon-{:04}/scenery/APX{:04}.bgl", i, i));
            fs::create_directories(paths.back().parent_path());
            const std::string bytes = lf_sceneryFile(bglwriter::identWord(fmt::format("K{:03}", i % 1000)),
                                                     20 + i % 180, 16384 + (i % 7) * 8192);
            std::ofstream(paths.back(), std::ios::binary) << bytes;
            std::ofstream(paths.back().parent_path().parent_path() / "manifest.json") << R"({"creator": "Maker"})";
        }
    }
    ~SceneryFiles()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    fs::path root;
    std::vector<fs::path> paths;
};

const SceneryFiles& lf_files()
{
    static const SceneryFiles files;
    return files;
}

const SceneryFiles& g_made = lf_files(); // before any timing

// A file of about `bytes` bytes, half of it one airport and 8-byte records after it, the other half
// a section table whose entries name them: all of them (`everyEntry`), or only the first.
std::string lf_sameRecordsFile(std::size_t bytes, bool everyEntry)
{
    using namespace bglwriter;
    std::string records = airport(identWord("EHAM"));
    const std::string filler = record(0x99, 8);
    while (records.size() < bytes / 2)
        records += filler;
    const auto entries = static_cast<std::uint32_t>(bytes / 2 / 20);
    std::string b = sameRecordsFile(entries, records);
    if (!everyEntry) // the other entries name no airport section
        for (std::uint32_t i = 1; i < entries; ++i)
            b[56 + 20 * i] = 0x65;
    return b;
}

// The reader over a file whose section entries all name the same records (state.range(1) = 1),
// against a file of the same size whose records are named once (0): the ratio of the two is the
// cost of the repeated entries, which a walk that reads each record once keeps near 1.
void BM_SameRecordsFile(benchmark::State& state)
{
    const std::string bytes = lf_sameRecordsFile(static_cast<std::size_t>(state.range(0)), state.range(1) == 1);
    std::int64_t airports = 0;
    const BglHandoff handoff{{}, {}, [&airports](ApfParameters&) { ++airports; }, {}};
    for (auto _ : state) {
        gf_readBglAirports(bytes, "same.bgl", handoff);
        g_scanReport.clear();
    }
    state.counters["airports"] = static_cast<double>(airports) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void BM_ReadBytesAlone(benchmark::State& state)
{
    for (auto _ : state) {
        for (const fs::path& path : lf_files().paths) {
            std::ifstream stream(path, std::ios::binary | std::ios::ate);
            std::vector<char> bytes(static_cast<std::size_t>(stream.tellg()));
            stream.seekg(0);
            stream.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            benchmark::DoNotOptimize(bytes.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * g_fileCount);
}

void BM_PreCheckLoadAndWalk(benchmark::State& state)
{
    std::int64_t airports = 0;
    gf_setBglHandoff({{}, [](ApfParameters&, std::int32_t&, const PublisherInfo&) { return false; },
                      [&airports](ApfParameters&) { ++airports; }, {}});
    for (auto _ : state) {
        for (const fs::path& path : lf_files().paths) {
            if (!gf_bglHasAirportSection(path))
                continue;
            gf_processBGLfile(path);
        }
        g_scanReport.clear();
    }
    gf_setBglHandoff({});
    if (airports != state.iterations() * g_fileCount)
        state.SkipWithError("an airport was not read");
    state.SetItemsProcessed(state.iterations() * g_fileCount);
}

// The scan as the start-up runs it, from a program folder beside the packages (the 2020
// simulator: its missing official folder, then Community); one airport code for every two files.
void BM_WholeScan(benchmark::State& state)
{
    const fs::path program = lf_files().root / "program";
    for (const fs::path& folder : {g_infoFolder, g_userAirportFolder, g_simAddonAirportFolder})
        fs::create_directories(program / folder);
    const fs::path previous = fs::current_path();
    fs::current_path(program);
    g_msfs2020Mode = true;
    MSFS_INSTALL_PATH.value.set(lf_files().root.string());
    g_maxTasks = static_cast<std::int32_t>(std::max(1U, std::thread::hardware_concurrency()));
    gf_setBglHandoff(gf_archiveHandoff());
    for (auto _ : state) {
        SCAN_AIRPORTS.value = true;
        gf_scanAddonAirports();
    }
    const auto generated = std::distance(fs::directory_iterator(g_userAirportFolder), fs::directory_iterator());
    gf_setBglHandoff({});
    fs::current_path(previous);
    if (generated != g_fileCount / 2)
        state.SkipWithError("an airport file was not written");
    state.SetItemsProcessed(state.iterations() * g_fileCount);
}

} // namespace

BENCHMARK(BM_SameRecordsFile)
    ->ArgsProduct({{192 * 1024, 1900 * 1024}, {0, 1}})
    ->ArgNames({"bytes", "sameRecords"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBytesAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreCheckLoadAndWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeScan)->Unit(benchmark::kMillisecond);

