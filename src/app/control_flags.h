#pragma once
// The control thread's own state and the requests that reach it from the window as atomic flags.
#include "foundation/geometry.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

// The close-down decided to restart (control thread only).
extern bool g_restart;
// A control thread is running or has handed over to the next one with WM_APP_RUN.
extern std::atomic<bool> g_controlThreadAlive;
// Seconds since the last visit of the web service (LAST_EPOCH_TIME:), noted by each run.
extern std::atomic<std::int64_t> g_secondsSinceLastVisit;

// Requests of the window's commands, taken by the per-update work.
extern std::atomic<bool> g_rereadRequest;
extern std::atomic<bool> g_recalcParkingRequest;
extern std::atomic<bool> g_flushStaticRequest;
extern std::atomic<bool> g_callsignLookupRequest;
extern std::atomic<bool> g_removeBlockedRequest;
extern std::atomic<bool> g_ptOnlyPending;  // the new RT_PARKTRAFFIC_ONLY for the next adjustment
extern std::atomic<bool> g_timeShiftClearRequest; // a new time shift: the per-update work removes the old traffic
extern std::atomic<bool> g_navLightsRequest;       // NAV_LIGHTS_WHILE_PARKED toggled
extern std::atomic<bool> g_removeExcessLiveRequest; // MAX_LIVE_SEL chosen
extern std::atomic<bool> g_autoRangeRequest;       // AUTO_RANGE switched on
extern std::atomic<bool> g_simTimeNoteRequest;     // SIM_TIME toggled: the noted simulator time follows
// DESTINATION typed: the airport that the per-update work puts first in the park-airport list.
struct DestinationRequest {
    std::string code;
    LatLon position;
};
void gf_requestDestination(const std::string& code, const LatLon& position);
std::optional<DestinationRequest> gf_takeDestinationRequest();
// Requests that the control thread takes between two runs, never during one.
extern std::atomic<bool> g_clearLiveriesRequest; // the liveries are scanned again
extern std::atomic<bool> g_simSwitchRequest;     // SIM_CHOICE changed

// Tick loop state (control thread; atomics because the window reads some of them).
extern std::atomic<bool> g_flightNotRunning;
extern std::atomic<bool> g_skipParkingRefresh; // between the two phases of a parking recalculation
extern std::atomic<std::int32_t> g_userDataCount;

// Back to the start of a process.
void gf_resetControlFlags();
