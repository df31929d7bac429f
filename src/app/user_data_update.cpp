#include "app/user_data_update.h"

#include "app/control_flags.h"
#include "app/main_window_state.h"
#include "app/panel_requests.h"
#include "app/startup_jobs.h"
#include "aircraft/livery_summary.h"
#include "airports/park_airports.h"
#include "airports/park_apf.h"
#include "feed/live_records.h"
#include "feed/query_box.h"
#include "foundation/half_hours.h"
#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/time_shift.h"
#include "foundation/utc_time.h"
#include "simlink/sim_queues.h"
#include "traffic/parked_counts.h"
#include "traffic/run_flags.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_jobs.h"
#include "simlink/user_aircraft.h"
#include "traffic/user_snapshot.h"

#include <algorithm>
#include <cstdlib>
#include <fmt/format.h>
#include <optional>

namespace {

// passes left until the next round of the not-running jobs
std::int32_t g_notRunningCountdown = 100;
// the simulator time at the previous update (sim-time follow); control thread only. 0 at the
// start of a run, so that the first update with SIM_TIME on takes the simulator's clock.
std::optional<std::int64_t> g_notedSimTime{0};

void lf_followSimTime()
{
    if (g_simTimeNoteRequest.exchange(false))
        g_notedSimTime = SIM_TIME.value ? 0 : g_simEpochTime.load();
    if (!g_professionalAccount || !SIM_TIME.value)
        return;
    const std::int64_t t = g_simEpochTime;
    if (g_notedSimTime && std::llabs(t - *g_notedSimTime) >= 30) {
        const std::int64_t minutes = std::max<std::int64_t>(0, (gf_wallClockSeconds() - t) / 60);
        gf_setTimeShift(static_cast<std::int32_t>(std::min<std::int64_t>(minutes, g_maxTimeShiftMinutes)), false);
    }
    g_notedSimTime = t;
}

void lf_lookUpCallsign()
{
    if (!g_callsignLookupRequest)
        return;
    const std::string callsign = CALLSIGN_2_OBJECTID.value.get();
    if (const auto objectId = gf_activeLiveObjectId(callsign)) {
        g_mainWindowState.callsignObjectId.set(fmt::format("= {}", *objectId));
    } else {
        g_mainWindowState.callsignObjectId.set({});
        gf_showStatus(fmt::format("callsign '{}' is unknown", callsign), true);
    }
    gf_repaint(WindowArea::optionsPanel);
    g_callsignLookupRequest = false;
}

void lf_flushStatic()
{
    if (!g_flushStaticRequest)
        return;
    gf_removeAllStaticAc();
    g_flushStaticRequest = false;
    if (!INITIAL_LOAD_ONLY.value) {
        INITIAL_LOAD_ONLY.value = true;
        gf_showCheckBox(INITIAL_LOAD_ONLY);
    }
}

void lf_collisionRules()
{
    const bool onGround = g_userOnGround;
    if ((onGround && COLLISION_USER_GND.value) || (!onGround && COLLISION_USER_AIR.value))
        gf_avoidCollisionWithUser(gf_copyUserSnapshot(), onGround);
    if (COLLISION_LIVE_PARKED_GND.value)
        gf_avoidLiveParkedCollisions();
}

void lf_removeBlocked()
{
    if (!g_removeBlockedRequest)
        return;
    if (const std::string callsign = BLOCK_CALLSIGN.value.get(); !callsign.empty())
        gf_removeActiveLiveAcByCallsign(callsign);
    g_removeBlockedRequest = false;
}

void lf_staticParkingRecalculation()
{
    if (!g_recalcParkingRequest)
        return;
    if (!g_skipParkingRefresh) {
        // phase one: the Traffic Reader collects the feed index during the next 15 updates
        g_skipParkingRefresh = true;
        gf_beginBusyMode();
        g_collectFeedIndex = true;
        if (gf_parkAirportSet() && gf_parkStandCount() > 0)
            gf_requestParkedTraffic(); // a pass takes the answer and finds its stands, the fit in phase two
        return;
    }
    g_skipParkingRefresh = false;
    gf_clearStatusAndError();
    if (gf_parkAirportSet() && gf_parkStandCount() > 0) {
        gf_adjustParking(g_ptOnlyPending);
        g_ptOnlyPending = false;
    }
    g_recalcParkingRequest = false;
}

} // namespace

void gf_onUserDataUpdate()
{
    if (g_flightNotRunning) {
        g_flightNotRunning = false;
        gf_log(fmt::format("{} Flight resumed", gf_utcClockText()));
        gf_setRunning(true);
    }
    gf_countStatusUpdate();
    gf_showCounters();
    g_timeSlot = gf_slotAndWeekdayNow();
    lf_followSimTime();
    gf_takePanelRequests(); // a shift that follows the simulator's time takes effect at once
    ++g_userDataCount;
    gf_checkNextDuplicate(g_timeSlot);
    lf_lookUpCallsign();
    lf_flushStatic();
    lf_collisionRules();
    lf_removeBlocked();
}

void gf_parkingAndRangeJobs()
{
    lf_staticParkingRecalculation();
    const std::int32_t c = g_userDataCount;
    if (c % 30 == 0 && AUTO_RANGE.value)
        gf_setAutoRange();
    if (c % 60 == 0) {
        const std::int32_t m = c / 60;
        g_mainWindowState.nextRenewalMinutes = (m / 20 + 1) * 20 - m;
        gf_repaint(WindowArea::optionsPanel); // where "(next in N min)" stands
    }
    if (c % 1200 == 0) {
        gf_logNoMatchList();
        if (g_parkAirportLoaded && (!INITIAL_LOAD_ONLY.value || RT_PARKTRAFFIC_ONLY.value) && !g_recalcParkingRequest)
            g_recalcParkingRequest = true;
    }
    if (c % 86400 == 0) {
        g_userDataCount = 0;
        gf_logLiveryMatchingSummary();
        gf_clearRememberedLiveries();
    }
}

void gf_handleRereadRequest()
{
    if (!g_rereadRequest || g_mainWindowState.busy)
        return;
    std::string message;
    gf_checkParkAirportsAndStands(true, message);
    if (!message.empty())
        gf_showStatus(message, true);
    EnableWindow(g_rereadButton.hWnd, TRUE);
    EnableWindow(DESTINATION.hWnd, TRUE);
    g_rereadRequest = false;
}

void gf_flightNotRunning()
{
    if (!g_flightNotRunning) {
        gf_setRunning(false);
        g_flightNotRunning = true;
        g_notRunningCountdown = 100;
        {
            // no stale positions are sent when the simulator runs again
            std::lock_guard lock(g_simConnectMutex);
            g_posFront->clear();
            g_posBack->clear();
        }
        gf_log(fmt::format("{} Flight not running", gf_utcClockText()));
    }
    gf_processObjectList();
    --g_notRunningCountdown;
    if (g_notRunningCountdown % 100 == 0) {
        gf_handleRereadRequest();
        gf_updateQueryBox();
    }
    if (g_notRunningCountdown < 1) {
        g_notRunningCountdown = 100;
        gf_showCounters();
        g_timeSlot = gf_slotAndWeekdayNow();
    }
}

void gf_showCounters()
{
    MainWindowState& s = g_mainWindowState;
    if (const std::int32_t live = gf_countActiveLiveAc(); s.liveCount.exchange(live) != live)
        gf_repaint(WindowArea::header);
    const std::int32_t parkedLive = gf_countParkedLiveAc(true);
    const std::int32_t parkedStatic = gf_countStaticAcInSim(true);
    const auto lt_show = [](auto& field, auto value) { return field.exchange(value) != value; };
    bool changed = lt_show(s.parkedLiveCount, parkedLive);
    changed = lt_show(s.parkedStaticCount, parkedStatic) || changed;
    changed = lt_show(s.meanFitStatic, g_meanStaticParkedHours.load()) || changed;
    changed = lt_show(s.meanFitLive, g_meanLiveParkedHours.load()) || changed;
    changed = lt_show(s.maxPark, g_maxParked.load()) || changed;
    changed = lt_show(s.maxParkPercent, g_maxParkedPercent.load()) || changed;
    changed = lt_show(s.standUpdates, static_cast<std::int32_t>(g_learnedUpdates.load())) || changed;
    if (changed)
        gf_repaint(WindowArea::statistics);
}

void gf_resetUserDataUpdate()
{
    g_notRunningCountdown = 100;
    g_notedSimTime = 0;
}
