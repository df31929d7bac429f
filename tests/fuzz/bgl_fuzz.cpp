// Scenery BGL files as the add-on airport scan reads them, through the scan's own hand-off (the
// publisher search, the archive links, the generated parking files), on every input: from memory
// in either simulator's mode and from a file through the pre-check and the scan task, each under
// a package of another kind of publisher. Every airport handed on is whole, and every parking
// file generated loads back through the park airport's loader with the same stands, but those it
// refuses as crowded; a BGL file may only end in std::out_of_range. A walk reads a file within the
// blocks held once, and no more than four times any file; a file gives at most five report lines
// of each kind.
#include "fuzz_support.h"

#include "airports/archive_links.h"
#include "airports/bgl_reader.h"
#include "airports/bgl_words.h"
#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "airports/scan_report.h"
#include "airports/stand_limit.h"
#include "airports/stand_neighbours.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <vector>

using fuzzsupport::check;

namespace {

// The packages the file is read from: a publisher named in the path, the simulator's makers and
// one whose manifest names none.
const std::string g_knownPublisher = "Community/orbx-pk/scenery/fuzz.bgl";
const std::string g_simAddon = "Community/microsoft-airport-pk/scenery/fuzz.bgl";
const std::string g_unknownPublisher = "Community/pk/scenery/fuzz.bgl";
constexpr std::uint64_t g_blockBytes = BglWords::blockWords * 4;

void lf_checkAirport(const ApfParameters& params)
{
    check(params.code.size() == 4 && params.code.find(' ') == std::string::npos, "airport: a four-character code");
    check(params.altitude >= 0 && params.altitude <= 10000, "airport: altitude 0 .. 10000 ft");
    check(params.stands.size() <= g_maxAirportStands, "airport: no more stands than any airport has");
    std::set<std::string> names;
    for (const Stand& s : params.stands) {
        check(names.insert(s.name).second, "stand: a name of its own");
        check(std::abs(s.latitude) <= 90.0 && std::abs(s.longitude) <= 180.0, "stand: a position on the globe");
        check(std::isfinite(s.heading) && std::isfinite(s.radius) && s.radius >= 0.0,
              "stand: a finite heading and radius, not negative");
        check(s.heli || std::abs(s.radius * 1852.0 - 100.5) < 99.5 + 1e-6, "stand: a radius of 1 .. 200 m");
    }
}

// The parking files generated for the current input and their stand counts.
std::mutex g_generatedMutex;
std::map<std::string, std::size_t> g_generated;

BglHandoff lf_checkedHandoff()
{
    BglHandoff handoff = gf_archiveHandoff();
    handoff.generateAirportFile = [generate = handoff.generateAirportFile](ApfParameters& params) {
        lf_checkAirport(params);
        generate(params);
        const fs::path folder = params.publisher == "simaddon" ? g_simAddonAirportFolder : g_userAirportFolder;
        if (!params.stands.empty()) {
            std::lock_guard lock(g_generatedMutex);
            g_generated[gf_pathToUtf8(folder / (params.code + ".xml"))] = params.stands.size();
        }
    };
    return handoff;
}

// The report lines of one file of the kinds it may give many of: at most five of each (the count
// of those left out is a line of its own).
void lf_checkReportBound()
{
    const auto lt_kind = [](std::string_view line) -> int {
        static constexpr std::string_view starts[] = {
            "Skipped position with radius", "LatLon ", "===> Warning: more than 10 duplicate IDs",
            "lat/lon helipad incorrect", "Skipped helipad with width", "double helipad", "===> Reading ",
            "Skipped position "}; // the last after the radius lines, which start alike
        for (std::size_t kind = 0; kind < std::size(starts); ++kind)
            if (line.starts_with(starts[kind]))
                return static_cast<int>(kind);
        return -1;
    };
    std::map<int, int> lines;
    for (const std::string& line : g_scanReport.lines())
        ++lines[lt_kind(line)];
    for (const auto& [kind, count] : lines)
        check(kind < 0 || count <= 5, "report: at most five lines of a kind per file");
    g_scanReport.clear();
}

// Each file loads back with the stands it was written with, all of them on the globe: the file
// holds every one, and the loader keeps each but those it refuses as crowded (a scenery may stack
// stands so that a circle overlaps more than 64 of those before it).
void lf_loadGenerated()
{
    for (const auto& [path, count] : g_generated) {
        {
            std::lock_guard lock(g_parkDataMutex);
            parkAirport.code = gf_pathToUtf8(gf_pathFromUtf8(path).stem());
        }
        ParkApfInfo info;
        PackedQf qf = 0;
        check(gf_readApf(path, info, qf).empty(), "parking file: loads back");
        Apf doc;
        std::vector<Stand> written;
        if (doc.load_file(path.c_str()))
            gf_readApfStands(doc, written);
        check(written.size() == count, "parking file: every stand written is read");
        (void)gf_removeCrowdedStands(written, 0);
        check(std::equal(g_parkStands.begin(), g_parkStands.end(), written.begin(), written.end(),
                         [](const Stand& a, const Stand& b) { return a.name == b.name; }),
              "parking file: every stand read is loaded but the crowded ones");
        for (const Stand& s : g_parkStands)
            check(std::abs(s.latitude) <= 90.0 && std::abs(s.longitude) <= 180.0 && std::isfinite(s.heading) &&
                      std::isfinite(s.radius) && s.radius >= 0.0,
                  "parking file: stands on the globe with a finite heading and radius");
    }
    g_generated.clear();
    for (const fs::path& folder : {g_userAirportFolder, g_simAddonAirportFolder}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    fuzzsupport::loadShippedDatabase();
    for (const std::string& path : {g_knownPublisher, g_simAddon, g_unknownPublisher}) // found, naming nobody
        fuzzsupport::writeFile(gf_pathFromUtf8(path).parent_path().parent_path() / "manifest.json", "{}");
    gf_setBglHandoff(lf_checkedHandoff());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const BglHandoff handoff = lf_checkedHandoff();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const auto& [msfs2020, path] : {std::pair{true, g_knownPublisher}, std::pair{false, g_simAddon}}) {
        g_msfs2020Mode = msfs2020;
        try {
            const std::uint64_t read = gf_readBglAirports(bytes, path, handoff);
            check(size > BglWords::heldBlocks * g_blockBytes || read <= size,
                  "walk: a file within the blocks held read once");
            check(read <= 4 * size + (BglWords::heldBlocks + 4) * g_blockBytes,
                  "walk: no more than four times the file read, and a few blocks");
        } catch (const std::out_of_range&) {
            // a record or entry that claims more than the file holds
        }
        lf_checkReportBound();
    }
    g_msfs2020Mode = true;
    fuzzsupport::writeFile(g_unknownPublisher, bytes);
    if (gf_bglHasAirportSection(g_unknownPublisher)) {
        try {
            gf_processBGLfile(g_unknownPublisher);
        } catch (const std::out_of_range&) {
        }
    }
    lf_checkReportBound();
    lf_loadGenerated();
    g_scanReport.clear();
    return 0;
}
