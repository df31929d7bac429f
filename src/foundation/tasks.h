#pragma once
// The throttle that keeps the per-file scan tasks at about the number of hardware threads.
#include <atomic>
#include <cstdint>

extern std::atomic<std::int32_t> g_runningTasks;
extern std::atomic<std::int32_t> g_maxTasks;

// Returns when fewer than g_maxTasks tasks run; waits about 1 ms a round, with no time limit.
void gf_waitForTaskSlot();
// Called by each task when it ends.
void gf_taskDone();

// Gives the task slot back however the task ends.
struct TaskSlot {
    TaskSlot() = default;
    TaskSlot(const TaskSlot&) = delete;
    TaskSlot& operator=(const TaskSlot&) = delete;
    ~TaskSlot() { gf_taskDone(); }
};
