#pragma once
// The work of the tick loop that is counted in user-data updates (about one a second), and the
// passes while the flight does not run.

// The per-update work: resume, status stamp, counters, time slot, sim-time follow, the update
// count, the duplicate check, the window's requests and the collision rules.
void gf_onUserDataUpdate();
// The slow jobs of every 15th update.
void gf_parkingAndRangeJobs();
// The "Re-read" request, unless the busy mode is on.
void gf_handleRereadRequest();
// A pass while the simulator does not run or a request error is pending.
void gf_flightNotRunning();
// The window's counts of live and parked aircraft.
void gf_showCounters();

// The simulator time noted at the last update (sim-time follow), back to none.
void gf_resetUserDataUpdate();
