// The built-in controls ("button", "Edit", "ComboBox") and the default window procedure.
#include "w32/backend.h"
#include "w32/core.h"

#include <algorithm>

using namespace w32::detail;

namespace {

// Copies `text` into a caller's buffer of `size` units with its terminating zero; the count
// copied without the zero.
LRESULT lf_copyOut(const std::u16string& text, WPARAM size, LPARAM buffer)
{
    if (buffer == 0 || size == 0)
        return 0;
    auto* out = reinterpret_cast<char16_t*>(buffer);
    const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size) - 1);
    std::copy_n(text.begin(), n, out);
    out[n] = 0;
    return static_cast<LRESULT>(n);
}

LRESULT lf_setText(HWND hwnd, LPARAM text)
{
    Core& core = gf_core();
    {
        std::lock_guard lock(core.mutex);
        WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr)
            return FALSE;
        w->text = gf_copyText(reinterpret_cast<LPCWSTR>(text));
        w->caret = w->text.size();
        gf_markDirty(core, w->id);
    }
    gf_wake();
    return TRUE;
}

LRESULT lf_getText(HWND hwnd, WPARAM size, LPARAM buffer)
{
    Core& core = gf_core();
    std::u16string text;
    {
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr)
            return 0;
        if (w->kind == Kind::combo) {
            if (w->curSel >= 0 && w->curSel < static_cast<int>(w->items.size()))
                text = w->items[static_cast<std::size_t>(w->curSel)];
        } else {
            text = w->text;
        }
    }
    return lf_copyOut(text, size, buffer);
}

// Sends a notification to the parent of a control, unless the control is gone or disabled.
void lf_notifyParent(HWND hwnd, WORD code)
{
    Core& core = gf_core();
    HWND parent = nullptr;
    int childId = 0;
    {
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr || !w->enabled)
            return;
        parent = gf_handle<HWND>(w->parent);
        childId = w->childId;
    }
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(childId), code), reinterpret_cast<LPARAM>(hwnd));
}

// Changes a control under the lock and lets the back-end follow.
template <class F> LRESULT lf_change(HWND hwnd, LRESULT missing, F&& f)
{
    Core& core = gf_core();
    LRESULT result = missing;
    {
        std::lock_guard lock(core.mutex);
        WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr)
            return missing;
        result = f(*w);
        gf_markDirty(core, w->id);
    }
    gf_wake();
    return result;
}

} // namespace

namespace w32::detail {

LRESULT gf_buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case BM_GETCHECK: {
        Core& core = gf_core();
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, hwnd);
        return w != nullptr ? static_cast<LRESULT>(w->check) : 0;
    }
    case BM_SETCHECK:
        return lf_change(hwnd, 0, [&](WindowRec& w) {
            if ((w.style & 0xF) == BS_CHECKBOX)
                w.check = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
            return LRESULT{0};
        });
    case kUserClick:
        // A check box does not toggle itself: the parent decides.
        lf_notifyParent(hwnd, BN_CLICKED);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT gf_editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_CHAR)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    const auto ch = static_cast<char16_t>(wParam);
    if (ch != 8 && ch < 32)
        return 0; // Enter, Escape, Tab and other control characters do nothing in a one-line box
    return lf_change(hwnd, 0, [&](WindowRec& w) {
        w.caret = std::min(w.caret, w.text.size());
        if (ch == 8) {
            if (w.caret > 0) {
                w.text.erase(w.caret - 1, 1);
                --w.caret;
            }
        } else {
            w.text.insert(w.caret, 1, ch);
            ++w.caret;
        }
        return LRESULT{0};
    });
}

LRESULT gf_comboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case CB_ADDSTRING:
        return lf_change(hwnd, CB_ERR, [&](WindowRec& w) {
            w.items.push_back(gf_copyText(reinterpret_cast<LPCWSTR>(lParam)));
            return static_cast<LRESULT>(w.items.size() - 1);
        });
    case CB_RESETCONTENT:
        return lf_change(hwnd, CB_ERR, [&](WindowRec& w) {
            w.items.clear();
            w.curSel = -1;
            return CB_OKAY;
        });
    case CB_SETCURSEL:
        return lf_change(hwnd, CB_ERR, [&](WindowRec& w) {
            const auto index = static_cast<LONG_PTR>(wParam);
            if (index < 0 || index >= static_cast<LONG_PTR>(w.items.size())) {
                w.curSel = -1;
                return CB_ERR;
            }
            w.curSel = static_cast<int>(index);
            return static_cast<LRESULT>(index);
        });
    case CB_SELECTSTRING:
        return lf_change(hwnd, CB_ERR, [&](WindowRec& w) {
            const std::u16string wanted = gf_copyText(reinterpret_cast<LPCWSTR>(lParam));
            const auto n = static_cast<LONG_PTR>(w.items.size());
            const auto start = static_cast<LONG_PTR>(wParam);
            const LONG_PTR first = (start < 0 || start >= n) ? 0 : start + 1;
            for (LONG_PTR k = 0; k < n; ++k) {
                const LONG_PTR i = (first + k) % n;
                if (gf_startsWithNoCase(w.items[static_cast<std::size_t>(i)], wanted)) {
                    w.curSel = static_cast<int>(i);
                    return static_cast<LRESULT>(i);
                }
            }
            return CB_ERR; // the selection stays as it was
        });
    case CB_GETCURSEL: {
        Core& core = gf_core();
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, hwnd);
        return w != nullptr && w->curSel >= 0 ? static_cast<LRESULT>(w->curSel) : CB_ERR;
    }
    case CB_GETLBTEXT:
    case CB_GETLBTEXTLEN: {
        Core& core = gf_core();
        std::u16string item;
        {
            std::lock_guard lock(core.mutex);
            const WindowRec* w = gf_findWindow(core, hwnd);
            const auto index = static_cast<LONG_PTR>(wParam);
            if (w == nullptr || index < 0 || index >= static_cast<LONG_PTR>(w->items.size()))
                return CB_ERR;
            item = w->items[static_cast<std::size_t>(index)];
        }
        if (message == CB_GETLBTEXTLEN)
            return static_cast<LRESULT>(item.size());
        if (lParam == 0)
            return CB_ERR;
        // The caller's buffer holds the entry: CB_GETLBTEXTLEN + 1 units.
        auto* out = reinterpret_cast<char16_t*>(lParam);
        std::copy(item.begin(), item.end(), out);
        out[item.size()] = 0;
        return static_cast<LRESULT>(item.size());
    }
    case WM_SETTEXT:
        return FALSE; // a drop-down list shows only its entries
    case kUserSelect: {
        bool changed = false;
        lf_change(hwnd, 0, [&](WindowRec& w) {
            const auto index = static_cast<LONG_PTR>(wParam);
            if (w.enabled && index >= 0 && index < static_cast<LONG_PTR>(w.items.size()) && index != w.curSel) {
                w.curSel = static_cast<int>(index);
                changed = true;
            }
            return LRESULT{0};
        });
        if (changed)
            lf_notifyParent(hwnd, CBN_SELCHANGE);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

testing::ControlColours gf_askControlColours(HWND control)
{
    Core& core = gf_core();
    HWND parent = nullptr;
    UINT message = WM_CTLCOLORSTATIC;
    Id dcId = 0;
    {
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, control);
        if (w == nullptr)
            return {};
        parent = gf_handle<HWND>(w->parent);
        if (w->kind == Kind::edit)
            message = WM_CTLCOLOREDIT;
        dcId = core.nextId++;
        DcRec dc;
        dc.window = w->id;
        core.dcs.emplace(dcId, dc);
    }
    const HDC hdc = gf_handle<HDC>(dcId);
    LRESULT brush = SendMessageW(parent, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(control));
    if (brush == 0)
        brush = DefWindowProcW(parent, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(control));
    std::lock_guard lock(core.mutex);
    testing::ControlColours result;
    const auto dcIt = core.dcs.find(dcId);
    if (dcIt == core.dcs.end())
        return result;
    const DcRec& dc = dcIt->second;
    result.bkColour = dc.bkColour;
    result.bkMode = dc.bkMode;
    result.textColour = dc.textColour;
    result.brush = RGB(255, 255, 255);
    if (const auto it = core.gdi.find(gf_idOf(reinterpret_cast<void*>(brush)));
        it != core.gdi.end() && it->second.kind == GdiObject::Kind::brush)
        result.brush = it->second.dcBrush ? dc.dcBrushColour : it->second.colour;
    core.dcs.erase(dcIt);
    return result;
}

} // namespace w32::detail

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETTEXT:
        return lf_setText(hwnd, lParam);
    case WM_GETTEXT:
        return lf_getText(hwnd, wParam, lParam);
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        if (BeginPaint(hwnd, &ps) != nullptr)
            EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CTLCOLOREDIT: {
        const HDC hdc = reinterpret_cast<HDC>(wParam);
        SetTextColor(hdc, RGB(0, 0, 0));
        SetBkColor(hdc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(gf_handle<HBRUSH>(kStockWhiteBrush));
    }
    case WM_CTLCOLORSTATIC: {
        const HDC hdc = reinterpret_cast<HDC>(wParam);
        SetTextColor(hdc, RGB(0, 0, 0));
        SetBkColor(hdc, RGB(240, 240, 240));
        return reinterpret_cast<LRESULT>(gf_handle<HBRUSH>(kStockFaceBrush));
    }
    default:
        return 0;
    }
}
