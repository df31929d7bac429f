#include "airports/scan_walk.h"

#include "airports/bgl_reader.h"
#include "airports/scan_report.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
#include "foundation/tasks.h"

#include <algorithm>
#include <array>
#include <deque>
#include <fmt/format.h>
#include <future>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::size_t g_maxPathCharacters = 250;
// the packages of these kinds hold no airports (besides the simulator's base package)
constexpr std::array<std::string_view, 13> g_skippedNames{
    "tutorials",     "aircraft",           "bushtrip", "discovery", "point-of-interest", "simobjects",      "vcockpits",
    "aig-aitraffic", "justflight-aicraft", "fsltl",    "gsx-pro",   "gsx-world",         "landingchallenge"};
// BGL files of these folders repeat airports found elsewhere
constexpr std::array<std::string_view, 3> g_skippedBglParts{"statics", "AFCAD Updates", "_heliports"};

using ScanFuture = std::future<std::optional<std::string>>; // what the task raised, if anything

// One folder of the walk being listed, and the real folder it is (a linked folder's target).
struct Level {
    fs::directory_iterator entries;
    fs::path real;
};

// What the walk of one packages folder holds.
struct Walk {
    std::size_t belowFrom; // where the part below the packages folder begins in a path text
    TaskPool& pool;
    std::deque<ScanFuture> futures; // oldest first
    std::unordered_set<fs::path::string_type> walked; // the real folders entered
    fs::path packages; // the real packages folder
};

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

// The task of one file; it reads nothing once a stop was asked for. What it raises is caught
// here and handed on as text, so that no exception object is shared between two threads.
ScanFuture lf_startTask(TaskPool& pool, const fs::path& path)
{
    std::packaged_task<std::optional<std::string>()> task([path]() -> std::optional<std::string> {
        try {
            if (!gf_stopRequested())
                gf_processBGLfile(path);
            return std::nullopt;
        } catch (const std::exception& e) {
            return e.what();
        } catch (...) {
            return "unknown exception";
        }
    });
    ScanFuture future = task.get_future();
    pool.post(std::packaged_task<void()>(std::move(task)));
    return future;
}

struct TaskEnd {
    bool stopped = false; // a stop ended the wait; the future stays on the list
    std::optional<std::string> failure; // what the task raised
};

// Waits for the oldest task to end and takes it off the list; a slow one is reported, and
// waited for on.
TaskEnd lf_takeOldest(std::deque<ScanFuture>& futures)
{
    const TaskWaitNotices notices{[] { gf_addScanReportLine(fmt::format("{}futs #1 not yet valid ? ...", "===> ")); },
                                  [] { gf_addScanReportLine("Future wait timed out after 10 seconds"); }};
    if (!gf_waitForTask(futures.front(), notices))
        return {true, {}};
    TaskEnd end;
    try {
        end.failure = futures.front().get();
    } catch (const std::exception& e) { // a task dropped before it ran
        end.failure = e.what();
    }
    futures.pop_front();
    return end;
}

// The path is the folder or lies below it (both real paths).
bool lf_holds(const fs::path& folder, const fs::path& path)
{
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
}

// Why a folder link is not followed: only a package, an entry directly in the packages folder, is
// followed as a link, and only to a target that is no root and does not hold the packages folder.
std::optional<std::string> lf_linkPassedOver(const fs::path& real, const fs::path& parentReal, const Walk& walk)
{
    if (parentReal != walk.packages)
        return "only a package of the packages folder is followed as a link";
    if (real.relative_path().empty())
        return fmt::format("its target {} is a root folder", gf_pathToUtf8(real));
    if (lf_holds(real, walk.packages))
        return fmt::format("its target {} holds the packages folder", gf_pathToUtf8(real));
    return std::nullopt;
}

// A folder to descend into, listed; none when its real folder was walked already (a second link
// to it), when it is a link that is not followed, or when it cannot be opened (both reported).
std::optional<Level> lf_openFolder(const fs::directory_entry& entry, const fs::path& parentReal, Walk& walk)
{
    std::error_code ec;
    const bool link = entry.is_symlink(ec);
    fs::path real = link ? fs::canonical(entry.path(), ec) : parentReal / entry.path().filename();
    if (link && !ec) {
        if (const std::optional<std::string> why = lf_linkPassedOver(real, parentReal, walk)) {
            gf_addScanReportLine(
                fmt::format("{} folder link {} passed over, {}", "===> ", gf_pathToUtf8(entry.path()), *why));
            return std::nullopt;
        }
    }
    if (!ec && walk.walked.contains(real.native()))
        return std::nullopt;
    fs::directory_iterator entries;
    if (!ec)
        entries = fs::directory_iterator(entry.path(), ec);
    if (ec) {
        gf_addScanReportLine(fmt::format("{} folder {} skipped, it cannot be opened: {}", "===> ",
                                         gf_pathToUtf8(entry.path()), ec.message()));
        return std::nullopt;
    }
    walk.walked.insert(real.native());
    return Level{std::move(entries), std::move(real)};
}

// Starts a task for an airport BGL file; a folder comes back to be walked.
std::optional<Level> lf_handleEntry(const fs::directory_entry& entry, const fs::path& parentReal, Walk& walk)
{
    const fs::path& path = entry.path();
    const std::string text = gf_pathToUtf8(path);
    if (gf_isSkippedScanPath(text, walk.belowFrom))
        return std::nullopt;
    std::error_code ec;
    const fs::file_status status = entry.status(ec); // a linked folder or file counts as its target
    if (ec && ec != std::errc::no_such_file_or_directory)
        throw fs::filesystem_error("status", path, ec);
    if (fs::is_directory(status))
        return lf_openFolder(entry, parentReal, walk);
    if (fs::is_regular_file(status) && gf_hasBglExtension(path.extension().string()) &&
        !lf_containsAny(lf_below(text, walk.belowFrom), g_skippedBglParts) && gf_bglHasAirportSection(path) &&
        !gf_stopRequested())
        walk.futures.push_back(lf_startTask(walk.pool, path));
    return std::nullopt;
}

// Every entry below the folder, a folder before what it holds; false when a stop ended a wait.
bool lf_walkTree(const fs::path& folder, const std::string& folderText, Walk& walk)
{
    const auto limit = static_cast<std::size_t>(std::max(1, g_maxTasks.load()));
    std::vector<Level> levels;
    levels.push_back({fs::directory_iterator(folder), fs::canonical(folder)});
    walk.packages = levels.back().real;
    walk.walked.insert(walk.packages.native());
    while (!levels.empty() && !gf_stopRequested()) {
        Level& level = levels.back();
        if (level.entries == fs::directory_iterator()) {
            levels.pop_back();
            continue;
        }
        const fs::directory_entry entry = *level.entries;
        ++level.entries;
        try {
            if (std::optional<Level> below = lf_handleEntry(entry, level.real, walk))
                levels.push_back(std::move(*below));
        } catch (const std::exception& e) {
            gf_addScanReportLine(
                fmt::format("{} airports search in folder {} aborted, cause: {}", "===> ", folderText, e.what()));
            continue;
        }
        if (walk.futures.size() <= limit)
            continue;
        const std::size_t held = walk.futures.size();
        const TaskEnd end = lf_takeOldest(walk.futures);
        if (end.stopped)
            return false;
        if (end.failure)
            gf_addScanReportLine(fmt::format("{} airports search aborted, futs inner, \n{}\n{}\n{}", "===> ",
                                             *end.failure, held, gf_pathToUtf8(entry.path())));
    }
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
    TaskPool pool(g_maxTasks.load(), 1); // a file is a long job: every one wakes a worker
    Walk walk{folderText.size(), pool, {}, {}, {}};
    bool whole = true; // the walk was not cut by an iterator problem
    try {
        if (!lf_walkTree(folder, folderText, walk))
            return; // stopped: the pool drops the tasks not started and waits for the running ones
    } catch (const std::exception& e) {
        gf_addScanReportLine(fmt::format("{} airports search in folder {} aborted because of iterator problem: {}",
                                         "===> ", folderText, e.what()));
        whole = false; // the tasks are still awaited, without reports
    }
    while (!walk.futures.empty()) {
        const TaskEnd end = lf_takeOldest(walk.futures);
        if (end.stopped)
            return;
        if (end.failure && whole)
            gf_addScanReportLine(
                fmt::format("{} airports search in {} aborted, futs outer error: {}", "===> ", folderText, *end.failure));
    }
}
