#include "simlink/sim_state.h"

#include "simlink/object_list.h"
#include "simlink/sim_messages.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"

#include <cmath>

std::atomic<HSIMCONNECT> g_hSimConnect{nullptr};
std::atomic<bool> g_simNotConnected{true};
std::atomic<bool> g_simRunning{false};
std::atomic<bool> g_simRequestError{false};
std::atomic<float> g_frameRate{0.0f};
std::atomic<std::uint32_t> g_userObjectId{0};

UserAcData g_userData{};
std::mutex g_userDataMutex;

bool gf_positionSet(double lat, double lon) { return std::fabs(lat) > 0.0001 || std::fabs(lon) > 0.0001; }

bool gf_userPositionKnown()
{
    std::lock_guard lock(g_userDataMutex);
    return gf_positionSet(g_userData.latitude, g_userData.longitude);
}

void gf_resetSimLinkState()
{
    g_hSimConnect = nullptr;
    g_simNotConnected = true;
    g_simRunning = false;
    g_simRequestError = false;
    g_frameRate = 0.0f;
    g_userObjectId = 0;
    {
        std::lock_guard lock(g_userDataMutex);
        g_userData = UserAcData{};
    }
    gf_resetUserAcState();
    gf_clearObjectList();
    gf_clearSimClientQueues();
    gf_resetSimMessageState();
}
