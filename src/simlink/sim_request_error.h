#pragma once
// A failed simulator request ends the run with "SIMCONNECT ERROR".

// Any thread: shows "SimConnect request error" (logged), sets g_simRequestError and, when no
// stop is under way, stops the run with a restart after 9 seconds.
void gf_onSimConnectRequestError();
