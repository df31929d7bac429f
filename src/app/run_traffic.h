#pragma once
// One run of the traffic: from the simulator and the user aircraft through the login and the
// readers to the tick loop.

// The run; returns when it ends (a stop was requested).
void gf_runTraffic();
// Waits for the running simulator and the user aircraft's position and ground state; false
// when a stop was requested while waiting.
bool gf_waitForUserAircraft();
// Enables or disables the time-shift controls.
void gf_enableTimeShiftControls(bool enable);

// Both readers started in this run have ended (a reader not started counts as ended).
bool gf_readersDone();
// Asks both readers to stop and waits, polling every 100 ms, until they have ended; afterwards
// none counts as started.
void gf_stopAndWaitForReaders();
