// The 10 ms deadline grid of the tick loop.
#include "app/tick_loop.h"
#include "platform/clock.h"
#include "support/manual_time.h"
#include "simlink/user_aircraft.h"

#include <chrono>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace std::chrono_literals;

// A pass that overruns is followed at once until the grid is caught up; new user data that arrives late in a pass
// moves the grid.
TEST(TickGrid, AnOverrunIsCaughtUpAndNewUserDataMovesTheGrid)
{
    // passes, the pass that moves the clock, by how much, whether new user data arrives then (taken by the next)
    const std::tuple<int, int, std::chrono::milliseconds, bool, std::vector<std::chrono::milliseconds>> rows[] = {
        {12, 5, 45ms, false, {0ms, 10ms, 20ms, 30ms, 40ms, 85ms, 85ms, 85ms, 85ms, 90ms, 100ms, 110ms}},
        {6, 3, 13ms, true, {0ms, 10ms, 20ms, 33ms, 43ms, 53ms}}};
    for (const auto& [passes, late, by, data, expected] : rows) {
        testsupport::ManualTime time(1767225600);
        g_newUserData = false;
        const auto start = time.clock().steadyNow();
        std::vector<std::chrono::milliseconds> at;
        gf_runTickGrid([&] {
            at.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(time.clock().steadyNow() - start));
            const int pass = static_cast<int>(at.size());
            if (pass == late) {
                time.clock().advance(by);
                g_newUserData = data;
            }
            if (pass == late + 1)
                g_newUserData = false;
            return pass < passes;
        });
        EXPECT_EQ(at, expected) << "late in pass " << late;
    }
}
