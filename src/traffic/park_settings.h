#pragma once
// Settings of the options panel that the park-airport handling takes up; written by the window,
// read by the control thread.
#include "airports/park_apf.h" // g_apfParamsChanged

#include <atomic>
#include <cstdint>

// MAX_LIVE_SEL as chosen while no park airport is loaded; restored when the park airport is left.
extern std::atomic<std::int32_t> g_maxLiveGeneral;

// Back to the start of a process.
void gf_resetParkSettings();
