#include "aircraft/regcode_processing.h"

#include "foundation/decrypt.h"
#include "foundation/file_utils.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"

#include <fmt/format.h>

std::vector<std::string> g_regcodeReport;

const fs::path g_offlineRegcodesPath = g_infoFolder / "OfflineRegcodes.txt";

namespace {

bool lf_folderHasEntries(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return false;
    const bool empty = fs::is_empty(folder, ec);
    return !ec && !empty;
}

void lf_writeLines(const std::vector<std::string>& lines, const fs::path& path)
{
    if (!gf_writeLinesToFile(lines, path))
        gf_logError(fmt::format("Failed to write file {}", path.string()));
}

std::size_t lf_appendDontUseTitles(const std::vector<RegcodeEntry>& entries)
{
    auto& titles = gf_regcodeTables().dontUseTitles;
    std::size_t count = 0;
    for (const auto& entry : entries) {
        if (entry.regcodes.empty()) {
            titles.push_back(entry.title);
            ++count;
        }
    }
    return count;
}

} // namespace

void gf_findInlineRegcodeClashes(const std::vector<PaintedRegcode>& liveries)
{
    auto& registrations = gf_regcodeTables().specialRegistrations;
    std::vector<std::string> clashes;
    for (const auto& livery : liveries) {
        if (livery.atcid.empty())
            continue;
        const std::string_view title = gf_findInstalledTitle(livery.title);
        if (title.empty()) {
            clashes.push_back(fmt::format("==> [{}] {} '{}' not available, system error, should not happen?",
                                          fmt::format("{:3} {:4}", livery.airl, livery.type), livery.atcid,
                                          livery.title));
            continue;
        }
        const auto [it, inserted] = registrations.try_emplace(std::string(livery.atcid), title);
        if (!inserted && it->second != title)
            clashes.push_back(fmt::format("{} '{}' => already in use by '{}'", livery.atcid, title, it->second));
    }
    if (clashes.empty())
        return;
    fs::create_directories(g_errorsFolder);
    lf_writeLines(clashes, g_inlineRegcodesPath);
    gf_log(fmt::format("{} in-line regcode clashes, see '{}'", clashes.size(), g_inlineRegcodesPath.string()));
}

void gf_applyRegcodes(const std::vector<RegcodeEntry>& entries)
{
    auto& tables = gf_regcodeTables();
    std::int64_t added = 0;
    std::int64_t replaced = 0;
    std::int64_t special = 0;
    for (const auto& entry : entries) {
        const std::string_view title = gf_findInstalledTitle(entry.title);
        if (title.empty())
            continue;
        for (const auto& regcode : entry.regcodes) {
            const auto [it, inserted] = tables.specialRegistrations.try_emplace(regcode, title);
            if (inserted) {
                ++added;
            } else if (it->second != title) {
                g_regcodeReport.push_back(
                    fmt::format("   regcode {} for '{}', instead of the same for '{}'", regcode, title, it->second));
                it->second = title;
                ++replaced;
            }
        }
        if (entry.special) {
            tables.specialTitles.push_back(title);
            ++special;
        }
    }
    std::string summary = fmt::format("{} new regcode{} added", added, gf_plural(added));
    if (replaced > 0)
        summary += fmt::format(", {} regcode{} replaced", replaced, gf_plural(replaced));
    if (special > 0)
        summary += fmt::format(", {} regcode{} defined as special", special, gf_plural(special));
    g_regcodeReport.push_back(std::move(summary));
}

void gf_processAigRegcodes()
{
    g_regcodeReport.push_back(fmt::format("Processing file {}", g_regcodesXmlPath.string()));
    std::vector<RegcodeEntry> entries;
    if (!gf_readAigRegcodes(entries))
        g_regcodeReport.push_back(fmt::format("There were errors processing the AIG-regcode file '{}', see Log.txt",
                                              g_regcodesXmlPath.string()));
    gf_applyRegcodes(entries);
}

void gf_processMyRegcodes()
{
    const fs::path& folder = g_userRegcodeFolder;
    if (!lf_folderHasEntries(folder))
        return;
    g_regcodeReport.push_back(fmt::format("Processing files in {}", folder.string()));
    std::vector<RegcodeEntry> entries;
    if (!gf_readMyRegcodes(folder, entries))
        gf_showStatus(
            fmt::format("There were errors processing the regcode files in folder '{}', see Log.txt", folder.string()),
            true);
    gf_applyRegcodes(entries);
}

void gf_processRegcodes()
{
    try {
        g_regcodeReport.clear();
        if (!gf_readDecrypted(g_regcodesEncPath, g_regcodesXmlPath, gf_processAigRegcodes))
            return;
        gf_processMyRegcodes();
        if (fs::exists(g_offlineRegcodesPath))
            fs::remove(g_offlineRegcodesPath);
        if (!g_regcodeReport.empty()) {
            fs::create_directories(g_infoFolder);
            if (gf_writeLinesToFile(g_regcodeReport, g_offlineRegcodesPath))
                gf_log(fmt::format("Offline regcode files processed, results can be found in '{}'",
                                   g_offlineRegcodesPath.string()));
            else
                gf_logError(fmt::format("Failed to write file {}", g_offlineRegcodesPath.string()));
            const auto specialCount = gf_regcodeTables().specialTitles.size();
            if (specialCount > 0)
                gf_log(fmt::format("{} special liveries", specialCount));
        }
    } catch (const std::exception& e) {
        gf_logError(fmt::format("exception: {}", e.what()));
    }
}

void gf_readAigDontUseTitles()
{
    std::vector<RegcodeEntry> entries;
    if (!gf_readAigRegcodes(entries))
        g_regcodeReport.push_back(fmt::format("There were errors in processing the file '{}', see the Log.txt",
                                              g_regcodesXmlPath.string()));
    const auto count = lf_appendDontUseTitles(entries);
    gf_log(fmt::format("{} don't use title{} read", count, gf_plural(static_cast<std::uint64_t>(count))));
}

void gf_readMyDontUseTitles()
{
    const fs::path& folder = g_userRegcodeFolder;
    std::vector<RegcodeEntry> entries;
    if (!gf_readMyRegcodes(folder, entries))
        g_regcodeReport.push_back(fmt::format(
            "There were errors in processing the regcode files in folder '{}', see the Log.txt", folder.string()));
    const auto count = lf_appendDontUseTitles(entries);
    gf_log(fmt::format("{} don't use title{} read from files in {}", count, gf_plural(static_cast<std::uint64_t>(count)),
                       folder.string()));
}
