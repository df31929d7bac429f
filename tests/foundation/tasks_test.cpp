#include "foundation/tasks.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(Tasks, ThrottleKeepsRunningTasksAtTheLimit)
{
    g_maxTasks = 3;
    g_runningTasks = 0;
    std::atomic<int> peak{0};
    std::atomic<int> finished{0};
    std::vector<std::jthread> tasks;
    for (int i = 0; i < 40; ++i) {
        gf_waitForTaskSlot();
        const int now = ++g_runningTasks;
        int seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
        tasks.emplace_back([&finished, i] {
            std::this_thread::sleep_for(std::chrono::microseconds(200 * (i % 4)));
            ++finished;
            gf_taskDone();
        });
    }
    tasks.clear(); // joins
    EXPECT_EQ(finished.load(), 40);
    EXPECT_EQ(g_runningTasks.load(), 0);
    EXPECT_LE(peak.load(), 3);
    EXPECT_GE(peak.load(), 1);
    g_maxTasks = 1;
}
