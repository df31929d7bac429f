#include "app/control_flags.h"

#include "traffic/park_settings.h"

#include <mutex>
#include <utility>

bool g_restart = false;
std::atomic<bool> g_controlThreadAlive{false};
std::atomic<std::int64_t> g_secondsSinceLastVisit{0};
std::atomic<bool> g_rereadRequest{false};
std::atomic<bool> g_recalcParkingRequest{false};
std::atomic<bool> g_flushStaticRequest{false};
std::atomic<bool> g_callsignLookupRequest{false};
std::atomic<bool> g_removeBlockedRequest{false};
std::atomic<bool> g_ptOnlyPending{false};
std::atomic<bool> g_timeShiftClearRequest{false};
std::atomic<bool> g_navLightsRequest{false};
std::atomic<bool> g_removeExcessLiveRequest{false};
std::atomic<bool> g_autoRangeRequest{false};
std::atomic<bool> g_simTimeNoteRequest{false};
std::atomic<bool> g_clearLiveriesRequest{false};
std::atomic<bool> g_simSwitchRequest{false};
std::atomic<bool> g_flightNotRunning{false};
std::atomic<bool> g_skipParkingRefresh{false};
std::atomic<std::int32_t> g_userDataCount{0};

namespace {

std::mutex g_destinationMutex;
std::optional<DestinationRequest> g_destinationRequest; // under g_destinationMutex

} // namespace

void gf_requestDestination(const std::string& code, const LatLon& position)
{
    std::lock_guard lock(g_destinationMutex);
    g_destinationRequest = DestinationRequest{code, position};
}

std::optional<DestinationRequest> gf_takeDestinationRequest()
{
    std::lock_guard lock(g_destinationMutex);
    return std::exchange(g_destinationRequest, std::nullopt);
}

void gf_resetControlFlags()
{
    g_restart = false;
    g_controlThreadAlive = false;
    g_secondsSinceLastVisit = 0;
    g_rereadRequest = false;
    g_recalcParkingRequest = false;
    g_flushStaticRequest = false;
    g_callsignLookupRequest = false;
    g_removeBlockedRequest = false;
    g_ptOnlyPending = false;
    g_timeShiftClearRequest = false;
    g_navLightsRequest = false;
    g_removeExcessLiveRequest = false;
    g_autoRangeRequest = false;
    g_simTimeNoteRequest = false;
    g_clearLiveriesRequest = false;
    g_simSwitchRequest = false;
    g_flightNotRunning = false;
    g_skipParkingRefresh = false;
    g_userDataCount = 0;
    gf_takeDestinationRequest();
    gf_resetParkSettings();
}
