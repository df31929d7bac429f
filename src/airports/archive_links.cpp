#include "airports/archive_links.h"

#include "aircraft/cfg_key_lines.h"
#include "aircraft/dbase.h"
#include "airports/airport.h"
#include "airports/apf_file.h"
#include "airports/apf_locations.h"
#include "airports/publisher_search.h"
#include "airports/scan_report.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
#include "foundation/text_file.h"
#include "foundation/text_utils.h"

#include <algorithm>
#include <fmt/format.h>
#include <mutex>
#include <optional>

std::atomic<bool> g_scanFoundAny{false};

namespace {

// Held for a file's publisher search and for the whole of each link.
std::mutex g_linkMutex;

std::optional<std::string> lf_linkSimaddonArchive(const std::string& code)
{
    if (g_dbase.simAddonAirports.contains(code))
        return "archive/simaddon/" + gf_xmlFileString(code);
    gf_addScanReportLine(fmt::format("{} does not exist as simaddon", code));
    return std::nullopt;
}

// The first list entry of the publisher (the current simulator's list) and in it the first
// text that begins with the code; the number after the code is the archived stand count.
std::optional<std::string> lf_linkThirdpartyArchive(const std::string& publisher, const std::string& code,
                                                    std::int32_t& archived)
{
    const auto& lists = g_msfs2020Mode.load() ? g_dbase.thirdParties2020 : g_dbase.thirdParties2024;
    const auto entry =
        std::find_if(lists.begin(), lists.end(), [&](const ThirdPartyAirports& e) { return e.publisher == publisher; });
    if (entry != lists.end()) {
        PrefixedNumber search{publisher, code};
        for (const std::string& text : entry->airports) {
            if (!gf_parsePrefixedNumber(search, text))
                continue;
            archived = search.number;
            std::string folder;
            for (const char c : publisher)
                folder += c == ' ' ? std::string("%20") : std::string(1, c);
            return "archive/thirdparty/" + folder + "/" + gf_xmlFileString(code);
        }
    }
    gf_addScanReportLine(fmt::format("thirdparty {} {} does not exist", publisher, code));
    return std::nullopt;
}

// The publisher of a file's package, found once per file; the search's report lines stay together.
PublisherInfo lf_findFilePublisher(const std::string& bglPath)
{
    std::lock_guard lock(g_linkMutex);
    return gf_findAirportPublisher(bglPath);
}

// True when the airport was linked: the archive holds its file and the link file was written.
bool lf_linkArchivedAirport(ApfParameters& params, std::int32_t& archived, const PublisherInfo& info)
{
    std::lock_guard lock(g_linkMutex);
    archived = 0;
    params.publisher = info.publisher;
    params.manufacturer = info.manufacturer;
    params.creator = info.creator;
    if (params.publisher == "unknown")
        return false;
    const bool simaddon = params.publisher == "simaddon";
    const std::optional<std::string> archivePath = simaddon ? lf_linkSimaddonArchive(params.code)
                                                            : lf_linkThirdpartyArchive(params.publisher, params.code,
                                                                                       archived);
    if (!archivePath)
        return false;
    const fs::path link = gf_txtFileName((simaddon ? g_simAddonAirportFolder : g_userAirportFolder) / params.code);
    if (!gf_writeTextFile(*archivePath, link, true)) {
        gf_addScanReportLine(fmt::format("{}Linking {} did not succeed", "===> ", gf_pathToUtf8(link)));
        return false; // no link: the airport is read and its file generated instead
    }
    if (simaddon)
        gf_addScanReportLine(fmt::format("{} airport {} linked to {}", "simaddon", params.code, *archivePath));
    else
        gf_addScanReportLine(fmt::format("thirdparty airport {} linked to {}", params.code, *archivePath));
    g_scanFoundAny = true;
    return true;
}

void lf_sortStandsByName(std::vector<Stand>& stands)
{
    std::sort(stands.begin(), stands.end(), [](const Stand& a, const Stand& b) { return a.name < b.name; });
}

// The text from its first "Community" on; unchanged without one.
std::string lf_cutPathAtCommunity(const std::string& path)
{
    const std::size_t at = path.find("Community");
    return at == std::string::npos ? path : path.substr(at);
}

// The full parking file, in airports/my_simaddon for the simulator makers' airports, else in
// airports/my_thirdparty. Airports without stands get none.
void lf_generateAirportFile(ApfParameters& params)
{
    if (params.stands.empty())
        return;
    if (params.publisher != "unknown")
        params.BGLpath = lf_cutPathAtCommunity(params.BGLpath);
    const fs::path folder = params.publisher == "simaddon" ? g_simAddonAirportFolder : g_userAirportFolder;
    const auto stands = static_cast<std::int64_t>(params.stands.size());
    const auto helipads = static_cast<std::int64_t>(
        std::count_if(params.stands.begin(), params.stands.end(), [](const Stand& s) { return s.heli; }));
    const std::string helipadText =
        helipads == 0 ? "" : fmt::format(", of which {} helipad{}", helipads, gf_plural(helipads));
    const std::string name = gf_xmlFileString(params.code);
    gf_addScanReportLine(fmt::format("Generated {}: {} position{}{}", name, stands, gf_plural(stands), helipadText));
    lf_sortStandsByName(params.stands);
    fs::create_directories(folder);
    const fs::path path = folder / name;
    if (gf_writeApf(params, path, g_apfFullMode, false))
        g_scanFoundAny = true;
    else
        gf_addScanReportLine(fmt::format("{}Generating {} did not succeed", "===> ", gf_pathToUtf8(path)));
}

std::string lf_lost(const std::string& bglPath)
{
    gf_addScanReportLine(fmt::format("==================> Not recognised airport lost ... '{}'", bglPath));
    return {};
}

// The code of an airport record the reader cannot decode: the file's stem, the package
// manifest's title or a "-code-" part of the path, each only when the airport list has it.
std::string lf_identifyUnrecognisedAirport(const std::string& bglPath)
{
    const std::string stem = gf_toUpper(gf_pathFromUtf8(bglPath).stem().string());
    if (stem.size() == 4 && gf_findAirport(stem) != nullptr) {
        gf_addScanReportLine(fmt::format("Not recognised airport has ICAO code '{}' as BGL stem", stem));
        return stem;
    }
    const ManifestInfo manifest = gf_searchManifest(bglPath);
    if (!manifest.found)
        return lf_lost(bglPath);
    if (std::string code = gf_airportCodeFromName(manifest.title); !code.empty()) {
        gf_addScanReportLine(
            fmt::format("Not recognised airport has ICAO '{}' in title '{}' of manifest", code, manifest.title));
        return code;
    }
    for (const Airport& airport : g_airports) {
        if (gf_nameHasCodeTag(bglPath, airport.code)) {
            gf_addScanReportLine(
                fmt::format("Not recognised airport has ICAO '{}' in BGL path '{}'", airport.code, bglPath));
            return airport.code;
        }
    }
    return lf_lost(bglPath);
}

void lf_handleUnrecognisedAirport(const std::string& bglPath)
{
    gf_addScanReportLine(fmt::format("\n==> Not recognised airport {}", bglPath));
    ApfParameters params;
    params.code = lf_identifyUnrecognisedAirport(bglPath);
    params.BGLpath = bglPath;
    std::int32_t archived = 0;
    if (!params.code.empty())
        lf_linkArchivedAirport(params, archived, lf_findFilePublisher(bglPath));
}

} // namespace

BglHandoff gf_archiveHandoff()
{
    return {lf_findFilePublisher, lf_linkArchivedAirport, lf_generateAirportFile, lf_handleUnrecognisedAirport};
}
