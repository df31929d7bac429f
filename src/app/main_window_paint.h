#pragma once
// Everything the main window shows apart from its controls, drawn on WM_PAINT from the
// display fields, the options and the status line.
#include "w32/windows.h"

// Keeps the device context in MainWindowState::paintDc and draws the whole window.
void gf_paintMainWindow(HDC hdc);
