#pragma once
// The tick loop: 10 ms passes on a deadline grid of the steady clock.
#include <chrono>
#include <functional>

inline constexpr std::chrono::milliseconds g_tickPeriod{10};

// Runs `pass` until it returns false. Each deadline is the previous one plus `period`, whatever
// a pass costs: a pass that overruns is followed at once by the next one. While the simulator
// link has new user data the grid is moved to now.
void gf_runTickGrid(const std::function<bool()>& pass, std::chrono::nanoseconds period = g_tickPeriod);

// The run's tick loop; returns when a stop was requested.
void gf_tickLoop();
// One pass; false ends the loop.
bool gf_tick();
