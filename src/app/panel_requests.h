#pragma once
// What the commands of the options panel share, and the requests they hand to the control
// thread: the window's thread never walks the tick's lists nor clears what a run reads.
#include <atomic>
#include <cstdint>

// The RANGE chosen by hand, restored when AUTO_RANGE is switched off.
extern std::atomic<std::int32_t> g_manualRange;

// AUTO_RANGE switched: on saves RANGE in g_manualRange and applies the automatic range (at once
// on the control thread, else through the control thread), off restores g_manualRange; the RANGE
// box is enabled exactly while it is off, the AR_ABOVE_HEIGHT box exactly while it is on.
void gf_switchAutoRange(bool on, bool onControlThread);
// A static-parking setting changed: while a park airport is loaded, the parking is recalculated
// at the next multiple of 15 user-data updates (announced), unless INITIAL_LOAD_ONLY is on.
void gf_parkingSettingsChanged();
// Ends the blocking of BLOCK_CALLSIGN; nothing when none is blocked.
void gf_unblockCallsign();
// SIM_TIME applied: off sets the time shift to 0; the time-shift boxes are enabled exactly while
// it is off; the control thread notes the simulator's time anew.
void gf_applySimTime(bool simTimeOn);

// The per-update work (control thread): the aircraft of the old time after a time shift, nav
// lights of parked aircraft, the live maximum, the automatic range, the destination.
void gf_takePanelRequests();
// Between two runs (control thread): the livery tables emptied, the simulator switched.
void gf_takeBetweenRunsRequests();
