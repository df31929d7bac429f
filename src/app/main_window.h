#pragma once
// The process entry and the main window: one instance, the log, the window at its saved
// position and the message loop.
#include "w32/windows.h"

// -1 at once, silently, when another instance runs; else what initInstance returns.
int wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
// Registers the window class, creates the window, makes sure the per-user data folder exists,
// posts WM_APP_RUN and runs the message loop: the wParam of WM_QUIT, or 0 when the window could
// not be set up.
int initInstance(HINSTANCE instance);
// The main window's class, named by the title.
bool gf_registerWindowClass(HINSTANCE instance, LPCWSTR title);
// Creates, shows and updates the window at the saved position; false when it failed.
bool gf_createMainWindow(HINSTANCE instance, LPCWSTR title);
// A saved coordinate at its limit gets the given one (clamped) and is saved.
void gf_resetWindowPosAtLimit(int x, int y);
// The window procedure of the main window.
LRESULT wndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The program's string table (string 101: the title).
void gf_setProgramResources();
