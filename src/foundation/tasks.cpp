#include "foundation/tasks.h"

#include "foundation/shell_state.h"
#include "platform/clock.h"

#include <algorithm>

std::atomic<std::int32_t> g_runningTasks{0};
std::atomic<std::int32_t> g_maxTasks{1};

namespace {

// How often a wait for a task looks at the clock and the stop request; the result itself ends
// the wait at once.
constexpr std::chrono::milliseconds g_waitSlice{100};

// Waiting for a slot blocks on the condition; taking and giving back a free one touches only the
// counter.
std::mutex g_slotMutex;
std::condition_variable g_slotFreed;
std::atomic<int> g_slotWaiters{0};

bool lf_tryTakeSlot()
{
    std::int32_t running = g_runningTasks.load();
    while (running < g_maxTasks.load()) {
        if (g_runningTasks.compare_exchange_weak(running, running + 1))
            return true;
    }
    return false;
}

} // namespace

void gf_takeTaskSlot()
{
    if (lf_tryTakeSlot())
        return;
    std::unique_lock lock(g_slotMutex);
    ++g_slotWaiters;
    g_slotFreed.wait(lock, lf_tryTakeSlot);
    --g_slotWaiters;
}

void gf_taskDone()
{
    --g_runningTasks;
    if (g_slotWaiters.load() == 0)
        return;
    {
        std::lock_guard lock(g_slotMutex); // a waiter between its test and its wait sees the slot
    }
    g_slotFreed.notify_all();
}

bool gf_waitUnlessStopped(const std::function<bool(std::chrono::milliseconds slice)>& ready,
                          const TaskWaitNotices& notices)
{
    const auto start = platform::clock().steadyNow();
    bool slowSaid = false;
    bool overdueSaid = false;
    while (!ready(g_waitSlice)) {
        if (gf_stopRequested())
            return false;
        const auto waited = platform::clock().steadyNow() - start;
        if (!slowSaid && waited > std::chrono::seconds(1)) {
            slowSaid = true;
            if (notices.slow)
                notices.slow();
        }
        if (!overdueSaid && waited > g_taskWaitLimit) {
            overdueSaid = true;
            if (notices.overdue)
                notices.overdue();
        }
    }
    return true;
}

TaskPool::TaskPool(int workers, std::size_t jobsPerWorker)
    : m_workerCount(static_cast<std::size_t>(std::max(1, workers))), m_jobsPerWorker(std::max<std::size_t>(1, jobsPerWorker))
{
    m_workers.reserve(m_workerCount);
    try {
        for (std::size_t i = 0; i < m_workerCount; ++i)
            m_workers.emplace_back([this](std::stop_token stop) { work(stop); });
    } catch (...) { // a thread that cannot be started: the ones started end before the error goes on
        stopWorkers();
        throw;
    }
}

TaskPool::~TaskPool() { stopWorkers(); }

void TaskPool::stopWorkers()
{
    std::deque<std::packaged_task<void()>> dropped;
    {
        std::lock_guard lock(m_mutex); // a worker between its test and its wait sees the stop
        dropped.swap(m_jobs);
        for (auto& worker : m_workers)
            worker.request_stop();
        m_posted.notify_all();
    }
    dropped.clear(); // their futures break now, not after the running jobs
    m_workers.clear(); // joins
}

void TaskPool::post(std::packaged_task<void()> job)
{
    // One worker more for every few jobs waiting, and always one while jobs wait: the awake
    // workers take job after job without a wake-up each. Long jobs keep the awake workers busy,
    // so there every job wakes one.
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(std::move(job));
    const std::size_t awake = m_workerCount - m_sleeping + m_signalled;
    if (m_sleeping > m_signalled &&
        (m_jobsPerWorker == 1 || awake == 0 || m_jobs.size() >= m_jobsPerWorker * awake)) {
        ++m_signalled;
        m_posted.notify_one();
    }
}

void TaskPool::work(std::stop_token stop)
{
    for (;;) {
        std::packaged_task<void()> job;
        {
            std::unique_lock lock(m_mutex);
            if (m_jobs.empty() && !stop.stop_requested()) {
                ++m_sleeping;
                // every wake-up uses up a signal, also one that finds the job taken by a worker
                // that was awake and sleeps again: a signal counted for it would keep the next
                // poster from waking anyone
                while (m_jobs.empty() && !stop.stop_requested()) {
                    m_posted.wait(lock);
                    if (m_signalled > 0)
                        --m_signalled;
                }
                --m_sleeping;
            }
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        gf_takeTaskSlot();
        const TaskSlot slot;
        job(); // a job's exception goes to its future
    }
}
