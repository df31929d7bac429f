#pragma once
// The status line of the main window. Any thread may write it; the window reads it when it paints.
#include <functional>
#include <string>
#include <string_view>

struct StatusLine {
    std::string text;
    bool error = false; // a sticky error: plain status texts are ignored while it is shown
};

// Shows a text; logs it too when `log` is set. Ignored while a sticky error is shown.
void gf_showStatus(std::string_view text, bool log);
// Shows a sticky error and logs "Error {}".
void gf_showError(std::string_view text);
// Empties the status line (the sticky error too).
void gf_clearStatus();

StatusLine gf_statusLine();

// The window installs this to repaint the status line after every change; it is called
// outside the status-line mutex and must not block.
void gf_setStatusRepaintHook(std::function<void()> hook);
