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

TEST(TickGrid, APassThatOverrunsIsFollowedAtOnceUntilTheGridIsCaughtUp)
{
    testsupport::ManualTime time(1767225600);
    g_newUserData = false;
    const auto at = passTimes(time, 12, [&](int pass) {
        if (pass == 5)
            time.clock().advance(45ms); // a stall from 40 to 85 ms
    });
    EXPECT_EQ(at, (std::vector<std::chrono::milliseconds>{0ms, 10ms, 20ms, 30ms, 40ms, 85ms, 85ms, 85ms, 85ms, 90ms,
                                                          100ms, 110ms}));
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
    EXPECT_EQ(at, (std::vector<std::chrono::milliseconds>{0ms, 10ms, 20ms, 33ms, 43ms, 53ms}));
}
