#pragma once
// The control thread: one run from the start-up checks to the close-down, at most one at a time.

// The body of every control thread; nothing escapes it.
void gf_controlThread() noexcept;
// On WM_APP_RUN: starts a control thread and detaches it.
void gf_startControlThread();
// The window's close box: quits the run (USER CLOSED SIM unless another reason came first).
// True when no control thread runs, so that the window must quit by itself.
bool gf_onCloseBox();
