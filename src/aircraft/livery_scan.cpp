#include "aircraft/livery_scan.h"

#include "aircraft/livery_processing.h"
#include "aircraft/livery_records.h"
#include "aircraft/livery_search.h"
#include "aircraft/liveries_scanned.h"
#include "aircraft/scan_reports.h"
#include "foundation/install_detection.h"
#include "foundation/log.h"
#include "foundation/meta_block.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"
#include "foundation/user_error.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>
#include <tuple>

namespace {

constexpr std::uint32_t g_maxFolders = 10;
constexpr RECT g_optionsPanelRect{0, 112, 880, 392};
constexpr RECT g_headerRect{0, 28, 880, 112};

using Detector = void (*)(const fs::path&, std::vector<std::string>&);

void lf_repaint(const RECT& rect)
{
    if (const HWND window = g_parentWindow.load())
        InvalidateRect(window, &rect, TRUE);
}

// The first direct entry whose name holds one of the words and not "_CVT_".
void lf_detect(const fs::path& community, std::initializer_list<std::string_view> words, const char* foundLine,
               std::vector<std::string>& folders)
{
    for (const auto& entry : fs::directory_iterator(community)) {
        const std::string name = entry.path().filename().string();
        if (name.find("_CVT_") != std::string::npos)
            continue;
        const bool qualifies = std::any_of(words.begin(), words.end(),
                                           [&](std::string_view word) { return name.find(word) != std::string::npos; });
        if (!qualifies)
            continue;
        const std::string path = gf_pathToUtf8(entry.path());
        gf_log(fmt::format(fmt::runtime(foundLine), path));
        folders.push_back(path);
        return;
    }
}

const std::map<std::string, std::array<Detector, 3>, std::less<>>& lf_packageOrders()
{
    static const std::map<std::string, std::array<Detector, 3>, std::less<>> orders{
        {"AIG, FSLTL, JF", {gf_detectAigFolder, gf_detectFsltlFolder, gf_detectJfFolder}},
        {"AIG, JF, FSLTL", {gf_detectAigFolder, gf_detectJfFolder, gf_detectFsltlFolder}},
        {"FSLTL, AIG, JF", {gf_detectFsltlFolder, gf_detectAigFolder, gf_detectJfFolder}},
        {"FSLTL, JF, AIG", {gf_detectFsltlFolder, gf_detectJfFolder, gf_detectAigFolder}},
        {"JF, AIG, FSLTL", {gf_detectJfFolder, gf_detectAigFolder, gf_detectFsltlFolder}},
        {"JF, FSLTL, AIG", {gf_detectJfFolder, gf_detectFsltlFolder, gf_detectAigFolder}},
    };
    return orders;
}

// For each airline and type only the liveries of the first folder that has the combination.
void lf_keepFirstFolders()
{
    std::map<std::pair<std::string, std::string>, std::uint32_t> firstFolder;
    for (const auto& record : g_liveryRecords) {
        auto [it, added] = firstFolder.try_emplace({record.airl, record.type}, record.folderNumber);
        if (!added)
            it->second = std::min(it->second, record.folderNumber);
    }
    std::erase_if(g_liveryRecords, [&](const LiveryRecord& record) {
        return record.folderNumber > firstFolder.at({record.airl, record.type});
    });
}

// Every status that means there is nothing at that path: also a path running through an
// ordinary file ("notes.txt/sub"), a name too long or a loop of links.
bool lf_isNotFound(const std::error_code& ec)
{
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory ||
           ec == std::errc::filename_too_long || ec == std::errc::too_many_symbolic_link_levels;
}

bool lf_sameLivery(const LiveryRecord& a, const LiveryRecord& b)
{
    return std::tie(a.title, a.airl, a.type, a.atcid, a.cargo) == std::tie(b.title, b.airl, b.type, b.atcid, b.cargo);
}

} // namespace

void gf_detectAigFolder(const fs::path& community, std::vector<std::string>& folders)
{
    lf_detect(community, {"aig-aitraffic-oci"}, "Automatic AIG scan found folder: '{}'", folders);
}

void gf_detectFsltlFolder(const fs::path& community, std::vector<std::string>& folders)
{
    lf_detect(community, {"fsltl-traffic-base"}, "Automatic FSLTL scan found folder: '{}'", folders);
}

void gf_detectJfFolder(const fs::path& community, std::vector<std::string>& folders)
{
    lf_detect(community, {"justflight-aircraft-traffic-fleet", "justflight-fstraffic-module"},
              "Automatic JF scan found folder: '{}'", folders);
}

void gf_detectUserAiFolder(const fs::path& community, std::vector<std::string>& folders)
{
    lf_detect(community, {"user-aitraffic"}, "Automatic user-aitraffic scan found folder: '{}'", folders);
}

void gf_collectLiveryFolders(std::vector<std::string>& folders)
{
    folders.clear();
    folders.reserve(g_maxFolders);
    if (!LIG_AUTOMATIC.value.load()) {
        for (const StringParameter* option : {&lfolder0, &lfolder1, &lfolder2, &lfolder3, &lfolder4, &lfolder5,
                                              &lfolder6, &lfolder7, &lfolder8, &lfolder9}) {
            if (std::string folder = option->value.get(); !folder.empty())
                folders.push_back(std::move(folder));
        }
        if (folders.empty())
            throw brv::UserErrorException(
                48, "Set lfolder parameter(-s) to your liveries first, see Manual 5.1 (or check Liveries automatic)");
        return;
    }
    const fs::path community = gf_simPackagesPath("Community");
    if (community.empty())
        return;
    const auto it = lf_packageOrders().find(AI_PACKAGE_SELECTOR.value.get());
    if (it == lf_packageOrders().end())
        throw std::runtime_error(fmt::format("{} not set", AI_PACKAGE_SELECTOR.name));
    for (const Detector detector : it->second)
        detector(community, folders);
    gf_detectUserAiFolder(community, folders);
}

ScanOutcome gf_scanLiveryFolders(const std::vector<std::string>& folders)
{
    g_liveryRecords.clear();
    gf_removePreviousScanFiles();
    gf_loadDontUseTitles();
    std::uint32_t folderNumber = 0;
    std::size_t total = 0;
    for (const auto& text : folders) {
        if (text.empty())
            continue;
        const fs::path folder = gf_pathFromUtf8(text);
        std::error_code ec;
        const fs::file_status status = fs::status(folder, ec);
        if (ec && !lf_isNotFound(ec))
            throw fs::filesystem_error("status", folder, ec);
        if (ec || !fs::exists(status)) {
            gf_log(text + " does not exist, skipped!");
            continue;
        }
        if (!fs::is_directory(status)) {
            gf_log(text + " is not a folder name, skipped!");
            continue;
        }
        folderNumber = std::min(folderNumber + 1, g_maxFolders);
        if (gf_stopRequested())
            continue;
        const std::size_t before = g_liveryRecords.size();
        gf_searchLiveriesInFolder(folderNumber, folder);
        const auto count = static_cast<std::uint64_t>(g_liveryRecords.size() - before);
        const std::string foundIn = fmt::format("found in {}", text);
        if (count == 0)
            gf_log(fmt::format("No liveries {}", foundIn));
        else
            gf_log(fmt::format("{} liverie{} {}", count, gf_plural(count), foundIn));
        total += count;
    }
    if (gf_stopRequested()) {
        g_liveryRecords.clear();
        gf_clearScanReports();
        return ScanOutcome::Stopped;
    }
    if (g_liveryRecords.empty()) {
        gf_showLiveryCount(0);
        lf_repaint(g_headerRect);
        gf_clearScanReports();
        return ScanOutcome::NoneFound;
    }
    if (folders.size() > 1)
        gf_log(fmt::format("{} in total", total));
    gf_updateLiveriesFromDbase();
    if (LIG_PRIORITIZE.value.load())
        lf_keepFirstFolders();
    gf_sortLiveryRecords(g_liveryRecords);
    g_liveryRecords.erase(std::unique(g_liveryRecords.begin(), g_liveryRecords.end(), lf_sameLivery),
                          g_liveryRecords.end());
    const bool saved = gf_writeLiveriesScanned();
    g_liveryRecords.clear();
    gf_writeScanReports();
    gf_clearScanReports();
    gf_clearStatus();
    return saved ? ScanOutcome::Found : ScanOutcome::NotSaved;
}

void gf_scanLiveries()
{
    if (!SCAN_LIVERIES.value.load()) {
        gf_processScannedLiveries();
        return;
    }
    gf_updateSimFamily();
    const bool automatic = LIG_AUTOMATIC.value.load();
    gf_showStatus(fmt::format("Scanning {} for liveries ...",
                              LIG_PRIORITIZE.value.load() && !automatic ? "prioritized " : ""),
                  false);
    gf_log(fmt::format("\n++++++++++++++++++++++++ liveries scan {} starts ++++++++++++++++++++++++++++++++",
                       automatic ? "automatic" : "manual"));
    std::vector<std::string> folders;
    gf_collectLiveryFolders(folders);
    const ScanOutcome outcome = gf_scanLiveryFolders(folders);
    if (outcome == ScanOutcome::Stopped)
        return; // the next start-up scans again
    if (outcome == ScanOutcome::NoneFound) {
        if (automatic)
            throw brv::UserErrorException(
                43,
                "Automatic scan has not found any liveries, switch off automatic and set lfolder parameter(-s), Manual 5.1");
        throw brv::UserErrorException(53, "no liveries found");
    }
    // without its result file the scan must run again at the next start-up
    if (outcome == ScanOutcome::Found) {
        SCAN_LIVERIES.value = false;
        gf_saveBoolParameter(SCAN_LIVERIES);
        gf_showCheckBox(SCAN_LIVERIES);
        lf_repaint(g_optionsPanelRect);
    }
    gf_log("\n++++++++++++++++++++++++ liveries scan ends ++++++++++++++++++++++++++++++++\n");
    gf_processScannedLiveries();
}
