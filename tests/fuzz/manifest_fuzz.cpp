// A package's manifest.json as the publisher search reads it: found from a scenery file of the
// package, and read alone. The search always ends with "unknown" or a publisher of the database;
// reading it alone refuses only JSON that does not parse, that nests too deep or whose members
// are of another type, and keeps no text longer than 256 bytes and three dots.
#include "fuzz_support.h"

#include "aircraft/dbase.h"
#include "airports/publisher_search.h"
#include "airports/scan_report.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

using fuzzsupport::check;

namespace {

const std::string g_bglPath = "Community/pk/scenery/fuzz.bgl";

bool lf_isListedPublisher(const std::string& publisher)
{
    return std::any_of(g_dbase.publishers.begin(), g_dbase.publishers.end(),
                       [&publisher](const std::vector<std::string>& names) { return names.front() == publisher; });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    fuzzsupport::loadShippedDatabase();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::writeFile("Community/pk/manifest.json", {reinterpret_cast<const char*>(data), size});
    const PublisherInfo info = gf_findAirportPublisher(g_bglPath);
    check(info.publisher == "unknown" || lf_isListedPublisher(info.publisher), "publisher: unknown or listed");
    (void)gf_searchManifest(g_bglPath);
    try {
        const ManifestInfo manifest = gf_readManifest("Community/pk/manifest.json");
        check(manifest.found || (manifest.title.empty() && manifest.creator.empty() && manifest.manufacturer.empty()),
              "manifest: texts only when found");
        check(manifest.title.size() <= 259 && manifest.creator.size() <= 259 && manifest.manufacturer.size() <= 259,
              "manifest: texts cut");
    } catch (const nlohmann::json::exception&) {
        // not JSON, or a member that is not a text
    } catch (const std::runtime_error& e) {
        check(std::string(e.what()).starts_with("JSON nested deeper than"), "manifest: only the listed refusals");
    }
    g_scanReport.clear();
    return 0;
}
