#pragma once
// The connection state of the simulator link, shared by every thread.
#include "simconnect/simconnect.h"
#include "simlink/sim_records.h"

#include <atomic>
#include <cstdint>
#include <mutex>

extern std::atomic<HSIMCONNECT> g_hSimConnect;     // written only by the SimClient thread (and the reset)
extern std::atomic<bool> g_simNotConnected;        // set by the reset, cleared when an open succeeds
extern std::atomic<bool> g_simRunning;             // the simulator's "Sim" state
extern std::atomic<bool> g_simRequestError;        // a request failed: nothing more is sent this run
extern std::atomic<float> g_frameRate;             // frames per second as last sampled
extern std::atomic<std::uint32_t> g_userObjectId;  // the user aircraft's object id

// The latest user-aircraft data, under g_userDataMutex.
extern UserAcData g_userData;
extern std::mutex g_userDataMutex;

// A position counts as set when |lat| or |lon| is above 0.0001 degrees.
bool gf_positionSet(double lat, double lon);
bool gf_userPositionKnown();

// Back to the state before the first run (tests, and the clean-up before a restart).
void gf_resetSimLinkState();
