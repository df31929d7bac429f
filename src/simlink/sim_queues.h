#pragma once
// The hand-over queues from the traffic manager to the simulator link, all under
// g_simConnectMutex, which also guards every simulator call made outside the SimClient thread.
#include "simlink/sim_records.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

extern std::mutex g_simConnectMutex;

// The position buffer pair: the traffic manager fills *g_posFront during a tick and swaps the
// two pointers under the mutex; the frame handler sends and empties *g_posBack.
extern std::array<std::vector<AiPosition>, 2> g_posBuffers;
extern std::vector<AiPosition>* g_posFront;
extern std::vector<AiPosition>* g_posBack;
// The pass (g_tick) that filled *g_posBack, set at the swap; for observers of the frame send.
extern std::uint32_t g_posBackTick;

extern std::vector<CreateRequest> g_createQueue;
extern std::vector<ClientEvent> g_eventQueue;
extern std::vector<std::uint32_t> g_removeQueue;
// SimClient thread only while a run is active
extern std::vector<PendingCreate> g_pendingCreates;

// Run start, before the SimClient thread starts: room for 256 entries, g_simRequestError cleared.
void gf_resetSimClientQueues();
// Empties every queue (tests, and the state reset).
void gf_clearSimClientQueues();

void gf_queueCreate(const CreateRequest& request);
void gf_queueClientEvent(const ClientEvent& event);
// For callers that already hold g_simConnectMutex.
void gf_appendClientEvent(const ClientEvent& event);
// NAV, BEACON, LANDING, TAXI, STROBES, LOGO, CABIN in this order of the values.
void gf_setLights(std::uint32_t objectId, const std::array<std::uint32_t, 7>& values);
void gf_setCabinLights(std::uint32_t objectId, std::uint32_t value);
// A new own aircraft: the simulator's AI lets go of it, and it is frozen in place.
void gf_freezeAiObject(std::uint32_t objectId);
void gf_setSpoilersAndThrottle(std::uint32_t objectId, bool on, bool reverse);
