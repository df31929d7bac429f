#pragma once
// Test helpers of the window layer: run the queue without blocking, act as the user would
// (click, choose, type, close box) and look at what was painted.
#include "w32/windows.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace w32::testing {

// One drawing call of a paint, with the device-context state that applied to it.
struct DrawOp {
    enum class Kind { erase, fillRect, polyline, textOut };
    Kind kind = Kind::fillRect;
    RECT rect{};               // erase, fillRect
    std::vector<POINT> points; // polyline
    int x = 0;                 // textOut: top-left corner
    int y = 0;
    std::u16string text;      // textOut
    COLORREF colour = 0;      // brush, pen or text colour
    int penWidth = 0;         // polyline
    int bkMode = 0;           // textOut: TRANSPARENT or OPAQUE
    COLORREF bkColour = 0;    // textOut
};

// A text drawn by TextOutW.
struct DrawnText {
    std::string text; // UTF-8
    int x = 0;
    int y = 0;
    COLORREF colour = 0;
    int bkMode = 0;
};

// What the parent answers a control's WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC with.
struct ControlColours {
    COLORREF brush = 0;
    COLORREF bkColour = 0;
    int bkMode = 0;
    COLORREF textColour = 0;
};

struct PumpResult {
    int dispatched = 0;  // messages handed to window procedures (WM_PAINT included)
    bool quit = false;   // WM_QUIT was taken from the queue
    WPARAM quitCode = 0; // its wParam
};

// Back to the start: every window, class, message, string and brush is gone, the headless
// back-end is in force. Call it on the GUI thread.
void reset();

// Takes native input, then dispatches every posted message and every due WM_PAINT until none
// is left, without waiting. Stops at WM_QUIT.
PumpResult pump();

// The user's actions. Each returns false, and sends nothing, when the control is missing,
// disabled, hidden or of another kind. The messages arrive with the next pump().
bool click(HWND button);                       // a button or check box
bool select(HWND comboBox, int index);         // an entry of a drop-down list
bool type(HWND edit, std::u16string_view text); // one WM_CHAR per UTF-16 unit; Enter is u'\r'
bool pressCloseBox(HWND topLevel);
bool pressEscape(HWND topLevel);
bool moveWindow(HWND topLevel, int x, int y); // the user drags the window

// What the last completed paint of a window drew.
std::vector<DrawOp> lastPaint(HWND hwnd);
int paintCount(HWND hwnd);
std::vector<DrawnText> drawnTexts(HWND hwnd);
// The first text of the last paint that contains `part`.
std::optional<DrawnText> findText(HWND hwnd, std::string_view part);

// Colour of the client area at (x, y): from the fills and lines painted so far (headless), or
// read from the real window with its controls (FLTK).
std::optional<COLORREF> colourAt(HWND hwnd, int x, int y);
// Writes the client area as a PNG file.
bool screenshot(HWND hwnd, const std::filesystem::path& png);

// Asks the control's parent for its colours, as drawing the control does.
ControlColours controlColours(HWND control);
std::vector<std::u16string> comboItems(HWND comboBox);
bool isTopmost(HWND topLevel);
// How often the GUI thread has been woken since the start of the process.
std::uint64_t wakeUpCount();

} // namespace w32::testing
