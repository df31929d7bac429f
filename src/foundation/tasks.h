#pragma once
// The throttle that keeps the per-file scan tasks at the number of hardware threads, the fixed
// set of worker threads the scans run their tasks on, and the scans' wait for a task's result.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

extern std::atomic<std::int32_t> g_runningTasks;
extern std::atomic<std::int32_t> g_maxTasks;

// Returns when fewer than g_maxTasks tasks run (a blocking wait, no time limit), and takes the
// slot in the same step, so the limit is never passed.
void gf_takeTaskSlot();
// Called by each task when it ends: gives its slot back.
void gf_taskDone();

// How long a scan waits for one task before it says that the task is overdue (it waits on).
inline constexpr std::chrono::seconds g_taskWaitLimit{10};

// What a scan says while it waits for a task: once past one second, once past g_taskWaitLimit.
struct TaskWaitNotices {
    std::function<void()> slow;
    std::function<void()> overdue;
};

// Blocks until `ready` (asked to wait at most one slice each time) is true, timed on the
// program's clock; false when a stop request ended the wait first.
bool gf_waitUnlessStopped(const std::function<bool(std::chrono::milliseconds slice)>& ready,
                          const TaskWaitNotices& notices);

// Blocks until the task's result is there; false when a stop request ended the wait (the
// result stays in the future).
template <class T> bool gf_waitForTask(const std::future<T>& future, const TaskWaitNotices& notices = {})
{
    return gf_waitUnlessStopped(
        [&future](std::chrono::milliseconds slice) { return future.wait_for(slice) == std::future_status::ready; },
        notices);
}

// Gives the task slot back however the task ends.
struct TaskSlot {
    TaskSlot() = default;
    TaskSlot(const TaskSlot&) = delete;
    TaskSlot& operator=(const TaskSlot&) = delete;
    ~TaskSlot() { gf_taskDone(); }
};

// Worker threads, as many as asked for, that run jobs in the order they were posted; each job
// holds a task slot while it runs (the pool gives it back, not the job). The jobs deliver their
// results through their own futures. Sleeping workers are woken as the queue grows: one more
// once `jobsPerWorker` jobs wait for each awake worker, so that many small jobs cost few
// wake-ups; a pool for few and long jobs wakes one for every job (1).
class TaskPool {
public:
    explicit TaskPool(int workers, std::size_t jobsPerWorker = 8);
    // Drops the jobs not yet started (their futures break) and waits for the running ones.
    ~TaskPool();
    TaskPool(const TaskPool&) = delete;
    TaskPool& operator=(const TaskPool&) = delete;

    void post(std::packaged_task<void()> job);

private:
    void work(std::stop_token stop);
    void stopWorkers();

    const std::size_t m_workerCount;
    const std::size_t m_jobsPerWorker;
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::packaged_task<void()>> m_jobs;
    std::size_t m_sleeping = 0;  // workers waiting for a job
    std::size_t m_signalled = 0; // of them, woken and not yet up
    std::vector<std::jthread> m_workers; // last: stopped and joined before the queue goes
};
