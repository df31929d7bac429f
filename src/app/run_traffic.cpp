#include "app/run_traffic.h"

#include "app/main_window_state.h"
#include "app/startup_jobs.h"
#include "app/tick_loop.h"
#include "app/user_data_update.h"
#include "aircraft/livery_tables.h"
#include "feed/feed_display.h"
#include "feed/live_records.h"
#include "feed/query_box.h"
#include "feed/reader_state.h"
#include "feed/readers.h"
#include "feed/session.h"
#include "foundation/half_hours.h"
#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/shell_state.h"
#include "foundation/time_shift.h"
#include "foundation/utc_time.h"
#include "platform/clock.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_request_error.h"
#include "simlink/sim_state.h"
#include "traffic/run_flags.h"
#include "traffic/traffic_jobs.h"
#include "simlink/user_aircraft.h"
#include "traffic/user_snapshot.h"

#include <chrono>
#include <cmath>
#include <gsl/gsl>

namespace {

using namespace std::chrono_literals;

std::atomic<bool> g_trafficReaderStarted{false};
std::atomic<bool> g_weatherReaderStarted{false};

void lf_sleep(std::chrono::milliseconds d) { platform::clock().sleepFor(d); }

bool lf_userPositionSet()
{
    const UserAcData user = gf_copyUserSnapshot();
    return gf_positionSet(user.latitude, user.longitude);
}

void lf_startSimClient()
{
    if (g_simClientThread.joinable()) {
        g_simClientThread.request_stop();
        g_simClientThread.join();
    }
    g_simClientThread = std::jthread(SimClient);
}

// "No traffic in this region?" when no record has come within 15 seconds; the run goes on.
// A stop ends the wait at once.
void lf_waitForFirstFeedTime()
{
    const auto feedTime = [] { return gsl::narrow<std::int64_t>(std::round(g_latestFeedTime.load())); };
    for (int round = 0; round < 150 && feedTime() == 0; ++round) {
        if (gf_stopRequested())
            return;
        lf_sleep(100ms);
    }
    if (feedTime() == 0)
        gf_log("No traffic in this region?");
}

void lf_waitForFirstReception()
{
    platform::Clock& clock = platform::clock();
    const platform::SteadyTime begin = clock.steadyNow();
    while (!g_firstReception) {
        if (gf_stopRequested())
            return;
        if (clock.steadyNow() - begin > 10s) {
            gf_log("TrafficReader receiving timed out after 10 seconds?");
            gf_requestStop(RunState::ReaderError, 15);
            return;
        }
        lf_sleep(100ms);
    }
}

// The header names the account; the time-shift controls and their options are for a
// professional account only.
void lf_applyAccountType()
{
    const bool professional = g_professionalAccount;
    g_mainWindowState.rtAccountText.set(professional ? "Professional account" : "Standard account");
    gf_enableTimeShiftControls(professional);
    if (professional)
        return;
    gf_setTimeShift(0, true);
    if (KEEP_SIM_TIME_PAR.value) {
        KEEP_SIM_TIME_PAR.value = false;
        gf_saveBoolParameter(KEEP_SIM_TIME_PAR);
        gf_showCheckBox(KEEP_SIM_TIME_PAR);
    }
}

} // namespace

bool gf_waitForUserAircraft()
{
    while (!g_simRunning || g_simRequestError) {
        if (gf_stopRequested())
            return false;
        lf_sleep(100ms);
    }
    {
        std::lock_guard lock(g_simConnectMutex);
        if (SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_AC_GND_AIR, DEF_SIM_ON_GROUND,
                                              SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND) < 0) {
            gf_logError("SimConnect request ac gnd/air fails");
            gf_onSimConnectRequestError();
        }
    }
    while (!g_userOnGroundKnown || !lf_userPositionSet()) {
        if (gf_stopRequested())
            return false;
        gf_setUserSnapshot(gf_requestUserData());
        lf_sleep(500ms);
    }
    gf_requestUserTitleAndModel();
    while (!lf_userPositionSet()) {
        if (gf_stopRequested())
            return false;
        gf_setUserSnapshot(gf_requestUserData());
        lf_sleep(200ms);
    }
    return !gf_stopRequested();
}

void gf_enableTimeShiftControls(bool enable)
{
    const BOOL on = enable ? TRUE : FALSE;
    for (const UiControl* control : {static_cast<const UiControl*>(&TIME_SHIFT_DAYS),
                                     static_cast<const UiControl*>(&TIME_SHIFT_HOURS),
                                     static_cast<const UiControl*>(&TIME_SHIFT_MINS),
                                     static_cast<const UiControl*>(&SIM_TIME),
                                     static_cast<const UiControl*>(&KEEP_SIM_TIME_PAR)})
        EnableWindow(control->hWnd, on);
    if (!enable) {
        g_mainWindowState.timeControlsEnabled = false;
        gf_repaint(WindowArea::optionsPanel);
    }
}

bool gf_readersDone()
{
    return (!g_trafficReaderStarted || g_trafficReaderDone) && (!g_weatherReaderStarted || g_weatherReaderDone);
}

void gf_stopAndWaitForReaders()
{
    g_weatherStop = true;
    g_readerStop = true;
    while (!gf_readersDone())
        lf_sleep(100ms);
    // the clients may now be reset for the next run, which clears their done flags
    g_trafficReaderStarted = false;
    g_weatherReaderStarted = false;
}

void gf_runTraffic()
{
    MainWindowState& window = g_mainWindowState;
    g_sessionActive = false;
    window.simConnected = false;
    gf_repaint(WindowArea::header);
    gf_initTrafficContainers();
    gf_reserveLiveryTables();
    gf_resetSimClientQueues();
    gf_resetUserDataUpdate();
    g_trafficReaderStarted = false;
    g_weatherReaderStarted = false;
    gf_repaint(WindowArea::header);

    lf_startSimClient();
    if (!gf_waitForUserAircraft())
        return;
    if (AUTO_RANGE.value) {
        gf_setAutoRange();
        EnableWindow(RANGE.hWnd, FALSE);
    }
    if (gf_stopRequested())
        return;
    window.rtIdle = false;
    gf_repaint(WindowArea::header);
    if (gf_stopRequested())
        return;
    gf_setRunning(false);

    gf_updateQueryBox();
    // without a login the account type is not known: the user's time settings stay as they are
    if (gf_authenticater())
        lf_applyAccountType();
    g_trafficLamp = g_lampNoData;
    g_weatherLamp = g_lampNoData;
    gf_repaint(WindowArea::header);

    for (int round = 0; round < 10 && g_sessionGuid.empty(); ++round)
        lf_sleep(300ms);
    g_weatherReaderStarted = true;
    gf_startWeatherReader();
    for (int round = 0; round < 10 && g_windowQnh == 0; ++round)
        lf_sleep(300ms);
    gf_handleRereadRequest();
    // the reader judges its first answer, the start-up snapshots, against this position: set
    // before it starts, so that an answer quicker than the wait below is not lost
    const UserAcData user = gf_copyUserSnapshot();
    gf_setReaderRefPos(LatLon{user.latitude, user.longitude});
    g_trafficReaderStarted = true;
    gf_startTrafficReader();
    lf_sleep(300ms);

    lf_waitForFirstFeedTime();
    g_timeSlot = gf_slotAndWeekdayNow();
    lf_waitForFirstReception();
    gf_tickLoop();
}
