#pragma once
// The end of a run: the close-down, the restart countdown and the clean-up before a restart.
#include "foundation/shell_state.h"

// NEW SETTINGS, SIMCONNECT ERROR and READER ERROR end in a restart, every other state in a quit.
bool gf_restartsAfter(RunState state);
// Ends the run by its run state; posts WM_APP_RUN (restart) or WM_APP_QUIT to the main window.
// True when it posted WM_APP_RUN, so that the next control thread takes over. A failure inside
// is shown and ends it at once, without posting.
bool gf_closingDown();
// Counts g_restartDelay seconds down on the status line, after the stop's restart reason when it
// has one; ends early when the window is closed.
void gf_restartCountdown();
// Clears the per-run state so that the next run starts as a fresh process would; a close of the
// window that came after the countdown is kept.
void gf_resetForRestart();
// TIME_SHIFT_DAYS, TIME_SHIFT_HOURS and TIME_SHIFT_MINS to 0, each saved.
void gf_resetTimeShift();
