// The SimClient thread: waiting, connecting, pumping, ending.
#include "simlink_fixture.h"

#include "platform/timer_period.h"
#include "simconnect/sim_model_driver.h"
#include "simlink/sim_ids.h"
#include "support/manual_time.h"

#include <atomic>
#include <new>

using testsupport::SimLinkTest;
using testsupport::simlinkScenario;
using testsupport::waitUntil;

namespace {

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

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
    bool disconnectLogged()
    {
        const auto lines = folder.logLines();
        return std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
            return endsWith(l, " Flight Simulator no longer connected, TRWK will stop ...");
        });
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
    const auto lines = folder.logLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Waiting for MSFS 2020 ...");
    EXPECT_EQ(lines[1], ""); // the line feed of its own line
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(gf_statusLine().text, "Waiting for MSFS 2020 ...");
    EXPECT_EQ(countCalls("Close"), 0);
    EXPECT_FALSE(folder.logHas("SimConnect closed ok"));
    EXPECT_TRUE(g_simNotConnected);
    EXPECT_EQ(record.read([](auto& r) { return r.rememberedStands; }), 1);
}

INSTANTIATE_TEST_SUITE_P(StopSources, WaitingTest, ::testing::Values(StopBy::Stop, StopBy::Quit, StopBy::Token));

TEST_F(SimClientTest, ConnectsRegistersPumpsAndClosesWhenStopped)
{
    install(simlinkScenario("SunRise"));
    g_msfs2020Mode = false;
    start();
    ASSERT_TRUE(waitUntil([&] { return connected(); }));
    EXPECT_FALSE(g_simNotConnected);
    EXPECT_NE(g_hSimConnect.load(), nullptr);
    EXPECT_EQ(platform::activeTimerPeriods(), 1);
    EXPECT_EQ(linesEqualTo("Waiting for MSFS 2024 ..."), 1);
    EXPECT_TRUE(folder.logHas("MSFS 2024 connected"));
    EXPECT_EQ(countCalls("SetNotificationGroupPriority(301, 1)"), 1);
    ASSERT_TRUE(waitUntil([] { return g_simRunning.load(); }));
    // messages keep flowing: frames are handled as the model makes them
    model->step(30);
    ASSERT_TRUE(waitUntil([] { return g_frameRate.load() == 40.0f; }));
    stopAndJoin();
    EXPECT_EQ(platform::activeTimerPeriods(), 0);
    EXPECT_TRUE(folder.logHas("SimConnect closed ok"));
    EXPECT_EQ(model->openSessions(), 0);
    EXPECT_EQ(record.read([](auto& r) { return r.simConnected; }), (std::vector<bool>{true, false}));
    EXPECT_EQ(record.read([](auto& r) { return r.rememberedStands; }), 1);
    EXPECT_FALSE(g_stop);
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
    EXPECT_EQ(gf_statusLine().text, error);
    EXPECT_TRUE(gf_statusLine().error);
    EXPECT_TRUE(folder.logHas("Error " + error));
    EXPECT_TRUE(g_simRunning);
    EXPECT_FALSE(g_stop);
    EXPECT_EQ(model->openSessions(), 0);
}

TEST_F(SimClientTest, AnExceptionInAHandlerEndsTheRunAsSimWasClosed)
{
    auto hooks = record.hooks();
    hooks.setSimRunning = [](bool) { throw std::bad_alloc(); };
    gf_setSimLinkHooks(hooks);
    start();
    ASSERT_TRUE(waitUntil([&] { return folder.logHas("SimConnect closed ok"); }));
    g_simClientThread.join();
    EXPECT_EQ(gf_statusLine().text, std::bad_alloc().what());
    EXPECT_FALSE(g_simRunning);
    EXPECT_TRUE(g_stop);
    EXPECT_EQ(g_runState, RunState::SimWasClosed);
    EXPECT_EQ(g_restartDelay, 0);
    EXPECT_TRUE(disconnectLogged());
}

TEST_F(SimClientTest, AnUnknownExceptionIsNamedAfterTheThread)
{
    auto hooks = record.hooks();
    hooks.setSimRunning = [](bool) { throw 7; };
    gf_setSimLinkHooks(hooks);
    start();
    ASSERT_TRUE(waitUntil([&] { return folder.logHas("SimConnect closed ok"); }));
    g_simClientThread.join();
    EXPECT_EQ(gf_statusLine().text, "Exception in SimClient");
    EXPECT_EQ(g_runState, RunState::SimWasClosed);
}

TEST_F(SimClientTest, ASimulatorThatQuitsEndsTheRunAsSimWasClosed)
{
    start();
    ASSERT_TRUE(waitUntil([&] { return connected() && g_simRunning; }));
    model->quit();
    ASSERT_TRUE(waitUntil([] { return g_stop.load(); }));
    EXPECT_FALSE(g_simRunning);
    EXPECT_EQ(g_runState, RunState::SimWasClosed);
    EXPECT_EQ(g_restartDelay, 0);
    EXPECT_TRUE(disconnectLogged());
    EXPECT_EQ(gf_runStateName(g_runState), "SIM WAS CLOSED");
    stopAndJoin();
    const auto lines = folder.logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("no longer connected") != std::string::npos; }),
              1);
}

// The program's threads against the model driven in real time: the SimClient thread pumps,
// a tick thread queues creations, positions, events and requests as the traffic manager does.
TEST_F(SimClientTest, RunsAgainstTheModelInRealTime)
{
    auto scenario = simlinkScenario();
    scenario.frameRate = 100.0f;
    install(scenario);
    SimModelDriver driver(model);
    gf_resetSimClientQueues();
    start();
    ASSERT_TRUE(waitUntil([&] { return connected() && g_simRunning; }));
    g_userObjectId = SimModel::userObjectId;

    std::atomic<int> created{0};
    std::jthread tick([&](std::stop_token stop) {
        std::vector<std::uint32_t> own;
        std::uint32_t hex = 20000;
        int pass = 0;
        while (!stop.stop_requested()) {
            ++pass;
            for (const auto& e : gf_takeObjectList())
                if (e.kind == OBJ_OWN_LIVE_CREATED) {
                    own.push_back(e.objectId);
                    gf_setLights(e.objectId, {1, 1, 0, 0, 0, 1, 1});
                    ++created;
                }
            if (pass % 5 == 0 && hex < 20006) {
                CreateRequest r;
                r.initPos = {50.0 + (hex - 20000) * 0.001, 8.0, 0, 0, 0, 0, 1, 0};
                r.callsign = "RT" + std::to_string(hex);
                r.liveryTitle = "Airliner A";
                r.hexId = hex++;
                gf_queueCreate(r);
            }
            if (pass % 3 == 0) {
                std::lock_guard lock(g_simConnectMutex);
                SimConnect_RequestDataOnSimObjectType(g_hSimConnect, REQ_AC_WITHIN_RANGE, DEF_AC_BY_TYPE, 20000,
                                                      SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
            }
            for (const auto id : own)
                g_posFront->push_back({50.0, 8.0 + pass * 1e-6, 0, 0, 0, 100.0, 0, 120.0, id});
            {
                std::unique_lock lock(g_simConnectMutex, std::try_to_lock);
                if (lock.owns_lock())
                    std::swap(g_posFront, g_posBack);
                else if (g_frameRate <= 50.0f)
                    g_posFront->clear();
            }
            if (!own.empty())
                gf_setSpoilersAndThrottle(own.front(), pass % 2 == 0, false);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    ASSERT_TRUE(waitUntil([&] { return created >= 6; }));
    ASSERT_TRUE(waitUntil([&] {
        const auto objects = model->aiObjects();
        return objects.size() == 6 && std::all_of(objects.begin(), objects.end(), [](const SimObjectState& o) {
                   return o.positionUpdates > 2 && o.freezeLatLon && o.navLights;
               });
    }));
    tick.request_stop();
    tick.join();
    stopAndJoin();
    EXPECT_FALSE(g_stop);
    EXPECT_FALSE(g_simRequestError);
    EXPECT_TRUE(folder.logHas("SimConnect closed ok"));
}
