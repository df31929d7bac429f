#include "foundation/shell_state.h"

#include <array>
#include <mutex>

std::atomic<bool> g_stop{false};
std::atomic<bool> g_quit{false};
std::atomic<RunState> g_runState{RunState::NotYetSet};
std::atomic<int> g_restartDelay{0};
std::atomic<bool> g_msfs2020Mode{true};
std::atomic<bool> g_professionalAccount{false};

std::string_view gf_runStateName(RunState state)
{
    static constexpr std::array<std::string_view, 8> names{
        "NOT YET SET", "SIM WAS CLOSED",    "NEW FLIGHT",   "NEW SETTINGS",
        "USER CLOSED SIM", "SIMCONNECT ERROR", "READER ERROR", "SYSTEM ERROR"};
    const auto i = static_cast<int>(state);
    return (i >= 0 && i < static_cast<int>(names.size())) ? names[static_cast<std::size_t>(i)] : "???";
}

namespace {
std::mutex g_stopMutex;
std::string g_restartReason; // under g_stopMutex
} // namespace

bool gf_requestStop(RunState state, int restartDelay, std::string_view restartReason)
{
    // the first request wins: its state, delay and reason are the ones the control thread sees
    std::lock_guard lock(g_stopMutex);
    if (g_stop.load())
        return false;
    g_runState = state;
    g_restartDelay = restartDelay;
    g_restartReason = restartReason;
    g_stop = true;
    return true;
}

std::string gf_restartReason()
{
    std::lock_guard lock(g_stopMutex);
    return g_restartReason;
}

bool gf_requestNewRun(int restartDelay)
{
    std::lock_guard lock(g_stopMutex);
    if (g_stop.load() && g_runState.load() != RunState::SystemError)
        return false;
    // the delay before the state: a close-down waiting in SYSTEM ERROR watches the state
    g_restartDelay = restartDelay;
    g_restartReason.clear();
    g_runState = RunState::NewSettings;
    g_stop = true;
    return true;
}

void gf_forceStop(RunState state, int restartDelay)
{
    std::lock_guard lock(g_stopMutex);
    g_runState = state;
    g_restartDelay = restartDelay;
    g_restartReason.clear();
    g_stop = true;
}

void gf_resetShellState()
{
    g_stop = false;
    g_quit = false;
    g_runState = RunState::NotYetSet;
    g_restartDelay = 0;
    g_msfs2020Mode = true;
    g_professionalAccount = false;
    std::lock_guard lock(g_stopMutex);
    g_restartReason.clear();
}
