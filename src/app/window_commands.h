#pragma once
// The main window's controls and its WM_COMMAND handling.
#include "w32/windows.h"

// On WM_CREATE: creates the controls of the options panel, then repaints the panel.
void gf_createControls(HWND window, const CREATESTRUCTW* create);
// On WM_COMMAND: true when the command was handled. A failure of a command is logged and the
// command dropped.
bool gf_handleCommand(HWND window, WPARAM wParam);
