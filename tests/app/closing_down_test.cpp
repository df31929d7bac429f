// The stop sources, the close-down's decision and the restart countdown, on a manual clock.
#include "app_fixture.h"

#include "app/closing_down.h"
#include "app/control_thread.h"
#include "app/panel_controls.h"
#include "app/window_commands.h"
#include "foundation/meta_block.h"
#include "foundation/reader_stop.h"
#include "foundation/sim_disconnect.h"
#include "simlink/sim_request_error.h"
#include "support/manual_time.h"
#include "traffic/run_flags.h"

#include <algorithm>
#include <fmt/format.h>

using testsupport::AppTest;
using testsupport::eventually;

namespace {

struct StopCase {
    const char* name;
    std::function<void()> stop;
    RunState state;
    int delay;
    bool restart;
};

class StopSources : public AppTest, public ::testing::WithParamInterface<StopCase> {
protected:
    StopSources() : time(1767225600)
    {
        gf_setStatusRepaintHook([this] {
            std::lock_guard lock(m_mutex);
            m_statuses.push_back(gf_statusLine().text);
        });
    }
    ~StopSources() override { gf_setStatusRepaintHook(nullptr); }

    // The close-down on a thread of its own, as the control thread runs it.
    bool closeDown()
    {
        bool handedOver = false;
        std::thread control([&] { handedOver = gf_closingDown(); });
        if (g_runState == RunState::SystemError) {
            EXPECT_TRUE(eventually([this] { return folder.logHas("Exiting: SYSTEM ERROR"); }));
            g_quit = true; // the user closes the window
        }
        control.join();
        return handedOver;
    }
    std::vector<std::string> statuses()
    {
        std::lock_guard lock(m_mutex);
        return m_statuses;
    }

    testsupport::ManualTime time;

private:
    std::mutex m_mutex;
    std::vector<std::string> m_statuses;
};

} // namespace

TEST_P(StopSources, TheFirstSourceSetsStateAndDelayAndTheCloseDownRestartsOrQuits)
{
    const StopCase& c = GetParam();
    c.stop();
    // a second source of the same run changes nothing
    gf_stopOnReaderError("Weather Reader", false);
    gf_stopOnSimDisconnect();
    const bool delaySet = c.state == RunState::UserClosedSim || g_restartDelay == c.delay; // the close box sets none
    EXPECT_EQ((std::tuple{g_runState.load(), g_stop.load(), delaySet}), (std::tuple{c.state, true, true}));

    const bool handedOver = closeDown();
    EXPECT_TRUE(folder.logHas(fmt::format("Exiting: {}", gf_runStateName(c.state))));
    EXPECT_EQ(posted(), std::vector<UINT>{c.restart ? WM_APP_RUN : WM_APP_QUIT});
    EXPECT_EQ(handedOver, c.restart);
    const auto shown = statuses();
    const auto lt_shown = [&](const std::string& text) { return std::count(shown.begin(), shown.end(), text) > 0; };
    const std::string countdown = fmt::format("Restarting after {} seconds", c.delay);
    EXPECT_EQ((std::tuple{folder.logHas(countdown), lt_shown(countdown), lt_shown("Restarting after 1 second")}),
              (std::tuple{c.restart, c.restart, c.restart}));
    // the clean-up leaves the process as a fresh start would
    EXPECT_EQ((std::tuple{g_runState.load(), g_stop.load()}),
              (std::tuple{c.restart ? RunState::NotYetSet : c.state, !c.restart}));
    EXPECT_FALSE(c.restart && g_quit.load());
    if (c.state == RunState::NewFlight) {
        EXPECT_TRUE(folder.logHas("New flight detected, TRWK will close, please restart manually ..."));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, StopSources,
    ::testing::Values(
        StopCase{"CheckBox", [] { gf_requestStop(RunState::NewSettings, 2); }, RunState::NewSettings, 2, true},
        StopCase{"SimConnect", [] { gf_onSimConnectRequestError(); }, RunState::SimConnectError, 9, true},
        StopCase{"Reader401", [] { gf_stopOnReaderError("Traffic Reader", true); }, RunState::ReaderError, 15,
                 true},
        StopCase{"Disconnect", [] { gf_stopOnSimDisconnect(); }, RunState::SimWasClosed, 0, false},
        StopCase{"NewFlight", [] { gf_requestStop(RunState::NewFlight, 45); }, RunState::NewFlight, 45, false},
        StopCase{"CloseBox", [] { gf_onCloseBox(); }, RunState::UserClosedSim, 0, false},
        StopCase{"ReaderFailed", [] { gf_stopOnReaderError("Traffic Reader", false); }, RunState::SystemError, 0,
                 false}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

// The close box during the countdown, or during the clean-up after it (which empties the status
// line while it waits for the threads of the run), quits instead of restarting.
TEST_F(AppTest, TheCloseBoxDuringARestartQuits)
{
    testsupport::ManualTime time(1767225600);
    for (const bool inCleanUp : {false, true}) {
        SCOPED_TRACE(inCleanUp);
        gf_resetShellState();
        bool countedDown = false;
        int closes = 0;
        gf_setStatusRepaintHook([&] {
            const std::string text = gf_statusLine().text;
            countedDown = countedDown || text == "Restarting after 1 second";
            if (closes == 0 && (inCleanUp ? countedDown && text.empty() : text == "Restarting after 12 seconds")) {
                ++closes;
                gf_onCloseBox();
            }
        });
        gf_stopOnReaderError("Traffic Reader", true);
        EXPECT_FALSE(gf_closingDown());
        gf_setStatusRepaintHook(nullptr);
        EXPECT_EQ(closes, 1);
        EXPECT_EQ(posted().back(), static_cast<UINT>(WM_APP_QUIT)) << "the close box was lost and a new run started";
        EXPECT_TRUE(g_quit.load()) << "no restart clears the close request";
        EXPECT_FALSE(g_restart);
    }
    EXPECT_EQ(posted().size(), 2u);
}

TEST_F(AppTest, ANewSettingsStopDuringTheStartUpRestartsOnlyTheCloseBoxQuits)
{
    testsupport::ManualTime time(1767225600);
    EXPECT_TRUE(gf_requestStop(RunState::NewSettings, 2)); // a scan check box while the scans run
    std::thread(gf_controlThread).join();
    EXPECT_TRUE(folder.logHas("Exiting: NEW SETTINGS"));
    EXPECT_EQ(posted(), std::vector<UINT>{WM_APP_RUN});
    EXPECT_FALSE(g_quit.load());
    gf_onCloseBox();
    std::thread(gf_controlThread).join();
    EXPECT_EQ(posted(), (std::vector<UINT>{WM_APP_RUN, WM_APP_QUIT}));
}

namespace {

// While the close-down waits in SYSTEM ERROR, only the user's request for a new run ends the wait.
struct WaitCase {
    const char* name;
    std::function<void()> request;
    bool restarts;
};

class SystemErrorWait : public AppTest, public ::testing::WithParamInterface<WaitCase> {
protected:
    SystemErrorWait() { gf_createControls(window, nullptr); }
    ~SystemErrorWait() override { g_msfs2020Mode = true; gf_updateSimFamily(); } // as a new process starts
};

// A packages folder with its Community folder, typed into the path box as the user does.
void lf_typeSimPath()
{
    const auto sims = std::filesystem::current_path() / "sims";
    std::filesystem::create_directories(sims / "Community");
    SetWindowTextW(ALL_INSTALL_PATH.hWnd, u"");
    ASSERT_TRUE(w32::testing::type(ALL_INSTALL_PATH.hWnd, sims.u16string() + u"\r"));
    w32::testing::pump();
}

void lf_chooseMsfs2024()
{
    SendMessageW(SIM_CHOICE.hWnd, CB_SETCURSEL, 1, 0);
    ASSERT_TRUE(gf_handleComboBox(g_parentWindow, MAKEWPARAM(SIM_CHOICE.controlId, CBN_SELCHANGE)));
}

} // namespace

TEST_P(SystemErrorWait, ATypedPathOrTheSimulatorSwitchEndTheWaitWithARestart)
{
    const WaitCase& c = GetParam();
    gf_setStringParameter(MSFS_INSTALL_PATH, ""); // and none is detected: error 150
    std::atomic<bool> ended{false};
    {
        testsupport::ManualTime time(1767225600);
        std::thread control([&] {
            gf_controlThread();
            ended = true;
        });
        ASSERT_TRUE(eventually([this] { return folder.logHas("Exiting: SYSTEM ERROR"); }));
        EXPECT_EQ(gf_statusLine().text + (gf_statusLine().error ? ", sticky" : ""),
                  "No install path detected, type full path to your Community folder above, and press Enter, sticky");
        c.request();
        EXPECT_EQ(g_runState.load(), c.restarts ? RunState::NewSettings : RunState::SystemError);
        if (!c.restarts)
            gf_onCloseBox();
        const bool waitEnded = eventually([&] { return ended.load(); }, std::chrono::seconds(20));
        if (!waitEnded)
            g_quit = true; // a wait that did not end does now
        control.join();
        EXPECT_TRUE(waitEnded) << "the run stayed in SYSTEM ERROR";
    }
    EXPECT_EQ(posted(), std::vector<UINT>{c.restarts ? WM_APP_RUN : WM_APP_QUIT});
    if (!c.restarts)
        return;
    EXPECT_TRUE(folder.logHas("Exiting: NEW SETTINGS") && folder.logHas("Restarting after 3 seconds"));
    EXPECT_EQ((std::tuple{g_runState.load(), g_stop.load(), g_quit.load(), gf_statusLine().error}),
              (std::tuple{RunState::NotYetSet, false, false, false}));
    if (std::string(c.name) == "SimulatorSwitch") {
        EXPECT_FALSE(g_msfs2020Mode.load()) << "the close-down took the switch";
        return;
    }
    // the next run starts with the typed path
    EXPECT_EQ(MSFS_INSTALL_PATH.value.get(), (folder.path() / "sims").string());
    scriptService();
    startSimulator();
    std::thread next(gf_controlThread);
    EXPECT_TRUE(eventually([] { return gf_isRunning() && g_userDataCount >= 3; })) << "no next run";
    gf_onCloseBox();
    next.join();
    EXPECT_EQ(posted(), (std::vector<UINT>{WM_APP_RUN, WM_APP_QUIT}));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, SystemErrorWait,
    ::testing::Values(WaitCase{"TypedPath", lf_typeSimPath, true}, WaitCase{"SimulatorSwitch", lf_chooseMsfs2024, true},
                      WaitCase{"CheckBox", [] { gf_requestStop(RunState::NewSettings, 2); }, false},
                      WaitCase{"Reader401", [] { gf_stopOnReaderError("Traffic Reader", true); }, false},
                      WaitCase{"SimConnect", [] { gf_onSimConnectRequestError(); }, false},
                      WaitCase{"Disconnect", [] { gf_stopOnSimDisconnect(); }, false}),
    [](const ::testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });
