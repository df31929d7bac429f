#include "platform/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;

TEST(Clock, ManualClockMovesOnlyWhenToldOrSleptOn)
{
    platform::ManualClock manual(platform::SystemTime{} + 1000s);
    platform::setClock(&manual);
    auto& c = platform::clock();
    const auto start = c.steadyNow();
    c.sleepFor(45s);
    EXPECT_EQ(c.steadyNow() - start, 45s);
    EXPECT_EQ(c.systemNow().time_since_epoch(), 1045s);
    c.sleepUntil(start); // a deadline in the past changes nothing
    EXPECT_EQ(c.steadyNow() - start, 45s);
    manual.advance(500ms);
    EXPECT_EQ(c.steadyNow() - start, 45500ms);
    platform::setClock(nullptr);
    EXPECT_GT(platform::clock().systemNow().time_since_epoch(), 1000000000s);
}

TEST(Clock, AWaitUnlessStoppedLastsItsTimeOrEndsAtTheStop)
{
    platform::ManualClock manual;
    platform::setClock(&manual);
    auto& c = platform::clock();
    std::atomic<bool> stop{false};
    auto start = c.steadyNow();
    EXPECT_TRUE(platform::sleepUnlessStopped(4250ms, stop));
    EXPECT_EQ(c.steadyNow() - start, 4250ms); // the slices add up to the whole wait
    stop = true;
    start = c.steadyNow();
    EXPECT_FALSE(platform::sleepUnlessStopped(1000h, stop));
    EXPECT_EQ(c.steadyNow() - start, 0s);
    platform::setClock(nullptr);

    // in real time a stop from another thread ends a wait of days within a slice or so
    stop = false;
    std::thread stopper([&] {
        std::this_thread::sleep_for(50ms);
        stop = true;
    });
    const auto realStart = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::sleepUnlessStopped(std::chrono::hours(24 * 20), stop));
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 60s);
}
