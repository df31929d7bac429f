#pragma once
// The run's time bases and its running flag, shared by the control thread, the tick and the
// Traffic Reader.
#include <atomic>
#include <cstdint>
#include <mutex>

// 10 ms passes while the simulator runs; advanced by gf_handleAddingStack at the end of a pass.
extern std::atomic<std::uint32_t> g_tick;
// The current week point: half-hour slot in the upper 32 bits, weekday in the lower
// (gf_slotAndWeekdayNow).
extern std::atomic<std::uint64_t> g_timeSlot;

// Guards g_running (and the traffic manager's feed stack).
extern std::mutex g_flagsMutex;
// The flight is running: the tick loop goes and feed batches are taken. Under g_flagsMutex.
extern bool g_running;

void gf_setRunning(bool running);
bool gf_isRunning();
