#include "aircraft/livery_search.h"

#include "aircraft/aircraft_cfg_reader.h"
#include "aircraft/cfg_key_lines.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
#include "foundation/tasks.h"
#include "platform/clock.h"

#include <fmt/format.h>

#include <array>
#include <future>
#include <iterator>
#include <list>
#include <mutex>
#include <string_view>
#include <thread>

namespace {

constexpr std::size_t g_maxDescendPathLength = 250;
constexpr std::array<std::string_view, 9> g_skipWords{"airport",    "lvfr",      "mkstudios", "simwings", "fsdreamteam",
                                                      "navigraph", "flytampa", "inibuilds", "_CVT_"};

std::mutex g_hookMutex;
LiveryTaskHook g_taskHook;

using TaskFuture = std::future<LiveryRecords>;

bool lf_hasSkipWord(const std::string& path)
{
    for (const auto word : g_skipWords) {
        if (path.find(word) != std::string::npos)
            return true;
    }
    return false;
}

bool lf_isAircraftCfg(const fs::directory_entry& entry)
{
    if (!entry.is_regular_file())
        return false;
    const fs::path& path = entry.path();
    return gf_toUpper(path.extension().string()) == ".CFG" && gf_toUpper(path.stem().string()) == "AIRCRAFT";
}

LiveryRecords lf_runTask(std::uint32_t folderNumber, const fs::path& path, bool ivao)
{
    const TaskSlot slot;
    LiveryTaskHook hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_taskHook;
    }
    if (hook)
        hook(path);
    return ivao ? gf_searchIvaoLiveriesinFile(folderNumber, path) : gf_searchLiveriesinFile(folderNumber, path);
}

// Waits while every slot is taken; gives up waiting on a stop, or after the task wait limit (a
// task that hangs keeps its slot).
void lf_waitForTaskSlot()
{
    using namespace std::chrono_literals;
    const auto start = platform::clock().steadyNow();
    while (g_runningTasks.load() >= g_maxTasks.load() && !gf_stopRequested() &&
           platform::clock().steadyNow() - start < g_taskWaitLimit)
        platform::clock().sleepFor(20us);
}

TaskFuture lf_startTask(std::uint32_t folderNumber, const fs::path& path)
{
    const std::string text = gf_pathToUtf8(path);
    const bool ivao = text.find("ivao_x-csl") != std::string::npos || text.find("IVAO_MTL") != std::string::npos;
    std::packaged_task<LiveryRecords()> task([folderNumber, path, ivao] { return lf_runTask(folderNumber, path, ivao); });
    TaskFuture future = task.get_future();
    ++g_runningTasks; // before the start: a fast task lowers it again
    try {
        std::thread(std::move(task)).detach();
    } catch (...) {
        gf_taskDone();
        throw;
    }
    return future;
}

// Blocks until the task's result is there, at most the wait limit; the time goes by the
// program's clock, the wait itself is on the future.
void lf_waitForTask(const TaskFuture& future, bool walking)
{
    using namespace std::chrono_literals;
    const auto start = platform::clock().steadyNow();
    bool logged = false;
    while (future.wait_for(1ms) != std::future_status::ready) {
        const auto waited = platform::clock().steadyNow() - start;
        if (waited > g_taskWaitLimit)
            throw std::runtime_error("Future wait timed out after 10 seconds");
        if (!logged && waited > 1s) {
            logged = true;
            if (walking)
                gf_logError("futs #1 not yet valid ? ...");
            else
                gf_log("futs #1 not yet valid ...");
        }
    }
}

void lf_logCollectFailure(bool walking, std::string_view text)
{
    if (walking)
        gf_logError(fmt::format("liveries search aborted, futs inner, {}", text));
    else
        gf_logError(fmt::format("liveries search aborted, futs outer, {}", text));
}

// Takes the oldest task's records into g_liveryRecords; a failed or hanging task costs only its own.
void lf_collectOldest(std::list<TaskFuture>& futures, bool walking)
{
    try {
        lf_waitForTask(futures.front(), walking);
        LiveryRecords records = futures.front().get();
        g_liveryRecords.insert(g_liveryRecords.end(), std::make_move_iterator(records.begin()),
                               std::make_move_iterator(records.end()));
    } catch (const std::exception& e) {
        lf_logCollectFailure(walking, e.what());
    } catch (...) {
        lf_logCollectFailure(walking, "unknown exception");
    }
    futures.pop_front();
}

} // namespace

void gf_setLiveryTaskHook(LiveryTaskHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_taskHook = std::move(hook);
}

void gf_searchLiveriesInFolder(std::uint32_t folderNumber, const fs::path& folder)
{
    std::list<TaskFuture> futures;
    try {
        for (fs::recursive_directory_iterator it(folder), end; it != end; ++it) {
            if (gf_stopRequested())
                break;
            const fs::directory_entry& entry = *it;
            std::string path;
            try {
                path = gf_pathToUtf8(entry.path());
                if (lf_hasSkipWord(path) || path.size() >= g_maxDescendPathLength)
                    it.disable_recursion_pending();
                if (!lf_isAircraftCfg(entry))
                    continue;
                lf_waitForTaskSlot();
                if (gf_stopRequested())
                    break;
                futures.push_back(lf_startTask(folderNumber, entry.path()));
            } catch (const std::exception& e) {
                gf_logError(fmt::format("liveries search in {} aborted, cause: {}", path, e.what()));
                continue;
            }
            if (futures.size() > static_cast<std::size_t>(std::max(1, g_maxTasks.load())))
                lf_collectOldest(futures, true);
        }
    } catch (const std::exception& e) {
        gf_logError(fmt::format("liveries search in folder {} aborted because of iterator problem: {}",
                                gf_pathToUtf8(folder), e.what()));
    }
    // every task started is waited for, also after an iterator problem: none may outlive the walk
    while (!futures.empty())
        lf_collectOldest(futures, false);
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
