#include "aircraft/scan_findings.h"

#include "aircraft/regcode_tables.h"
#include "foundation/file_utils.h"
#include "foundation/log.h"
#include "foundation/paths.h"

#include <fmt/format.h>

FindingList g_invalidAirlineCodes;
FindingList g_invalidModelCodes;
FindingList g_codeFixes;
FindingList g_invalidCfgFiles;
FindingList g_incompleteSections;
FindingList g_emptyCfgFiles;
TitleSet g_scannedTitles;

namespace {

// Written before the walk starts its tasks and after they all ended; only read in between.
std::unordered_set<std::string> g_dontUseIndex;

} // namespace

void FindingList::append(std::string line)
{
    std::lock_guard lock(m_mutex);
    m_lines.push_back(std::move(line));
}

void FindingList::reserve(std::size_t lines)
{
    std::lock_guard lock(m_mutex);
    m_lines.reserve(lines);
}

std::vector<std::string> FindingList::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

std::size_t FindingList::size() const
{
    std::lock_guard lock(m_mutex);
    return m_lines.size();
}

bool FindingList::empty() const { return size() == 0; }

void FindingList::clear()
{
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

void gf_addInvalidAirlineCode(std::string_view code, std::string_view path, std::string_view header)
{
    g_invalidAirlineCodes.append(fmt::format("{:12} in {} ", code, path) + std::string(header));
}

void gf_addInvalidModelCode(std::string_view code, std::string_view path)
{
    g_invalidModelCodes.append(fmt::format("{:16} in {}", code, path));
}

void gf_addCodeFix(std::string text) { g_codeFixes.append(std::move(text)); }
void gf_addInvalidCfgFile(std::string text) { g_invalidCfgFiles.append(std::move(text)); }
void gf_addIncompleteSection(std::string text) { g_incompleteSections.append(std::move(text)); }

void gf_writeCodeFixes()
{
    try {
        fs::create_directories(g_fixesPath.parent_path());
        gf_writeLinesToFile(g_codeFixes.lines(), g_fixesPath);
    } catch (const std::exception& e) {
        gf_log(fmt::format("Error writing file {}: {}", g_fixesPath.string(), e.what()));
    }
}

bool TitleSet::insert(const std::string& title)
{
    std::lock_guard lock(m_mutex);
    return m_titles.insert(title).second;
}

std::size_t TitleSet::size() const
{
    std::lock_guard lock(m_mutex);
    return m_titles.size();
}

void TitleSet::clear()
{
    std::lock_guard lock(m_mutex);
    m_titles.clear();
}

void gf_indexDontUseTitles()
{
    const auto& titles = gf_regcodeTables().dontUseTitles;
    g_dontUseIndex = std::unordered_set<std::string>(titles.begin(), titles.end());
}

bool gf_isDontUseTitle(const std::string& title) { return g_dontUseIndex.contains(title); }

void gf_clearDontUseIndex() { g_dontUseIndex.clear(); }
