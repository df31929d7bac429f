#include "foundation/tasks.h"

#include "platform/clock.h"

#include <chrono>

std::atomic<std::int32_t> g_runningTasks{0};
std::atomic<std::int32_t> g_maxTasks{1};

void gf_waitForTaskSlot()
{
    using namespace std::chrono_literals;
    while (g_runningTasks.load() >= g_maxTasks.load())
        platform::clock().sleepFor(10us);
}

void gf_taskDone() { --g_runningTasks; }
