#include "simlink/sim_queues.h"

#include "simlink/sim_ids.h"
#include "simlink/sim_messages.h"
#include "simlink/sim_state.h"

std::mutex g_simConnectMutex;
std::array<std::vector<AiPosition>, 2> g_posBuffers;
std::vector<AiPosition>* g_posFront = &g_posBuffers[0];
std::vector<AiPosition>* g_posBack = &g_posBuffers[1];
std::uint32_t g_posBackTick = 0;
std::vector<CreateRequest> g_createQueue;
std::vector<ClientEvent> g_eventQueue;
std::vector<std::uint32_t> g_removeQueue;
std::vector<PendingCreate> g_pendingCreates;

void gf_resetSimClientQueues()
{
    constexpr std::size_t room = 256;
    {
        std::lock_guard lock(g_simConnectMutex);
        g_posBuffers[0].reserve(room);
        g_posBuffers[1].reserve(room);
        g_createQueue.reserve(room);
        g_removeQueue.reserve(room);
    }
    g_pendingCreates.reserve(room);
    g_addedObjectIds.reserve(room);
    g_simRequestError = false;
}

void gf_clearSimClientQueues()
{
    std::lock_guard lock(g_simConnectMutex);
    g_posBuffers[0].clear();
    g_posBuffers[1].clear();
    g_posFront = &g_posBuffers[0];
    g_posBack = &g_posBuffers[1];
    g_posBackTick = 0;
    g_createQueue.clear();
    g_eventQueue.clear();
    g_removeQueue.clear();
    g_pendingCreates.clear();
}

void gf_queueCreate(const CreateRequest& request)
{
    std::lock_guard lock(g_simConnectMutex);
    g_createQueue.push_back(request);
}

void gf_queueClientEvent(const ClientEvent& event)
{
    std::lock_guard lock(g_simConnectMutex);
    g_eventQueue.push_back(event);
}

void gf_appendClientEvent(const ClientEvent& event) { g_eventQueue.push_back(event); }

void gf_setLights(std::uint32_t objectId, const std::array<std::uint32_t, 7>& values)
{
    static constexpr std::array<std::uint32_t, 7> events{EVENT_NAV_LIGHTS,   EVENT_BEACON_LIGHTS, EVENT_LANDING_LIGHTS,
                                                         EVENT_TAXI_LIGHTS,  EVENT_STROBES,       EVENT_LOGO_LIGHTS,
                                                         EVENT_CABIN_LIGHTS};
    std::lock_guard lock(g_simConnectMutex);
    for (std::size_t i = 0; i < events.size(); ++i)
        gf_appendClientEvent({objectId, events[i], values[i]});
}

void gf_setCabinLights(std::uint32_t objectId, std::uint32_t value)
{
    std::lock_guard lock(g_simConnectMutex);
    gf_appendClientEvent({objectId, EVENT_CABIN_LIGHTS, value});
}

void gf_freezeAiObject(std::uint32_t objectId)
{
    std::lock_guard lock(g_simConnectMutex);
    SimConnect_AIReleaseControl(g_hSimConnect, objectId, REQ_AI_RELEASE_CONTROL);
    gf_appendClientEvent({objectId, EVENT_FREEZE_LAT_LON, 1});
    gf_appendClientEvent({objectId, EVENT_FREEZE_ALTITUDE, 1});
    gf_appendClientEvent({objectId, EVENT_FREEZE_ATTITUDE, 1});
}

void gf_setSpoilersAndThrottle(std::uint32_t objectId, bool on, bool reverse)
{
    // spoilers, throttle 1, throttle 2
    std::array<double, 3> values{0.0, 0.0, 0.0};
    if (on)
        values = reverse ? std::array<double, 3>{100.0, -100.0, -100.0} : std::array<double, 3>{100.0, 100.0, 100.0};
    std::lock_guard lock(g_simConnectMutex);
    SimConnect_SetDataOnSimObject(g_hSimConnect, DEF_AI_CONTROLS, objectId, 0, 0, sizeof(values), values.data());
}
