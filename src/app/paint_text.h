#pragma once
// Texts and colours of the main window's paint. Drawn on the device context of the running
// WM_PAINT (MainWindowState::paintDc); GUI thread only.
#include "w32/windows.h"

#include <string>

inline constexpr COLORREF g_blackColour = RGB(0, 0, 0);
inline constexpr COLORREF g_greyColour = RGB(160, 160, 160);
inline constexpr COLORREF g_greenColour = RGB(50, 205, 50);
inline constexpr COLORREF g_yellowColour = RGB(255, 255, 0);
inline constexpr COLORREF g_redColour = RGB(255, 0, 0);
inline constexpr COLORREF g_blueColour = RGB(153, 204, 255);

// Draws a UTF-8 text at (x, y); a text that cannot be converted is logged and not drawn.
void gf_textOut(int x, int y, const std::string& text, COLORREF colour);
// Black when `enabled`, grey otherwise.
void gf_textOutEnabled(int x, int y, const std::string& text, bool enabled);

// The labels of the options panel.
void gf_paintOptionLabels();
