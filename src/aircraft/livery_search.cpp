#include "aircraft/livery_search.h"

#include "aircraft/aircraft_cfg_reader.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
#include "foundation/tasks.h"
#include "foundation/text_utils.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <deque>
#include <future>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t g_maxDescendPathLength = 250;
constexpr std::array<std::string_view, 9> g_skipWords{"airport",    "lvfr",      "mkstudios", "simwings", "fsdreamteam",
                                                      "navigraph", "flytampa", "inibuilds", "_CVT_"};
// How many files per worker the walk may find before it collects the oldest result: enough that
// the workers always find work queued and the walk seldom finds a result missing.
constexpr std::size_t g_filesAheadPerWorker = 16;

std::mutex g_hookMutex;
LiveryTaskHook g_taskHook;

// What a task hands back: its file's records, or the text of what it raised. The task catches
// what it raises, so that no exception object is shared between two threads.
struct TaskResult {
    LiveryRecords records;
    std::optional<std::string> failure;
};
using TaskFuture = std::future<TaskResult>;

bool lf_hasSkipWord(std::string_view text)
{
    return std::any_of(g_skipWords.begin(), g_skipWords.end(),
                       [&](std::string_view word) { return text.find(word) != std::string_view::npos; });
}

std::string_view lf_name(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
}

// Whether the walk must not descend into the entry: a skip word or a path of 250 characters or
// more. No word holds a '/', so below a folder without one only the entry's own name can bring
// one in; only real folders are descended into, so only their names are looked at.
bool lf_keepOut(const fs::directory_entry& entry, const std::string& path, bool folderHasSkipWord)
{
    if (folderHasSkipWord || path.size() >= g_maxDescendPathLength)
        return true;
    return !entry.is_symlink() && entry.is_directory() && lf_hasSkipWord(lf_name(path));
}

// "aircraft.cfg" in any letter case, a regular file (a link to one included).
bool lf_isAircraftCfg(const fs::directory_entry& entry, const std::string& path)
{
    return gf_equalsUppercased("AIRCRAFT.CFG", lf_name(path)) && entry.is_regular_file();
}

// The walk's failures carry the names its log line shows for them.
fs::recursive_directory_iterator lf_startWalk(const fs::path& folder)
{
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec);
    if (ec)
        throw fs::filesystem_error("recursive_directory_iterator::recursive_directory_iterator", folder, ec);
    return it;
}

void lf_advance(fs::recursive_directory_iterator& it)
{
    std::error_code ec;
    it.increment(ec);
    if (ec)
        throw fs::filesystem_error("recursive_directory_iterator::operator++", ec);
}

TaskResult lf_runTask(std::uint32_t folderNumber, const fs::path& path, bool ivao)
{
    try {
        if (gf_stopRequested())
            return {}; // the scan's results are not wanted any more
        LiveryTaskHook hook;
        {
            std::lock_guard lock(g_hookMutex);
            hook = g_taskHook;
        }
        if (hook)
            hook(path);
        return {ivao ? gf_searchIvaoLiveriesinFile(folderNumber, path) : gf_searchLiveriesinFile(folderNumber, path),
                std::nullopt};
    } catch (const std::exception& e) {
        return {{}, e.what()};
    } catch (...) {
        return {{}, "unknown exception"};
    }
}

TaskFuture lf_startTask(TaskPool& pool, std::uint32_t folderNumber, const fs::path& path)
{
    const std::string& text = path.native();
    const bool ivao = text.find("ivao_x-csl") != std::string::npos || text.find("IVAO_MTL") != std::string::npos;
    std::packaged_task<TaskResult()> task([folderNumber, path, ivao] { return lf_runTask(folderNumber, path, ivao); });
    TaskFuture future = task.get_future();
    pool.post(std::packaged_task<void()>(std::move(task)));
    return future;
}

void lf_logCollectFailure(bool walking, std::string_view text)
{
    if (walking)
        gf_logError(fmt::format("liveries search aborted, futs inner, {}", text));
    else
        gf_logError(fmt::format("liveries search aborted, futs outer, {}", text));
}

// Blocks until the task's result is there; a stop ends the wait (false). Past one second and past
// the wait limit (on the program's clock) it says so in the log, and waits on: a slow task keeps
// its records.
bool lf_waitForTask(const TaskFuture& future, bool walking)
{
    TaskWaitNotices notices{[] { gf_log("futs #1 not yet valid ..."); },
                            [] { gf_logError("Future wait timed out after 10 seconds"); }};
    if (walking)
        notices.slow = [] { gf_logError("futs #1 not yet valid ? ..."); };
    return gf_waitForTask(future, notices);
}

// Takes the oldest task's records into g_liveryRecords; a failed task costs only its own. False
// when a stop ended the wait (the future stays).
bool lf_collectOldest(std::deque<TaskFuture>& futures, bool walking)
{
    try {
        if (!lf_waitForTask(futures.front(), walking))
            return false;
        TaskResult result = futures.front().get();
        if (result.failure)
            lf_logCollectFailure(walking, *result.failure);
        g_liveryRecords.insert(g_liveryRecords.end(), std::make_move_iterator(result.records.begin()),
                               std::make_move_iterator(result.records.end()));
    } catch (const std::exception& e) { // a task dropped before it ran, or the wait's own failure
        lf_logCollectFailure(walking, e.what());
    } catch (...) {
        lf_logCollectFailure(walking, "unknown exception");
    }
    futures.pop_front();
    return true;
}

} // namespace

void gf_setLiveryTaskHook(LiveryTaskHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_taskHook = std::move(hook);
}

void gf_searchLiveriesInFolder(std::uint32_t folderNumber, const fs::path& folder)
{
    const int workers = std::max(1, g_maxTasks.load());
    const auto window = static_cast<std::size_t>(workers) * g_filesAheadPerWorker;
    TaskPool pool(workers);
    std::deque<TaskFuture> futures;
    try {
        const bool folderHasSkipWord = lf_hasSkipWord(folder.native());
        for (auto it = lf_startWalk(folder), end = fs::recursive_directory_iterator(); it != end; lf_advance(it)) {
            if (gf_stopRequested())
                break;
            const fs::directory_entry& entry = *it;
            const std::string& path = entry.path().native();
            try {
                if (lf_keepOut(entry, path, folderHasSkipWord))
                    it.disable_recursion_pending();
                if (!lf_isAircraftCfg(entry, path))
                    continue;
                futures.push_back(lf_startTask(pool, folderNumber, entry.path()));
            } catch (const std::exception& e) {
                gf_logError(fmt::format("liveries search in {} aborted, cause: {}", path, e.what()));
                continue;
            }
            if (futures.size() > window && !lf_collectOldest(futures, true))
                break;
        }
    } catch (const std::exception& e) {
        gf_logError(fmt::format("liveries search in folder {} aborted because of iterator problem: {}",
                                gf_pathToUtf8(folder), e.what()));
    }
    // every task started is collected, also after an iterator problem; after a stop the results
    // are not wanted: the pool drops the tasks not yet started and waits for the running ones
    while (!futures.empty() && !gf_stopRequested() && lf_collectOldest(futures, false)) {
    }
}

void gf_removePreviousScanFiles()
{
    const fs::path files[] = {g_noFltsimSectionPath,    g_liveriesScannedPath, g_inlineRegcodesPath,
                              g_invalidAirlineCodesPath, g_invalidAircraftCodesPath, g_fixesPath,
                              g_invalidCfgFilesPath,     g_incompleteSectionsPath};
    try {
        for (const auto& file : files)
            fs::remove(file);
        std::error_code ec;
        if (fs::is_directory(g_errorsFolder, ec) && fs::is_empty(g_errorsFolder, ec))
            fs::remove(g_errorsFolder);
    } catch (const std::exception& e) {
        gf_log(fmt::format("problems with removing previous files: {}", e.what()));
    }
}
