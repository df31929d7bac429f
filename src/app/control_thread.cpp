#include "app/control_thread.h"

#include "app/closing_down.h"
#include "app/control_flags.h"
#include "app/main_window_state.h"
#include "app/panel_requests.h"
#include "app/run_traffic.h"
#include "app/startup_jobs.h"
#include "airports/park_airports.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/tasks.h"
#include "foundation/user_error.h"
#include "simlink/flight_plan.h"

#include <algorithm>
#include <filesystem>
#include <fmt/format.h>
#include <new>
#include <thread>

namespace {

// The program folder holds "docs".
void lf_checkFolder()
{
    std::error_code ec;
    const auto status = std::filesystem::status("docs", ec);
    if (ec && status.type() != std::filesystem::file_type::not_found)
        throw std::filesystem::filesystem_error("status", "docs", ec);
    if (!std::filesystem::is_directory(status))
        throw brv::UserErrorException(
            41, fmt::format("{} must be run from the {} folder!", g_shortDisplayName, g_shortDisplayName));
}

// A livery list that is gone is scanned again.
void lf_checkLiveryList()
{
    if (std::filesystem::exists(g_liveriesScannedPath) || SCAN_LIVERIES.value)
        return;
    gf_showStatus(fmt::format("File {} is gone, rescan liveries", g_liveriesScannedPath.string()), true);
    SCAN_LIVERIES.value = true;
    gf_saveBoolParameter(SCAN_LIVERIES);
    gf_showCheckBox(SCAN_LIVERIES);
    gf_repaint(WindowArea::optionsPanel);
}

void lf_prepareRun()
{
    gf_createFlightPlanFolder();
    gf_readMyParkAirports();
    EnableWindow(g_rereadButton.hWnd, TRUE);
    if (const std::string destination = DESTINATION.value.get(); !destination.empty())
        if (const auto position = gf_findAirportPosition(destination))
            gf_setDestination(destination, *position);
    SetWindowPos(g_parentWindow.load(), ALWAYS_ON_TOP.value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

// Stopped before the run: a stop that asks for a new run (a check box during the scans) gets
// it; any other ends the process. Only the close box sets g_quit on its own.
void lf_stoppedBeforeRun()
{
    gf_requestStop(RunState::UserClosedSim, g_restartDelay.load());
    if (!gf_restartsAfter(g_runState))
        g_quit = true;
}

void lf_run()
{
    gf_takeBetweenRunsRequests(); // asked for after the last close-down took its requests
    lf_checkFolder();
    gf_startupChecks();
    gf_noteLastVisit();
    g_maxTasks = static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency())); // 0 when unknown
    g_runningTasks.exchange(0);
    lf_checkLiveryList();
    gf_runLiveryScan();
    if (gf_stopRequested()) {
        lf_stoppedBeforeRun();
        return;
    }
    gf_airportScanAndHold();
    if (gf_stopRequested()) {
        lf_stoppedBeforeRun();
        return;
    }
    lf_prepareRun();
    gf_runTraffic();
}

// Every failure of a run is shown and ends it as "SYSTEM ERROR"; a later stop cannot replace that.
void lf_runAndCatch() noexcept
{
    try {
        try {
            lf_run();
        } catch (const brv::UserErrorException& e) {
            const std::string text = e.what();
            gf_showError(text.empty() ? "Unknown exception" : text);
            gf_forceStop(RunState::SystemError, 0);
        } catch (const fmt::format_error& e) {
            gf_showError(fmt::format("std::format error: {}", e.what()));
            gf_showError(e.what());
            gf_forceStop(RunState::SystemError, 0);
        } catch (const std::bad_alloc& e) {
            gf_showError(e.what());
            gf_forceStop(RunState::SystemError, 0);
        } catch (const std::exception& e) {
            gf_showError(e.what());
            gf_forceStop(RunState::SystemError, 0);
        } catch (...) {
            gf_showError("Unknown exception");
            gf_forceStop(RunState::SystemError, 0);
        }
    } catch (...) {
        // showing the error failed: the state is set all the same
        gf_forceStop(RunState::SystemError, 0);
    }
}

} // namespace

void gf_controlThread() noexcept
{
    g_controlThreadAlive = true;
    lf_runAndCatch();
    bool handedOver = false;
    try {
        handedOver = gf_closingDown();
    } catch (...) {
        handedOver = false;
    }
    if (!handedOver)
        g_controlThreadAlive = false;
}

void gf_startControlThread()
{
    g_controlThreadAlive = true;
    try {
        std::thread(gf_controlThread).detach();
    } catch (...) {
        g_controlThreadAlive = false;
        throw;
    }
}

bool gf_onCloseBox()
{
    g_quit = true;
    gf_requestStop(RunState::UserClosedSim, g_restartDelay.load());
    g_stop = true;
    return !g_controlThreadAlive.load();
}
