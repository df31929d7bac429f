#include "traffic/run_flags.h"

std::atomic<std::uint32_t> g_tick{0};
std::atomic<std::uint64_t> g_timeSlot{0};
std::mutex g_flagsMutex;
bool g_running = false;

void gf_setRunning(bool running)
{
    std::lock_guard lock(g_flagsMutex);
    g_running = running;
}

bool gf_isRunning()
{
    std::lock_guard lock(g_flagsMutex);
    return g_running;
}
