// Scenery BGL files as the add-on airport scan reads them, all of it on every input: from memory
// in either simulator's mode, from a file through the pre-check and the scan task, and as a
// package's manifest.json through the publisher search. Every airport handed on is whole; a BGL
// file may only end in std::out_of_range, and the task gives its slot back whatever happens.
#include "fuzz_support.h"

#include "airports/bgl_reader.h"
#include "airports/publisher_search.h"
#include "airports/scan_report.h"
#include "foundation/shell_state.h"
#include "foundation/tasks.h"

#include <cmath>
#include <set>
#include <stdexcept>

using fuzzsupport::check;

namespace {

void lf_checkAirport(ApfParameters& params)
{
    check(params.code.size() == 4 && params.code.find(' ') == std::string::npos, "airport: a four-character code");
    check(params.altitude >= 0 && params.altitude <= 10000, "airport: altitude 0 .. 10000 ft");
    std::set<std::string> names;
    for (const Stand& s : params.stands) {
        check(names.insert(s.name).second, "stand: a name of its own");
        check(std::abs(s.latitude) <= 90.0 && std::abs(s.longitude) <= 180.0, "stand: a position on the globe");
        check(std::isfinite(s.heading) && std::isfinite(s.radius), "stand: a finite heading and radius");
        check(s.heli || std::abs(s.radius * 1852.0 - 100.5) < 99.5 + 1e-6, "stand: a radius of 1 .. 200 m");
    }
}

const BglHandoff g_checks{[](ApfParameters&, std::int32_t&, const std::string&) { return false; }, lf_checkAirport, {}};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    gf_setBglHandoff(g_checks);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const bool msfs2020 : {true, false}) {
        g_msfs2020Mode = msfs2020;
        try {
            gf_readBglAirports(bytes, "fuzz.bgl", g_checks);
        } catch (const std::out_of_range&) {
            // a record or entry that claims more than the file holds
        }
    }
    fuzzsupport::writeFile("Community/pk/scenery/fuzz.bgl", bytes);
    if (gf_bglHasAirportSection("Community/pk/scenery/fuzz.bgl")) {
        ++g_runningTasks;
        try {
            gf_processBGLfile("Community/pk/scenery/fuzz.bgl");
        } catch (const std::out_of_range&) {
        }
        check(g_runningTasks.load() == 0, "scan task: its slot given back");
    }
    fuzzsupport::writeFile("Community/pk/manifest.json", bytes);
    (void)gf_findAirportPublisher("Community/pk/scenery/fuzz.bgl");
    g_scanReport.clear();
    return 0;
}
