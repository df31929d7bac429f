#pragma once
// The SimClient thread: owns the connection to the simulator for one run.
#include <stop_token>
#include <thread>

// Started by the run after gf_resetSimClientQueues; the close-down requests its stop and joins it.
extern std::jthread g_simClientThread;

// The thread body: waits for the simulator, registers, pumps messages every millisecond until
// the stop is requested, then remembers the user's stand and closes the connection.
void SimClient(std::stop_token stop);
