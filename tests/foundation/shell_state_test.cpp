#include "foundation/shell_state.h"
#include "foundation/status_line.h"

#include "support/logged_folder.h"

#include <gtest/gtest.h>
#include <thread>
#include <tuple>
#include <vector>

TEST(ShellState, TheFirstStopRequestKeepsItsStateAndDelay)
{
    gf_resetShellState();
    EXPECT_EQ(gf_runStateName(g_runState), "NOT YET SET");
    EXPECT_TRUE(gf_requestStop(RunState::NewFlight, 45));
    EXPECT_FALSE(gf_requestStop(RunState::SimConnectError, 9, "a later reason"));
    EXPECT_TRUE(g_stop);
    EXPECT_EQ(gf_runStateName(g_runState), "NEW FLIGHT");
    EXPECT_EQ(g_restartDelay, 45);
    EXPECT_EQ(gf_restartReason(), "");

    gf_resetShellState();
    std::atomic<int> winners{0};
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < 8; ++i)
            threads.emplace_back([i, &winners] {
                if (gf_requestStop(i % 2 ? RunState::ReaderError : RunState::SystemError, i, std::to_string(i)))
                    ++winners;
            });
    }
    EXPECT_EQ(winners, 1);
    // state, delay and reason come from the same request
    EXPECT_EQ(g_runState == RunState::ReaderError, g_restartDelay % 2 == 1);
    EXPECT_EQ(gf_restartReason(), std::to_string(g_restartDelay));
    EXPECT_EQ(gf_runStateName(static_cast<RunState>(8)), "???");
    gf_resetShellState();
}

// The user's request for a new run is NEW SETTINGS in a run, and ends a SYSTEM ERROR, no other stop.
TEST(ShellState, ANewRunRequestReplacesOnlyASystemError)
{
    const std::pair<RunState, bool> before[] = {{RunState::NotYetSet, true},        {RunState::SystemError, true},
                                                {RunState::ReaderError, false},     {RunState::UserClosedSim, false},
                                                {RunState::SimWasClosed, false},    {RunState::NewSettings, false}};
    for (const auto& [state, taken] : before) {
        gf_resetShellState();
        if (state != RunState::NotYetSet)
            gf_forceStop(state, 15);
        EXPECT_EQ(gf_requestNewRun(3), taken) << gf_runStateName(state);
        EXPECT_EQ((std::tuple{g_runState.load(), g_restartDelay.load(), g_stop.load()}),
                  (taken ? std::tuple{RunState::NewSettings, 3, true} : std::tuple{state, 15, true}))
            << gf_runStateName(state);
    }
    gf_resetShellState();
}

TEST(StatusLine, StickyErrorsHoldUntilCleared)
{
    testsupport::LoggedFolder folder;
    std::atomic<int> repaints{0};
    gf_setStatusRepaintHook([&repaints] { ++repaints; });
    gf_clearStatusAndError();
    gf_showStatus("Scanning liveries", false);
    gf_showStatus("Logged in", true);
    EXPECT_EQ(gf_statusLine().text, "Logged in");
    gf_showError("No install path detected");
    gf_showStatus("ignored", true);
    EXPECT_EQ(gf_statusLine().text, "No install path detected");
    EXPECT_TRUE(gf_statusLine().error);
    gf_clearStatus(); // clears a message, not the error
    EXPECT_EQ(gf_statusLine().text, "No install path detected");
    gf_clearStatusAndError();
    EXPECT_EQ(gf_statusLine().text, "");
    EXPECT_FALSE(gf_statusLine().error);
    gf_showStatus("after", false);
    EXPECT_EQ(gf_statusLine().text, "after");
    EXPECT_EQ(folder.logLines(), (std::vector<std::string>{"Logged in", "Error No install path detected"}));
    EXPECT_EQ(repaints, 6);
    gf_setStatusRepaintHook(nullptr);
    gf_clearStatusAndError();
}
