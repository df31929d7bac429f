#pragma once
// The status line of the main window. Any thread may write it; the window reads it when it paints.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct StatusLine {
    std::string text;
    bool error = false; // a sticky error: plain status texts are ignored while it is shown
    std::int32_t stamp = 0; // the user-data update count when the text was shown; 0 = none
};

// Shows a text; logs it too when `log` is set. Ignored while a sticky error is shown.
void gf_showStatus(std::string_view text, bool log);
// Shows a sticky error and logs "Error {}".
void gf_showError(std::string_view text);
// Empties the message; a sticky error stays.
void gf_clearStatus();
// Empties the status line, the sticky error too (the restart, the parking refresh, tests).
void gf_clearStatusAndError();

StatusLine gf_statusLine();

// One user-data update: a text shown 25 updates ago (or earlier) is cleared; errors stay.
void gf_countStatusUpdate();
// The update count back to 0 (the clean-up before a restart, tests).
void gf_resetStatusUpdates();

// The window installs this to repaint the status line after every change; it is called
// outside the status-line mutex and must not block.
void gf_setStatusRepaintHook(std::function<void()> hook);
