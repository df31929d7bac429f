// The main window's procedure: its messages and the two private ones that start a run and end
// the process.
#include "app/app_messages.h"
#include "app/control_thread.h"
#include "app/main_window.h"
#include "app/main_window_paint.h"
#include "app/main_window_state.h"
#include "app/window_commands.h"
#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/program.h"
#include "foundation/status_line.h"
#include "foundation/utc_time.h"

#include <fmt/format.h>
#include <stdexcept>

namespace {

void lf_paint(HWND hwnd)
{
    PAINTSTRUCT ps{};
    const HDC hdc = BeginPaint(hwnd, &ps);
    try {
        gf_paintMainWindow(hdc);
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{} exception {}", "gf_paintMainWindow", e.what()));
    }
    EndPaint(hwnd, &ps);
}

// The close box: the run is asked to stop; its close-down posts WM_APP_QUIT. Without a
// control thread nobody would, so the window quits by itself.
void lf_onClose(HWND hwnd)
{
    gf_showStatus(fmt::format("Close window button clicked, closing {} ...", g_shortDisplayName), false);
    if (gf_onCloseBox())
        PostMessageW(hwnd, WM_APP_QUIT, 0, 0);
}

void lf_startRun()
{
    try {
        gf_startControlThread();
    } catch (const std::exception& e) {
        gf_showError(fmt::format("{} exception {}", "WM_APP_RUN", e.what()));
    }
}

void lf_saveCoordinate(IntParameter& option, LONG value)
{
    option.value = option.clamped(value);
    gf_saveIntParameter(option);
}

// Saves the window position and ends the message loop.
void lf_quit(HWND hwnd)
{
    const std::int32_t previousX = MAIN_WINDOW_X.value;
    const std::int32_t previousY = MAIN_WINDOW_Y.value;
    RECT rect{};
    if (GetWindowRect(hwnd, &rect)) {
        lf_saveCoordinate(MAIN_WINDOW_X, rect.left);
        lf_saveCoordinate(MAIN_WINDOW_Y, rect.top);
        gf_resetWindowPosAtLimit(previousX, previousY);
    }
    gf_log(gf_utcTimeText(gf_wallClockSeconds()));
    PostQuitMessage(0);
}

LRESULT lf_controlColours(WPARAM wParam)
{
    const HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(153, 204, 255));
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

LRESULT lf_handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        gf_createControls(hwnd, reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        lf_paint(hwnd);
        return 0;
    case WM_CLOSE:
        lf_onClose(hwnd);
        return 0;
    case WM_COMMAND:
        return gf_handleCommand(hwnd, wParam) ? 0 : DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return lf_controlColours(wParam);
    case WM_APP_RUN:
        lf_startRun();
        return 0;
    case WM_APP_QUIT:
        lf_quit(hwnd);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace

LRESULT wndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_parentWindow = hwnd;
    try {
        return lf_handle(hwnd, message, wParam, lParam);
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{} exception {}", "wndProc", e.what()));
        return 0;
    }
}
