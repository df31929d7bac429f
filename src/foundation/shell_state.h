#pragma once
// The run's stop and quit requests and the run state, shared by every thread.
#include <atomic>
#include <string>
#include <string_view>

enum class RunState : int {
    NotYetSet = 0,
    SimWasClosed = 1,
    NewFlight = 2,
    NewSettings = 3,
    UserClosedSim = 4,
    SimConnectError = 5,
    ReaderError = 6,
    SystemError = 7,
};

// "NOT YET SET", "SIM WAS CLOSED", ...; "???" for a value outside the list.
std::string_view gf_runStateName(RunState state);

extern std::atomic<bool> g_stop;         // stop request of the current run
extern std::atomic<bool> g_quit;         // the process is quitting
extern std::atomic<RunState> g_runState; // why the run ended
extern std::atomic<int> g_restartDelay;  // seconds before an automatic restart
extern std::atomic<bool> g_msfs2020Mode; // true: the 2020 simulator, false: 2024
// The live-traffic account may shift the time (set by the login, cleared before a restart).
extern std::atomic<bool> g_professionalAccount;

// A stop of the run or the quit of the process was asked for.
inline bool gf_stopRequested() { return g_stop.load() || g_quit.load(); }

// Sets g_runState and g_restartDelay, then g_stop, only when no stop was requested yet.
// Returns false when a stop was already under way. `restartReason` is shown with the restart
// countdown (the service's message of a lock-out); empty for the plain countdown.
bool gf_requestStop(RunState state, int restartDelay, std::string_view restartReason = {});
// The restart reason of the stop that ended the run.
std::string gf_restartReason();
// Sets g_runState, g_restartDelay and g_stop whatever came before (an error that must not be
// overwritten by a later stop source).
void gf_forceStop(RunState state, int restartDelay);
// The user asks for a new run (a typed simulator path, the simulator switch): NEW SETTINGS as
// gf_requestStop sets it, and also over a SYSTEM ERROR, whose wait for the close box it ends.
// False when another stop was already under way.
bool gf_requestNewRun(int restartDelay);

// Back to the state of a new process (tests, and the clean-up before a restart).
void gf_resetShellState();
