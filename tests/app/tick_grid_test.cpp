// The 10 ms deadline grid of the tick loop.
#include "app/tick_loop.h"
#include "platform/clock.h"
#include "support/manual_time.h"
#include "simlink/user_aircraft.h"

#include <chrono>
#include <gtest/gtest.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Runs `passes` passes; `work` is called with the pass number (from 1) and may move the clock.
std::vector<std::chrono::milliseconds> passTimes(testsupport::ManualTime& time, int passes,
                                                 const std::function<void(int)>& work)
{
    const auto start = time.clock().steadyNow();
    std::vector<std::chrono::milliseconds> at;
    gf_runTickGrid([&] {
        at.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(time.clock().steadyNow() - start));
        work(static_cast<int>(at.size()));
        return static_cast<int>(at.size()) < passes;
    });
    return at;
}

} // namespace

TEST(TickGrid, KeepsItsPaceOverAThousandPasses)
{
    g_newUserData = false;
    int passes = 0;
    const auto begin = std::chrono::steady_clock::now();
    gf_runTickGrid([&] { return ++passes < 1000; });
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(passes, 1000);
    // 999 waits of 10 ms on the grid; a loose upper bound for a loaded machine
    EXPECT_GE(elapsed, 9990ms);
    EXPECT_LT(elapsed, 30s);
}

TEST(TickGrid, APassThatOverrunsIsFollowedAtOnceUntilTheGridIsCaughtUp)
{
    testsupport::ManualTime time(1767225600);
    g_newUserData = false;
    const auto at = passTimes(time, 12, [&](int pass) {
        if (pass == 5)
            time.clock().advance(45ms); // a stall from 40 to 85 ms
    });
    using ms = std::chrono::milliseconds;
    const std::vector<ms> expected{ms(0),  ms(10), ms(20), ms(30), ms(40), ms(85),
                                   ms(85), ms(85), ms(85), ms(90), ms(100), ms(110)};
    EXPECT_EQ(at, expected);
}

TEST(TickGrid, NewUserDataMovesTheGrid)
{
    testsupport::ManualTime time(1767225600);
    g_newUserData = false;
    const auto at = passTimes(time, 6, [&](int pass) {
        if (pass == 3) {
            time.clock().advance(13ms); // the update arrives late in pass 3
            g_newUserData = true;
        }
        if (pass == 4)
            g_newUserData = false; // the tick took it
    });
    using ms = std::chrono::milliseconds;
    const std::vector<ms> expected{ms(0), ms(10), ms(20), ms(33), ms(43), ms(53)};
    EXPECT_EQ(at, expected);
}
