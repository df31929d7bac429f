#include "aircraft/scan_reports.h"

#include "aircraft/dbase_lookup.h"
#include "aircraft/livery_records.h"
#include "aircraft/regcode_processing.h"
#include "aircraft/regcode_tables.h"
#include "aircraft/scan_findings.h"
#include "foundation/decrypt.h"
#include "foundation/file_utils.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/text_utils.h"

#include <fmt/format.h>

#include <algorithm>

std::vector<std::string> g_dbaseConversions;

namespace {

std::string_view lf_flagText(bool flag) { return flag ? "true" : "false"; }

std::int64_t lf_count(std::size_t size) { return static_cast<std::int64_t>(size); }

bool lf_folderHasEntries(const fs::path& folder)
{
    std::error_code ec;
    return fs::is_directory(folder, ec) && !fs::is_empty(folder, ec) && !ec;
}

// Sorted (and, when asked, without duplicates) into the file; the log line names the count before.
void lf_writeSorted(const FindingList& list, const fs::path& path, bool unique, const char* pattern, bool plural)
{
    std::vector<std::string> lines = list.lines();
    const auto count = lf_count(lines.size());
    std::sort(lines.begin(), lines.end());
    if (unique)
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    fs::create_directories(path.parent_path());
    gf_writeLinesToFile(lines, path);
    if (plural)
        gf_log(fmt::format(fmt::runtime(pattern), count, gf_plural(count), path.string()));
    else
        gf_log(fmt::format(fmt::runtime(pattern), count, path.string()));
}

} // namespace

void gf_loadDontUseTitles()
{
    try {
        gf_readDecrypted(g_regcodesEncPath, g_regcodesXmlPath, gf_readAigDontUseTitles);
        if (lf_folderHasEntries(g_userRegcodeFolder))
            gf_readMyDontUseTitles();
    } catch (const std::exception& e) {
        gf_logError(fmt::format("exception: {}", e.what()));
    }
    gf_indexDontUseTitles();
}

void gf_updateLiveriesFromDbase()
{
    for (auto& record : g_liveryRecords) {
        if (record.atcid.empty())
            continue;
        const auto found = gf_findDbaseRecord(record.atcid);
        if (!found)
            continue;
        if (record.cargo != found->cargo) {
            g_dbaseConversions.push_back(fmt::format("{:80} {} cargo {} => {}", record.title, record.atcid,
                                                     lf_flagText(record.cargo), lf_flagText(found->cargo)));
            record.cargo = found->cargo;
        }
        const std::string& airline = found->opr.empty() ? found->airl : found->opr;
        if (record.airl != airline) {
            g_dbaseConversions.push_back(
                fmt::format("{:80} {} airl {} => {}", record.title, record.atcid, record.airl, airline));
            record.airl = airline;
        }
        if (record.type != found->type) {
            g_dbaseConversions.push_back(
                fmt::format("{:80} {} model {} => {}", record.title, record.atcid, record.type, found->type));
            record.type = found->type;
        }
    }
}

void gf_writeScanReports()
{
    const bool noErrors = g_invalidAirlineCodes.empty() && g_invalidModelCodes.empty() && g_codeFixes.empty() &&
                          g_invalidCfgFiles.empty() && g_incompleteSections.empty();
    gf_log(noErrors ? "\nNo errors" : "\nErrors:");
    if (!g_invalidAirlineCodes.empty())
        lf_writeSorted(g_invalidAirlineCodes, g_invalidAirlineCodesPath, false, "{} invalid airline code{}, see {}",
                       true);
    if (!g_invalidModelCodes.empty())
        lf_writeSorted(g_invalidModelCodes, g_invalidAircraftCodesPath, false, "{} invalid model code{}, see {}",
                       true);
    if (!g_codeFixes.empty()) {
        gf_writeCodeFixes();
        gf_log(fmt::format("{} code fixes, see {}", g_codeFixes.size(), g_fixesPath.string()));
    }
    if (!g_invalidCfgFiles.empty())
        lf_writeSorted(g_invalidCfgFiles, g_invalidCfgFilesPath, false, "{} invalid aircraft.cfg files, see {}",
                       false);
    if (!g_incompleteSections.empty())
        lf_writeSorted(g_incompleteSections, g_incompleteSectionsPath, true,
                       "{} incomplete [fltsim.x] sections, see {}", false);
    gf_log("\nInformation:");
    if (!g_emptyCfgFiles.empty())
        lf_writeSorted(g_emptyCfgFiles, g_noFltsimSectionPath, false, "{} empty aircraft.cfg files, see {}", false);
    if (!g_dbaseConversions.empty()) {
        fs::create_directories(g_modelConversionsPath.parent_path());
        gf_writeLinesToFile(g_dbaseConversions, g_modelConversionsPath);
        gf_log(fmt::format("{} liveries updated with real live data from dbase, see {}", g_dbaseConversions.size(),
                           g_modelConversionsPath.string()));
    }
}

void gf_clearScanReports()
{
    g_dbaseConversions.clear();
    g_invalidAirlineCodes.clear();
    g_invalidModelCodes.clear();
    g_incompleteSections.clear();
    g_emptyCfgFiles.clear();
    g_invalidCfgFiles.clear();
    g_codeFixes.clear();
    g_scannedTitles.clear();
    gf_regcodeTables().dontUseTitles.clear();
    gf_clearDontUseIndex();
}
