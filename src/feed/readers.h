#pragma once
// The two reader threads, their start, the reset of both clients before a run and the lamps.

// Thread bodies. Each sets its done flag (g_trafficReaderDone, g_weatherReaderDone) on every way
// out; an end other than a stop request stops the other reader and the run.
void gf_trafficReader();
void gf_weatherReader();

// Start a reader as a detached thread (done flag cleared first; set again when the thread
// cannot be started, and the std::system_error passed on).
void gf_startTrafficReader();
void gf_startWeatherReader();

// Both clients back to the state of a new run; never raises. Only once both readers are done.
void gf_resetRtClients() noexcept;

// Sets the traffic and weather lamps from the data state, repainting on change; nothing while
// no session is active.
void gf_updateRtLamps();
