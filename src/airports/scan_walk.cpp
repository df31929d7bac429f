#include "airports/scan_walk.h"

#include "airports/bgl_reader.h"
#include "airports/scan_report.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"

#include <algorithm>
#include <array>
#include <fmt/format.h>
#include <future>
#include <list>
#include <optional>
#include <string>
#include <system_error>

namespace {

constexpr std::size_t g_maxPathCharacters = 250;
// the packages of these kinds hold no airports (besides the simulator's base package)
constexpr std::array<std::string_view, 13> g_skippedNames{
    "tutorials",     "aircraft",           "bushtrip", "discovery", "point-of-interest", "simobjects",      "vcockpits",
    "aig-aitraffic", "justflight-aicraft", "fsltl",    "gsx-pro",   "gsx-world",         "landingchallenge"};
// BGL files of these folders repeat airports found elsewhere
constexpr std::array<std::string_view, 3> g_skippedBglParts{"statics", "AFCAD Updates", "_heliports"};

using ScanFuture = std::future<void>;

template <std::size_t N>
bool lf_containsAny(std::string_view text, const std::array<std::string_view, N>& parts)
{
    return std::any_of(parts.begin(), parts.end(),
                       [text](std::string_view part) { return text.find(part) != std::string_view::npos; });
}

std::string_view lf_below(std::string_view path, std::size_t belowFrom)
{
    return path.substr(std::min(belowFrom, path.size()));
}

ScanFuture lf_startTask(const fs::path& path)
{
    return gf_startCountedTask([&path] { return std::async(std::launch::async, gf_processBGLfile, path); });
}

// Waits for the oldest task to end and takes it off the list; what it raised, if anything.
std::optional<std::string> lf_takeOldest(std::list<ScanFuture>& futures)
{
    std::optional<std::string> failure;
    try {
        futures.front().get();
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "unknown exception";
    }
    futures.pop_front();
    return failure;
}

// Starts a task for an airport BGL file; false when a stop came while it waited for a slot.
bool lf_handleEntry(fs::recursive_directory_iterator& it, std::size_t belowFrom, std::list<ScanFuture>& futures)
{
    const fs::path& path = it->path();
    const std::string text = gf_pathToUtf8(path);
    if (gf_isSkippedScanPath(text, belowFrom)) {
        it.disable_recursion_pending();
        return true;
    }
    std::error_code ec;
    const fs::file_status status = it->status(ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
        throw fs::filesystem_error("status", path, ec);
    if (!fs::is_regular_file(status) || !gf_hasBglExtension(path.extension().string()) ||
        lf_containsAny(lf_below(text, belowFrom), g_skippedBglParts) || !gf_bglHasAirportSection(path))
        return true;
    gf_waitForTaskSlot();
    if (gf_stopRequested())
        return false;
    futures.push_back(lf_startTask(path));
    return true;
}

} // namespace

bool gf_isSkippedScanPath(std::string_view path, std::size_t belowFrom)
{
    const auto characters = std::count_if(path.begin(), path.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80; // not a UTF-8 continuation byte
    });
    const std::string_view below = lf_below(path, belowFrom);
    return static_cast<std::size_t>(characters) >= g_maxPathCharacters ||
           below.find(g_fsBaseFolderName) != std::string_view::npos || lf_containsAny(below, g_skippedNames);
}

bool gf_hasBglExtension(std::string_view extension) { return extension == ".BGL" || extension == ".bgl"; }

void gf_scanFolderForAirports(const fs::path& folder)
{
    const std::string folderText = gf_pathToUtf8(folder);
    gf_addScanReportLine("Scanning for " + std::string("addon airports in ") + folderText);
    const auto limit = static_cast<std::size_t>(std::max(1, g_maxTasks.load()));
    std::list<ScanFuture> futures;
    bool walked = true;
    try {
        for (fs::recursive_directory_iterator it(folder), end; it != end && !gf_stopRequested(); ++it) {
            try {
                if (!lf_handleEntry(it, folderText.size(), futures))
                    break;
            } catch (const std::exception& e) {
                gf_addScanReportLine(
                    fmt::format("{} airports search in folder {} aborted, cause: {}", "===> ", folderText, e.what()));
                continue;
            }
            if (futures.size() <= limit)
                continue;
            const std::size_t held = futures.size();
            if (const auto failure = lf_takeOldest(futures))
                gf_addScanReportLine(fmt::format("{} airports search aborted, futs inner, \n{}\n{}\n{}", "===> ",
                                                 *failure, held, gf_pathToUtf8(it->path())));
        }
    } catch (const std::exception& e) {
        gf_addScanReportLine(fmt::format("{} airports search in folder {} aborted because of iterator problem: {}",
                                         "===> ", folderText, e.what()));
        walked = false; // the tasks are still awaited, without reports
    }
    while (!futures.empty()) {
        const auto failure = lf_takeOldest(futures);
        if (failure && walked)
            gf_addScanReportLine(
                fmt::format("{} airports search in {} aborted, futs outer error: {}", "===> ", folderText, *failure));
    }
}
