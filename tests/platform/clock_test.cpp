#include "platform/clock.h"
#include "platform/timer_period.h"

#include <gtest/gtest.h>

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

TEST(Clock, TimerPeriodGuardsAreCounted)
{
    const int before = platform::activeTimerPeriods();
    {
        platform::TimerPeriodGuard a;
        platform::TimerPeriodGuard b;
        EXPECT_EQ(platform::activeTimerPeriods(), before + 2);
    }
    EXPECT_EQ(platform::activeTimerPeriods(), before);
}
