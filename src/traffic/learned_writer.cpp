#include "traffic/learned_writer.h"

#include "airports/apf_file.h"
#include "airports/apf_locations.h"
#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "foundation/log.h"
#include "foundation/meta_block.h"
#include "foundation/paths.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"
#include "foundation/utc_time.h"

#include <algorithm>
#include <fmt/format.h>
#include <mutex>

namespace {

void lf_show(const std::string& text) { gf_showStatus(text, true); }

} // namespace

std::vector<Stand> gf_learnedStands(const std::vector<Stand>& stands, bool handmade)
{
    std::vector<Stand> learned;
    for (const Stand& stand : stands) {
        Stand copy = stand;
        // made-up aircraft belong to this visit only; the airport's own options stay in its own
        // file, unless that file is the handmade one
        std::erase_if(copy.options,
                      [handmade](const StandOption& o) { return o.madeUp || (!handmade && o.fromApf == 1); });
        // an option disabled because its aircraft is about is so for this visit only
        gf_renumberOptions(copy.options);
        if (handmade || !copy.options.empty() || copy.manual || copy.radius_change || copy.cargo_change)
            learned.push_back(std::move(copy));
    }
    return learned;
}

bool gf_writeLearnedApf()
{
    if (g_learnedFileHeld) // the load said so
        return false;
    ApfParameters params;
    bool handmade = false;
    {
        std::lock_guard lock(g_parkDataMutex);
        params.code = parkAirport.code;
        handmade = g_parkHandmade;
        params.stands = gf_learnedStands(g_parkStands, handmade);
    }
    params.airport_name = g_parkApfInfo.airport_name;
    params.publisher = g_parkApfInfo.publisher;
    params.altitude = g_parkApfInfo.altitude;
    if (handmade) {
        const PackedQf qf = gf_computeQf(params.stands);
        params.Qf_real = gf_qfReal(qf);
        params.Qf_soft = gf_qfSoft(qf);
    }
    const std::string clock = gf_utcClockText();
    fs::path path;
    bool saved = false;
    try {
        // a folder that cannot be made is a failed save, not the end of leaving the airport
        path = gf_learnedApfPath(g_parkApfInfo.reference, params.publisher, params.code);
        fs::create_directories(path.parent_path());
        gf_updateSimFamily();
        saved = gf_writeApf(params, path, g_apfLearnedMode, handmade);
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "gf_writeLearnedApf", e.what()));
    }
    const std::string shown = gf_pathToUtf8(path);
    if (!saved) {
        lf_show(fmt::format("{} saving '{}' did not succeed", clock, shown));
        return false;
    }
    const std::uint32_t updates = g_learnedUpdates;
    lf_show(fmt::format("{}{} '{}' saved with {} update{} {}", clock, handmade ? " handmade" : "", shown, updates,
                        gf_plural(static_cast<std::int64_t>(updates)),
                        g_apfParamsChanged ? "and one or more parameter changes" : ""));
    return true;
}
