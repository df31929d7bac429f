#include "app/closing_down.h"

#include "app/app_messages.h"
#include "app/control_flags.h"
#include "app/main_window_state.h"
#include "app/panel_requests.h"
#include "app/run_traffic.h"
#include "app/user_data_update.h"
#include "aircraft/livery_summary.h"
#include "airports/park_airports.h"
#include "feed/feed_display.h"
#include "feed/reader_state.h"
#include "feed/readers.h"
#include "feed/session.h"
#include "feed/traffic_client.h"
#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/program.h"
#include "foundation/range.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"
#include "foundation/utc_time.h"
#include "platform/clock.h"
#include "simlink/sim_client.h"
#include "simlink/flight_plan.h"
#include "simlink/sim_state.h"
#include "traffic/run_flags.h"
#include "traffic/traffic_jobs.h"
#include "simlink/user_aircraft.h"
#include "traffic/user_snapshot.h"

#include <chrono>
#include <fmt/format.h>

namespace {

using namespace std::chrono_literals;

void lf_sleep(std::chrono::milliseconds d) { platform::clock().sleepFor(d); }

void lf_saveEmptyText(StringParameter& option)
{
    option.value.set({});
    gf_saveStringParameter(option);
}

void lf_saveBool(BoolParameter& option, bool value)
{
    option.value = value;
    gf_saveBoolParameter(option);
}

void lf_tidyTheRun()
{
    if (gf_parkAirportSet())
        gf_removeGroundAndStaticAc();
    gf_clearRememberedLiveries();
    gf_removeFlightPlanFolder();
    lf_saveEmptyText(DESTINATION);
    lf_saveEmptyText(BLOCK_CALLSIGN);
    g_timeShifted = false;
    if (!KEEP_SIM_TIME_PAR.value) {
        lf_saveBool(SIM_TIME, false);
        gf_resetTimeShift();
    } else if (SIM_TIME.value) {
        gf_resetTimeShift();
    }
    gf_clearGhostCallsigns();
    gf_logLiveryMatchingSummary();
    gf_logNoMatchList();
}

// A SYSTEM ERROR waits for the close box, or for the user's request of a new run (a typed
// simulator path, the simulator switch), which turns it into NEW SETTINGS.
RunState lf_waitForTheUser()
{
    while (!g_quit && g_runState == RunState::SystemError)
        lf_sleep(500ms);
    if (g_quit) {
        gf_showStatus(fmt::format("User closed {}", g_shortDisplayName), true);
        return RunState::SystemError;
    }
    const RunState state = g_runState;
    gf_log(fmt::format("Exiting: {}", gf_runStateName(state)));
    return state;
}

// Restart or quit; true when a restart follows.
bool lf_decide(RunState state)
{
    if (!gf_restartsAfter(state)) {
        if (state == RunState::NewFlight) {
            gf_showStatus(
                fmt::format("New flight detected, {} will close, please restart manually ...", g_shortDisplayName),
                true);
            lf_sleep(10s);
        }
        return false;
    }
    gf_clearStatusAndError();
    gf_showStatus("Prepare for a restart ...", true);
    if (state != RunState::NewSettings) {
        lf_saveBool(SCAN_LIVERIES, false);
        lf_saveBool(SCAN_AIRPORTS, false);
    }
    gf_restartCountdown();
    // the close box during the countdown ends the process
    if (g_quit)
        return false;
    gf_resetForRestart();
    // and so does the close box during the clean-up (its waits may take a while)
    return !g_quit;
}

} // namespace

bool gf_restartsAfter(RunState state)
{
    return state == RunState::NewSettings || state == RunState::SimConnectError || state == RunState::ReaderError;
}

bool gf_closingDown()
{
    try {
        RunState state = g_runState;
        gf_log(fmt::format("Exiting: {}", gf_runStateName(state)));
        gf_setRunning(false);
        if (g_simClientThread.joinable())
            g_simClientThread.request_stop();
        if (!g_sessionGuid.empty()) {
            gf_stopAndWaitForReaders();
            deauthenticate(gf_trafficClient());
        }
        if (state == RunState::SystemError)
            state = lf_waitForTheUser();
        lf_tidyTheRun();
        g_restart = lf_decide(state);
        // what the window asked for between runs, also when a stop was already under way
        gf_takeBetweenRunsRequests();
        const HWND window = g_parentWindow.load();
        if (window == nullptr || !IsWindow(window))
            return false;
        return PostMessageW(window, g_restart ? WM_APP_RUN : WM_APP_QUIT, 0, 0) != FALSE && g_restart;
    } catch (const std::exception& e) {
        gf_showStatus(fmt::format("{} exception {}", "lf_closingDown", e.what()), true);
        return false;
    }
}

void gf_restartCountdown()
{
    const std::int32_t delay = g_restartDelay;
    if (delay <= 0)
        return;
    gf_log(fmt::format("Restarting after {} seconds\n\n\n\n\n", delay));
    // a reason stays in view for the whole wait
    const std::string reason = gf_restartReason();
    for (std::int32_t n = delay; n >= 1 && !g_quit; --n) {
        gf_showStatus(reason.empty() ? fmt::format("Restarting after {} second{}", n, gf_plural(n))
                                     : fmt::format("{}: restarting after {} second{}", reason, n, gf_plural(n)),
                      false);
        lf_sleep(1s);
    }
}

void gf_resetForRestart()
{
    // a reader of this run that was started without a session may still be on its way out
    gf_stopAndWaitForReaders();
    gf_resetRtClients();
    g_readerStop = false;
    g_weatherStop = false;

    // the SimClient thread was asked to stop; its own state is reset only once it has ended
    if (g_simClientThread.joinable())
        g_simClientThread.join();
    gf_resetSimLinkState();
    gf_resetTrafficState();

    gf_resetMainWindowState();
    gf_resetFeedDisplay();
    gf_clearStatusAndError();

    // g_quit is clear here unless the window was closed since the countdown: that close is kept
    g_stop = false;
    g_runState = RunState::NotYetSet;
    gf_resetUserAcState();
    gf_resetUserSnapshot();
    g_flightNotRunning = false;
    g_professionalAccount = false;
    g_recalcParkingRequest = false;
    g_removeBlockedRequest = false;
    g_callsignLookupRequest = false;
    g_userDataCount = 0;
    g_skipParkingRefresh = false;
    gf_setRange(RANGE.value);
}

void gf_resetTimeShift()
{
    for (UiIntParameter* option : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS}) {
        option->value = option->clamped(0);
        gf_saveIntParameter(*option);
    }
}
