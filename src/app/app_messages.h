#pragma once
// The main window's private messages: start a run, end the process.
#include "w32/windows.h"

inline constexpr UINT WM_APP_RUN = WM_APP + 1;  // 0x8001
inline constexpr UINT WM_APP_QUIT = WM_APP + 2; // 0x8002
