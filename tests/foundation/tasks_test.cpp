#include "foundation/tasks.h"

#include "support/eventually.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <latch>
#include <memory>
#include <thread>
#include <vector>

// Four workers under a limit of two: the slots, not the workers, hold the limit; every job runs
// once; a pool dropped with jobs waiting breaks their futures and waits for the running ones.
TEST(Tasks, PoolRunsEveryJobOnceWithinTheLimit)
{
    g_maxTasks = 2;
    g_runningTasks = 0;
    std::atomic<int> running{0};
    std::atomic<int> peak{0};
    std::vector<int> runs(40, 0);
    std::vector<std::future<void>> futures;
    {
        TaskPool pool(4);
        for (int i = 0; i < 40; ++i) {
            std::packaged_task<void()> job([&, i] {
                const int now = ++running;
                int seen = peak.load();
                while (now > seen && !peak.compare_exchange_weak(seen, now)) {
                }
                std::this_thread::sleep_for(std::chrono::microseconds(200 * (i % 4)));
                ++runs[static_cast<std::size_t>(i)];
                --running;
            });
            futures.push_back(job.get_future());
            pool.post(std::move(job));
        }
        for (auto& future : futures) // a job dropped unstarted would break its future
            future.get();
    }
    EXPECT_EQ(std::count(runs.begin(), runs.end(), 1), 40);
    EXPECT_LE(peak.load(), 2);
    EXPECT_EQ(g_runningTasks.load(), 0);

    std::promise<void> started;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::future<void> held;
    std::future<void> waiting;
    std::atomic<bool> ran{false};
    std::thread dropper;
    {
        auto pool = std::make_unique<TaskPool>(1);
        std::packaged_task<void()> first([&] {
            started.set_value();
            released.wait();
        });
        held = first.get_future();
        pool->post(std::move(first));
        std::packaged_task<void()> second([&] { ran = true; });
        waiting = second.get_future();
        pool->post(std::move(second));
        started.get_future().wait();
        dropper = std::thread([p = std::move(pool)]() mutable { p.reset(); });
    }
    EXPECT_THROW(waiting.get(), std::future_error); // dropped before the first one ends
    release.set_value();
    dropper.join();
    held.get();
    EXPECT_FALSE(ran.load());
    EXPECT_EQ(g_runningTasks.load(), 0);
    g_maxTasks = 1;
}

// Bursts of jobs while workers finish others: a worker woken for a job that another took first
// sleeps again, and the pool must count it asleep, or it ends with jobs queued and every worker
// asleep. A pool that stops taking jobs fails the round instead of hanging.
TEST(Tasks, PoolNeverSleepsWithJobsWaiting)
{
    g_maxTasks = 4;
    g_runningTasks = 0;
    TaskPool pool(4);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::future<void>> futures;
        for (int i = 0; i <= round % 24; ++i) {
            std::packaged_task<void()> job([] {});
            futures.push_back(job.get_future());
            pool.post(std::move(job));
        }
        ASSERT_EQ(futures.back().wait_for(std::chrono::seconds(30)), std::future_status::ready) << "round " << round;
        for (auto& future : futures)
            future.get();
    }
    g_maxTasks = 1;
}

// A pool for long jobs wakes a worker for every one, also while others are busy with theirs:
// four jobs that wait for each other, each posted once the one before runs, all run at once.
// Each gives up after 30 seconds instead of hanging.
TEST(Tasks, APoolForLongJobsRunsThemSideBySide)
{
    g_maxTasks = 4;
    g_runningTasks = 0;
    std::latch together(4);
    std::atomic<int> started{0};
    std::vector<std::future<bool>> futures;
    {
        TaskPool pool(4, 1);
        for (int i = 0; i < 4; ++i) {
            testsupport::eventually([&started, i] { return started >= i; });
            std::packaged_task<bool()> job([&together, &started] {
                ++started;
                together.count_down();
                return testsupport::eventually([&together] { return together.try_wait(); });
            });
            futures.push_back(job.get_future());
            pool.post(std::packaged_task<void()>(std::move(job)));
        }
        for (std::size_t i = 0; i < futures.size(); ++i)
            EXPECT_TRUE(futures[i].get()) << i;
    }
    g_maxTasks = 1;
}
