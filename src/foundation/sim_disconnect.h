#pragma once
// The stop of a run whose simulator went away.

// Unless a stop is already under way: logs "{} Flight Simulator no longer connected, {} will
// stop ..." and stops the run as "SIM WAS CLOSED" without a restart.
void gf_stopOnSimDisconnect();
