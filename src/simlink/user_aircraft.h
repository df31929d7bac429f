#pragma once
// The user aircraft: its data, on-ground state, title, type, wingspan and stand, and the
// simulator's clock. The answers arrive on the SimClient thread; the requests are made by the
// run and the tick on the control thread.
#include "aircraft/size_class.h"
#include "simconnect/simconnect.h"
#include "simlink/sim_records.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

// Set at every on-ground answer (about once a second); the tick takes it with a compare-exchange.
extern std::atomic<bool> g_newUserData;
extern std::atomic<bool> g_userOnGround;
// An on-ground answer with a known position has arrived.
extern std::atomic<bool> g_userOnGroundKnown;
// The simulator's UTC time in seconds since 1970, from the latest user data.
extern std::atomic<std::int64_t> g_simEpochTime;

// Under g_simConnectMutex, unless a request error is pending: asks once for the user data
// (request 109) and returns a copy of the latest answer already received.
UserAcData gf_requestUserData();
// Under g_simConnectMutex: asks once for the title (106), then for the ATC model (107).
void gf_requestUserTitleAndModel();
// The name of the stand nearest to the user aircraft; empty when there is none.
std::string gf_findUserStand();

// The answers to requests 106 to 109, on the SimClient thread.
void gf_onUserAcData(const SIMCONNECT_RECV_SIMOBJECT_DATA& m);

// What the answers have made known, for any thread.
std::string gf_userTitle();
std::string gf_userStandName();
// Half the wingspan in nautical miles; set from the first model answer on.
std::optional<double> gf_userHalfWingspan();
SizeClass gf_userSizeClass();

// Everything above back to its start (a new run, tests).
void gf_resetUserAcState();
