#pragma once
// The messages of the simulator, all handled on the SimClient thread.
#include "simconnect/simconnect.h"

#include <cstdint>
#include <string>
#include <vector>

// Ids announced by "ObjectAdded" not yet seen in an in-range answer (SimClient thread only).
extern std::vector<std::uint32_t> g_addedObjectIds;
// Frames since the frame rate was last sampled (SimClient thread only).
extern int g_frameCount;

// The dispatch procedure given to SimConnect_CallDispatch. Errors 71, 77 and 95 leave it as
// brv::UserErrorException.
void gf_dispatch(SIMCONNECT_RECV* pData, std::uint32_t cbData, void* pContext);

// "MSFS 20{} is running ..." naming the simulator that actually answered.
std::string gf_wrongSimMessage();

void gf_resetSimMessageState();
