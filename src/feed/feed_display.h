#pragma once
// The feed's part of the main window's header and of the traffic manager's state. The window
// reads these when it paints the header; every change is followed by gf_repaintHeaderArea.
#include <atomic>
#include <cstdint>

inline constexpr std::int32_t g_lampReceiving = 1;
inline constexpr std::int32_t g_lampNoData = 2;
inline constexpr std::int32_t g_lampNotRunning = 3;

extern std::atomic<std::int32_t> g_trafficLamp; // 1 receiving, 2 no data, 3 reader not running
extern std::atomic<std::int32_t> g_weatherLamp;
extern std::atomic<std::int32_t> g_windowQnh;   // QNH shown, hPa; 0 until the first one
extern std::atomic<bool> g_sessionActive;       // from a successful login to a successful logout
extern std::atomic<std::int32_t> g_trafficQnh;  // QNH of the traffic manager's vertical motion

// Lamps not running, no QNH shown, no session; g_trafficQnh 1013 (tests and the run's reset).
void gf_resetFeedDisplay();
