// Update regions and painting: InvalidateRect joins rectangles into the window's update region
// from any thread; the GUI thread is woken only when a region appears.
#include "w32/backend.h"
#include "w32/core.h"

using namespace w32::detail;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    Core& core = gf_core();
    bool wake = false;
    {
        std::lock_guard lock(core.mutex);
        WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr)
            return FALSE;
        if (w->kind != Kind::custom) {
            gf_markDirty(core, w->id); // a control just draws itself again
            wake = true;
        } else {
            const bool before = w->updatePending;
            gf_unionUpdate(*w, rect != nullptr ? *rect : RECT{0, 0, w->width, w->height}, erase != FALSE);
            wake = !before && w->updatePending && w->visible;
        }
    }
    if (wake)
        gf_wake();
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    if (ps == nullptr)
        return nullptr;
    Core& core = gf_core();
    Id window = 0;
    Id dcId = 0;
    RECT clip{};
    bool erase = false;
    HBRUSH background = nullptr;
    {
        std::lock_guard lock(core.mutex);
        WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr || w->kind != Kind::custom)
            return nullptr;
        if (w->updatePending)
            clip = w->update;
        erase = w->erase;
        w->updatePending = false;
        w->erase = false;
        w->update = RECT{};
        w->raster.resize(w->width, w->height);
        background = w->background;
        window = w->id;
        dcId = core.nextId++;
        DcRec dc;
        dc.window = window;
        dc.paint = true;
        dc.clip = clip;
        core.dcs.emplace(dcId, dc);
    }
    const HDC hdc = gf_handle<HDC>(dcId);
    gf_backend().beginPaint(window, clip);
    *ps = PAINTSTRUCT{};
    ps->hdc = hdc;
    ps->rcPaint = clip;
    if (erase) {
        if (background != nullptr && gf_fill(hdc, clip, background, w32::testing::DrawOp::Kind::erase))
            ps->fErase = FALSE;
        else
            ps->fErase = TRUE; // the window erases for itself
    }
    return hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (ps == nullptr)
        return FALSE;
    Core& core = gf_core();
    const Id window = gf_idOf(hwnd);
    {
        std::lock_guard lock(core.mutex);
        const auto it = core.dcs.find(gf_idOf(ps->hdc));
        if (it == core.dcs.end() || !it->second.paint || it->second.window != window)
            return FALSE;
        if (WindowRec* w = gf_findWindow(core, window); w != nullptr) {
            w->lastPaint = std::move(it->second.ops);
            ++w->paintCount;
        }
        core.dcs.erase(it);
    }
    gf_backend().endPaint(window);
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    Core& core = gf_core();
    bool due = false;
    {
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr)
            return FALSE;
        due = w->kind == Kind::custom && w->updatePending && w->visible;
    }
    if (due)
        SendMessageW(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}
