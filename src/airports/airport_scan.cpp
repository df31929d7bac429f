#include "airports/airport_scan.h"

#include "airports/airport.h"
#include "airports/apf_download.h"
#include "airports/apf_file.h"
#include "airports/apf_locations.h"
#include "airports/archive_links.h"
#include "airports/publisher_search.h"
#include "airports/scan_report.h"
#include "airports/scan_walk.h"
#include "foundation/file_utils.h"
#include "foundation/install_detection.h"
#include "foundation/log.h"
#include "foundation/meta_block.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"

#include <fmt/format.h>
#include <iterator>
#include <system_error>
#include <vector>

std::atomic<std::int32_t> g_tbloCount{0};
HookSet<AirportScanHooks> g_airportScanHooks;

namespace {

constexpr std::size_t lf_reportReserve = 2048;
constexpr std::size_t lf_folderReserve = 10;

// The 2020 simulator's official packages, then the Community folder; the 2024 simulator's
// Community folder only.
std::vector<fs::path> lf_airportScanFolders()
{
    std::vector<fs::path> folders;
    folders.reserve(lf_folderReserve);
    for (const fs::path& folder : {g_msfs2020Mode.load() ? gf_simPackagesPath(gf_officialFolderName()) : fs::path(),
                                   gf_simPackagesPath("Community")})
        if (!folder.empty())
            folders.push_back(folder);
    return folders;
}

void lf_scanFolders(const std::vector<fs::path>& folders)
{
    for (const fs::path& folder : folders) {
        std::error_code ec;
        const fs::file_status status = fs::status(folder, ec);
        if (ec && status.type() != fs::file_type::not_found)
            throw fs::filesystem_error("status", folder, ec);
        if (!fs::exists(status))
            gf_showStatus(gf_pathToUtf8(folder) + " does not exist, skipped!", true);
        else if (!fs::is_directory(status))
            gf_showStatus(gf_pathToUtf8(folder) + " is not a folder name, skipped!", true);
        else
            gf_scanFolderForAirports(folder);
    }
}

// Copies the generated parking files of known publishers whose stock file carries enough real
// traffic to TBLO; a generated file beside an archive link is then not needed any more.
void lf_collectOfflineLearning(const std::vector<std::string>& files)
{
    for (const std::string& text : files) {
        if (gf_stopRequested())
            break;
        const fs::path file = gf_pathFromUtf8(text);
        const std::string code = gf_pathToUtf8(file.stem());
        const std::string publisher = gf_readApfPublisher(file);
        if (code == "KMCI" && publisher == "Tropical Sim") {
            fs::remove(file);
            continue;
        }
        if (publisher.empty() || publisher == "unknown" || !gf_stockApfSuitableForLearning(code))
            continue;
        const fs::path copy = g_learningFolder / gf_xmlFileName(code);
        std::error_code ec;
        if (fs::copy_file(file, copy, fs::copy_options::overwrite_existing, ec)) {
            gf_log(fmt::format("{} copied to {}", code, gf_pathToUtf8(copy)));
            if (gf_fileExists(gf_txtFileName(g_userAirportFolder / code)))
                fs::remove(file);
        } else {
            gf_logError(fmt::format("'{}' failed to copy '{}'", text, gf_pathToUtf8(copy)));
        }
    }
    g_tbloCount = gf_countFolderEntries(g_learningFolder);
    if (g_tbloCount.load() == 0)
        gf_log("All your third party airports are done, no off line learning needed.");
    else
        gf_logError(fmt::format("\nzip folder '{}', and mail to ", gf_pathToUtf8(fs::absolute(g_learningFolder))) +
                    std::string(g_supportMailAddress));
}

bool lf_runAirportScan(const std::vector<fs::path>& folders)
{
    const auto count = static_cast<std::int64_t>(folders.size());
    gf_log(fmt::format("The scan will search {} folder{}", count, gf_plural(count)));
    std::error_code ec;
    fs::remove(g_airportsScanLogPath, ec);
    if (ec)
        gf_log("problems with removing previous files (maybe still open?): " + ec.message());
    g_tbloCount = 0;
    g_scanFoundAny = false;
    g_scanReport.clear();
    g_scanReport.reserve(lf_reportReserve);
    {
        const ManifestScanCache manifests; // each package's manifest looked up once for all its files
        lf_scanFolders(folders);
    }

    const std::string report = gf_pathToUtf8(g_airportsScanLogPath);
    if (gf_writeLinesToFile(g_scanReport.lines(), g_airportsScanLogPath))
        gf_log(report + " written");
    else
        gf_logError("Failed to write file " + report);
    gf_clearStatus();
    g_scanReport.clear();
    if (!gf_stopRequested())
        lf_collectOfflineLearning(gf_listGeneratedApfs());
    if (g_scanFoundAny.load())
        gf_log("Airports scan successful");
    return g_scanFoundAny.load();
}

} // namespace

void gf_scanAddonAirports()
{
    gf_showStatus("Scanning for addon airports ...", false);
    gf_log(fmt::format("\n++++++++++++++++++++++++ airports scan {} starts +++++++++++++++++++++++++++++", ""));
    if (gf_fileExists(g_learningFolder))
        gf_cleanFolder(g_learningFolder);
    else
        fs::create_directory(g_learningFolder);
    const std::vector<fs::path> folders = lf_airportScanFolders();
    gf_readAirportNames();
    gf_updateSimFamily(); // the simulator label of the generated files
    if (g_msfs2020Mode.load())
        gf_cleanFolder(g_simAddonAirportFolder);
    gf_cleanFolder(g_userAirportFolder);

    const bool found = lf_runAirportScan(folders);
    if (gf_stopRequested()) {
        gf_log("The airports scan was stopped, it runs again at the next start");
    } else {
        if (!found)
            gf_showStatus("Warning: Scan has not found any add-on airports", true);
        SCAN_AIRPORTS.value = false;
        gf_saveBoolParameter(SCAN_AIRPORTS);
        gf_showCheckBox(SCAN_AIRPORTS);
    }
    g_airportNames.clear();
    if (gf_countFolderEntries(g_learningFolder) == 0) {
        g_tbloCount = 0;
        fs::remove_all(g_learningFolder);
    }
    if (const AirportScanHooks hooks = g_airportScanHooks.get(); hooks.showScanEnd)
        hooks.showScanEnd();
    gf_log("-------------------------- airports scan ends    ----------------------------\n");
}
