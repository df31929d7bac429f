#include "app/panel_requests.h"

#include "app/control_flags.h"
#include "app/main_window_state.h"
#include "app/startup_jobs.h"
#include "aircraft/livery_tables.h"
#include "airports/park_airports.h"
#include "foundation/log.h"
#include "foundation/load_parameters.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/program.h"
#include "foundation/range.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"
#include "foundation/time_shift.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/live_ac_utilities.h"
#include "traffic/park_settings.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <filesystem>
#include <fmt/format.h>
#include <mutex>
#include <stdexcept>

std::atomic<std::int32_t> g_manualRange{40};

namespace {

// Every static aircraft in the simulator and every parked live one gets its nav lights set.
void lf_setParkedNavLights(bool on)
{
    const std::uint32_t value = on ? 1 : 0;
    std::lock_guard lock(g_simConnectMutex);
    for (const StaticAc& ac : g_staticAircraft)
        if (ac.acState == AcState::active)
            gf_appendClientEvent(ClientEvent{ac.objectId, EVENT_NAV_LIGHTS, value});
    for (const LiveAc& ac : g_liveAircraft)
        if (ac.acState == AcState::active && ac.flightState == FlightState::parked)
            gf_appendClientEvent(ClientEvent{ac.objectId, EVENT_NAV_LIGHTS, value});
}

} // namespace

void gf_switchAutoRange(bool on, bool onControlThread)
{
    g_apfParamsChanged = true;
    if (on) {
        g_manualRange = RANGE.value.load();
        if (onControlThread)
            gf_setAutoRange();
        else
            g_autoRangeRequest = true;
    } else {
        gf_setRange(g_manualRange);
        gf_showIntParameter(RANGE);
        gf_clearStatus();
    }
    EnableWindow(RANGE.hWnd, on ? FALSE : TRUE);
    EnableWindow(AR_ABOVE_HEIGHT.hWnd, on ? TRUE : FALSE);
}

void gf_parkingSettingsChanged()
{
    if (!g_parkAirportLoaded)
        return;
    g_apfParamsChanged = true;
    if (INITIAL_LOAD_ONLY.value) {
        gf_clearStatus();
        return;
    }
    const std::int32_t count = g_userDataCount;
    const std::int32_t n = 15 * (count / 15 + 1) - count;
    if (n > 0)
        gf_showStatus(fmt::format("{} will respond in {} second{} ...", g_shortDisplayName, n, gf_plural(n)), false);
    g_recalcParkingRequest = true;
}

void gf_unblockCallsign()
{
    const std::string callsign = BLOCK_CALLSIGN.value.get();
    if (callsign.empty())
        return;
    BLOCK_CALLSIGN.value.set({});
    gf_saveStringParameter(BLOCK_CALLSIGN);
    gf_showStringParameter(BLOCK_CALLSIGN);
    EnableWindow(g_unblockButton.hWnd, FALSE);
    gf_showStatus(fmt::format("no more blocking of live aircraft '{}'", callsign), true);
    g_removeBlockedRequest = true;
}

void gf_applySimTime(bool simTimeOn)
{
    if (!simTimeOn) {
        gf_splitTimeShift(0);
        gf_setTimeShift(0, false);
    }
    g_simTimeNoteRequest = true;
    for (const UiIntParameter* box : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS})
        EnableWindow(box->hWnd, simTimeOn ? FALSE : TRUE);
}

void gf_takePanelRequests()
{
    if (g_timeShiftClearRequest.exchange(false)) {
        gf_removeLiveAcForTimeShift();
        gf_removeAllStaticAc();
        g_recalcParkingRequest = true;
    }
    if (g_navLightsRequest.exchange(false))
        lf_setParkedNavLights(NAV_LIGHTS_WHILE_PARKED.value);
    if (g_removeExcessLiveRequest.exchange(false))
        gf_removeExcessLiveAc();
    if (g_autoRangeRequest.exchange(false) && AUTO_RANGE.value)
        gf_setAutoRange();
    if (const auto destination = gf_takeDestinationRequest()) {
        try {
            gf_setDestinationParkAirport(destination->code, destination->position);
        } catch (const std::exception& e) {
            gf_logError(fmt::format("{} exception {}", "lf_setDestination", e.what()));
        }
    }
}

void gf_takeBetweenRunsRequests()
{
    const bool switchSim = g_simSwitchRequest.exchange(false);
    if (g_clearLiveriesRequest.exchange(false) || switchSim) {
        gf_clearLiveryTables();
        g_liveriesProcessed = false;
    }
    if (!switchSim)
        return;
    gf_applySimChoice();
    gf_repaint(WindowArea::header);
    std::error_code ec;
    std::filesystem::remove(g_liveriesScannedPath, ec);
    if (ec)
        gf_logError(fmt::format("{} exception {}",
                                "lf_switchSimulator",
                                std::filesystem::filesystem_error("remove", g_liveriesScannedPath, ec).what()));
}
