// The message queue: posted messages first in, first out; then WM_QUIT; WM_PAINT only when
// nothing else waits.
#include "w32/backend.h"
#include "w32/core.h"

using namespace w32::detail;

namespace w32::detail {

bool gf_takeMessage(Core& core, MSG& msg)
{
    if (!core.queue.empty()) {
        msg = core.queue.front();
        core.queue.pop_front();
        return true;
    }
    if (core.quitPosted) {
        core.quitPosted = false;
        msg = MSG{nullptr, WM_QUIT, core.quitCode, 0, 0, POINT{0, 0}};
        return true;
    }
    for (const auto& [id, w] : core.windows) {
        if (w->updatePending && w->visible) {
            msg = MSG{gf_handle<HWND>(id), WM_PAINT, 0, 0, 0, POINT{0, 0}};
            return true;
        }
    }
    return false;
}

} // namespace w32::detail

BOOL GetMessageW(MSG* msg, HWND, UINT, UINT)
{
    if (msg == nullptr)
        return -1;
    Core& core = gf_core();
    Backend& backend = gf_backend();
    for (;;) {
        backend.processInput();
        backend.sync();
        std::unique_lock lock(core.mutex);
        if (gf_takeMessage(core, *msg))
            return msg->message == WM_QUIT ? FALSE : TRUE;
        backend.wait(lock);
    }
}

BOOL TranslateMessage(const MSG*)
{
    return FALSE; // typed characters arrive as WM_CHAR already
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (msg == nullptr || msg->hwnd == nullptr)
        return 0;
    return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Core& core = gf_core();
    {
        std::lock_guard lock(core.mutex);
        if (!gf_postLocked(core, hwnd, message, wParam, lParam))
            return FALSE;
    }
    gf_wake();
    return TRUE;
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Core& core = gf_core();
    WNDPROC proc = nullptr;
    {
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr)
            return 0;
        proc = w->proc;
    }
    return proc != nullptr ? proc(hwnd, message, wParam, lParam) : 0;
}

void PostQuitMessage(int exitCode)
{
    Core& core = gf_core();
    {
        std::lock_guard lock(core.mutex);
        core.quitPosted = true;
        core.quitCode = static_cast<WPARAM>(exitCode);
    }
    gf_wake();
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return proc != nullptr ? proc(hwnd, message, wParam, lParam) : 0;
}
