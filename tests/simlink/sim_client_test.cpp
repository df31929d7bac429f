// The SimClient thread: waiting, connecting, pumping, ending.
#include "simlink_fixture.h"

#include "platform/timer_period.h"
#include "support/manual_time.h"

#include <functional>
#include <new>

using testsupport::SimLinkTest;
using testsupport::simlinkScenario;
using testsupport::waitUntil;

class SimClientTest : public SimLinkTest {
protected:
    void start() { g_simClientThread = std::jthread(SimClient); }
    void stopAndJoin()
    {
        g_simClientThread.request_stop();
        g_simClientThread.join();
    }
    bool connected()
    {
        return !record.read([](auto& r) { return r.simulatorTexts; }).empty();
    }
    int linesEqualTo(const std::string& text)
    {
        const auto lines = folder.logLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), text));
    }
    int disconnectsLogged()
    {
        const auto lines = folder.logLines();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.ends_with(" Flight Simulator no longer connected, TRWK will stop ...");
        }));
    }
};

enum class StopBy { Stop, Quit, Token };

class WaitingTest : public SimClientTest, public ::testing::WithParamInterface<StopBy> {};

TEST_P(WaitingTest, AnUnreachableSimulatorIsTriedEvery100msUntilTheRunStops)
{
    testsupport::ManualTime time(1'700'000'000);
    const auto begin = time.clock().steadyNow();
    model->setReachable(false);
    start();
    ASSERT_TRUE(waitUntil([&] { return model->openAttempts() >= 25; }));
    switch (GetParam()) {
    case StopBy::Stop: g_stop = true; break;
    case StopBy::Quit: g_quit = true; break;
    case StopBy::Token: g_simClientThread.request_stop(); break;
    }
    const auto stopped = time.clock().steadyNow();
    g_simClientThread.join();
    const auto end = time.clock().steadyNow();
    // every failed open is followed by one 100 ms sleep, and the stop ends the wait within one of them
    EXPECT_EQ(end - begin, model->openAttempts() * std::chrono::milliseconds(100));
    EXPECT_LE(end - stopped, std::chrono::milliseconds(100));
    EXPECT_EQ(linesEqualTo("Waiting for MSFS 2020 ..."), 1);
    auto lines = folder.logLines();
    lines.resize(3);
    EXPECT_EQ(lines, (std::vector<std::string>{"Waiting for MSFS 2020 ...", "", ""})) << "a line feed of its own";
    EXPECT_EQ(gf_statusLine().text, "Waiting for MSFS 2020 ...");
    EXPECT_EQ((std::tuple{countCalls("Close"), folder.logHas("SimConnect closed ok"), g_simNotConnected.load(),
                          record.read([](auto& r) { return r.rememberedStands; })}),
              (std::tuple{0, false, true, 1}));
}

INSTANTIATE_TEST_SUITE_P(StopSources, WaitingTest, ::testing::Values(StopBy::Stop, StopBy::Quit, StopBy::Token));

TEST_F(SimClientTest, ConnectsRegistersPumpsAndClosesWhenStopped)
{
    install(simlinkScenario("SunRise"));
    g_msfs2020Mode = false;
    start();
    ASSERT_TRUE(waitUntil([&] { return connected(); }));
    EXPECT_TRUE(!g_simNotConnected && g_hSimConnect.load() != nullptr);
    EXPECT_EQ((std::tuple{platform::activeTimerPeriods(), linesEqualTo("Waiting for MSFS 2024 ..."),
                          countCalls("SetNotificationGroupPriority(301, 1)")}),
              (std::tuple{1, 1, 1})) << "registered";
    EXPECT_TRUE(folder.logHas("MSFS 2024 connected"));
    ASSERT_TRUE(waitUntil([] { return g_simRunning.load(); }));
    // messages keep flowing: frames are handled as the model makes them
    model->step(30);
    ASSERT_TRUE(waitUntil([] { return g_frameRate.load() == 40.0f; }));
    stopAndJoin();
    EXPECT_TRUE(folder.logHas("SimConnect closed ok"));
    EXPECT_EQ((std::tuple{platform::activeTimerPeriods(), model->openSessions(), g_stop.load()}),
              (std::tuple{0, 0, false}));
    EXPECT_EQ(record.read([](auto& r) { return std::pair{r.simConnected, r.rememberedStands}; }),
              (std::pair{std::vector<bool>{true, false}, 1}));
}

TEST_F(SimClientTest, TheWrongSimulatorShowsError71AndClosesWithoutStoppingTheRun)
{
    install(simlinkScenario("SunRise"));
    g_msfs2020Mode = true;
    g_simRunning = true;
    start();
    ASSERT_TRUE(waitUntil([&] { return folder.logHas("SimConnect closed ok"); }));
    g_simClientThread.join();
    const std::string error =
        "71: MSFS 2024 is running ..., switch Simulator, or select the right sim in the drop down list above";
    EXPECT_EQ((std::tuple{gf_statusLine().text, gf_statusLine().error}), (std::tuple{error, true}));
    EXPECT_TRUE(folder.logHas("Error " + error));
    EXPECT_TRUE(g_simRunning && !g_stop && model->openSessions() == 0);
}

// An exception in a handler ends the run as if the simulator was closed; one of no known type is
// named after the thread.
TEST_F(SimClientTest, AnExceptionInAHandlerEndsTheRunAsSimWasClosed)
{
    const std::pair<std::function<void(bool)>, std::string> cases[] = {
        {[](bool) { throw std::bad_alloc(); }, std::bad_alloc().what()},
        {[](bool) { throw 7; }, "Exception in SimClient"}};
    int runs = 0;
    for (const auto& [thrower, status] : cases) {
        gf_resetSimLinkState();
        gf_resetShellState();
        gf_clearStatusAndError();
        auto hooks = record.hooks();
        hooks.setSimRunning = thrower;
        gf_setSimLinkHooks(hooks);
        start();
        ++runs;
        ASSERT_TRUE(waitUntil([&] { return linesEqualTo("SimConnect closed ok") == runs; }));
        g_simClientThread.join();
        EXPECT_EQ(gf_statusLine().text, status);
        EXPECT_EQ((std::tuple{g_simRunning.load(), g_stop.load(), g_runState.load(), g_restartDelay.load()}),
                  (std::tuple{false, true, RunState::SimWasClosed, 0}));
        EXPECT_EQ(disconnectsLogged(), runs);
    }
}

TEST_F(SimClientTest, ASimulatorThatQuitsEndsTheRunAsSimWasClosed)
{
    start();
    ASSERT_TRUE(waitUntil([&] { return connected() && g_simRunning; }));
    model->quit();
    ASSERT_TRUE(waitUntil([] { return g_stop.load(); }));
    EXPECT_EQ((std::tuple{g_simRunning.load(), g_runState.load(), g_restartDelay.load()}),
              (std::tuple{false, RunState::SimWasClosed, 0}));
    EXPECT_EQ(gf_runStateName(g_runState), "SIM WAS CLOSED");
    stopAndJoin();
    EXPECT_EQ(disconnectsLogged(), 1);
}
