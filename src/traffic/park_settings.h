#pragma once
// Settings of the options panel that the park-airport handling takes up; written by the window,
// read by the control thread.
#include <atomic>
#include <cstdint>

// A setting that the park airport's parking file stores was changed: leaving the park airport
// writes its learned file.
extern std::atomic<bool> g_apfParamsChanged;
// MAX_LIVE_SEL as chosen while no park airport is loaded; restored when the park airport is left.
extern std::atomic<std::int32_t> g_maxLiveGeneral;

// Back to the start of a process.
void gf_resetParkSettings();
