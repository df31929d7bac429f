// Window classes, windows and their placement, state and text.
#include "w32/backend.h"
#include "w32/core.h"

#include <algorithm>

using namespace w32::detail;

namespace {

// The window and all its descendants, a parent before its children.
void lf_collectTree(Core& core, Id id, std::vector<Id>& out)
{
    const WindowRec* w = gf_findWindow(core, id);
    if (w == nullptr)
        return;
    out.push_back(id);
    for (const Id child : w->children)
        lf_collectTree(core, child, out);
}

// A child control by its id under a parent (first created first).
WindowRec* lf_findChild(Core& core, HWND parent, int id)
{
    const WindowRec* p = gf_findWindow(core, parent);
    if (p == nullptr)
        return nullptr;
    for (const Id childId : p->children) {
        WindowRec* c = gf_findWindow(core, childId);
        if (c != nullptr && c->childId == id)
            return c;
    }
    return nullptr;
}

} // namespace

ATOM RegisterClassExW(const WNDCLASSEXW* wc)
{
    if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXW) || wc->lpfnWndProc == nullptr ||
        wc->lpszClassName == nullptr || reinterpret_cast<UINT_PTR>(wc->lpszClassName) < 0x10000)
        return 0;
    const std::u16string name(wc->lpszClassName);
    if (name.empty() || gf_equalNoCase(name, u"button") || gf_equalNoCase(name, u"edit") ||
        gf_equalNoCase(name, u"combobox"))
        return 0;
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    for (const ClassRec& c : core.classes)
        if (gf_equalNoCase(c.name, name))
            return 0;
    core.classes.push_back(ClassRec{name, wc->style, wc->lpfnWndProc, wc->hbrBackground});
    return static_cast<ATOM>(0xC000 + core.classes.size() - 1);
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    if (className == nullptr || reinterpret_cast<UINT_PTR>(className) < 0x10000)
        return nullptr;
    const std::u16string cls(className);
    Core& core = gf_core();
    Id id = 0;
    {
        std::lock_guard lock(core.mutex);
        auto rec = std::make_unique<WindowRec>();
        if (gf_equalNoCase(cls, u"button")) {
            rec->kind = Kind::button;
            rec->proc = &gf_buttonProc;
        } else if (gf_equalNoCase(cls, u"edit")) {
            rec->kind = Kind::edit;
            rec->proc = &gf_editProc;
        } else if (gf_equalNoCase(cls, u"combobox")) {
            rec->kind = Kind::combo;
            rec->proc = &gf_comboProc;
        } else {
            const auto it = std::find_if(core.classes.begin(), core.classes.end(),
                                         [&](const ClassRec& c) { return gf_equalNoCase(c.name, cls); });
            if (it == core.classes.end())
                return nullptr;
            rec->kind = Kind::custom;
            rec->proc = it->proc;
            rec->classStyle = it->style;
            rec->background = it->background;
        }
        WindowRec* p = nullptr;
        if ((style & WS_CHILD) != 0) {
            p = gf_findWindow(core, parent);
            if (p == nullptr)
                return nullptr;
            rec->parent = p->id;
            rec->childId = static_cast<int>(reinterpret_cast<UINT_PTR>(menu) & 0xFFFF);
        } else if (rec->kind != Kind::custom) {
            return nullptr; // the built-in controls live inside a window
        }
        rec->id = core.nextId++;
        rec->className = cls;
        rec->style = style;
        rec->exStyle = exStyle;
        rec->x = x;
        rec->y = y;
        rec->width = std::max(0, width);
        rec->height = rec->kind == Kind::combo ? kComboClosedHeight : std::max(0, height);
        if (rec->kind != Kind::combo)
            rec->text = gf_copyText(windowName);
        rec->caret = rec->text.size();
        rec->enabled = (style & WS_DISABLED) == 0;
        id = rec->id;
        if (p != nullptr)
            p->children.push_back(id);
        core.windows.emplace(id, std::move(rec));
        gf_markDirty(core, id);
    }
    const HWND hwnd = gf_handle<HWND>(id);
    CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName,
                     className, exStyle};
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0)
        ShowWindow(hwnd, SW_SHOW);
    gf_wake();
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    Core& core = gf_core();
    std::vector<Id> tree;
    {
        std::lock_guard lock(core.mutex);
        lf_collectTree(core, gf_idOf(hwnd), tree);
    }
    if (tree.empty())
        return FALSE;
    for (const Id id : tree)
        SendMessageW(gf_handle<HWND>(id), WM_DESTROY, 0, 0);
    gf_backend().destroyed(tree);
    std::lock_guard lock(core.mutex);
    if (WindowRec* w = gf_findWindow(core, tree.front()); w != nullptr && w->parent != 0)
        if (WindowRec* p = gf_findWindow(core, w->parent); p != nullptr)
            std::erase(p->children, w->id);
    for (const Id id : tree) {
        core.windows.erase(id);
        core.dirty.erase(id);
    }
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int cmdShow)
{
    Core& core = gf_core();
    BOOL wasVisible = FALSE;
    {
        std::lock_guard lock(core.mutex);
        WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr)
            return FALSE;
        wasVisible = w->visible ? TRUE : FALSE;
        w->visible = cmdShow != 0;
        if (w->visible && !wasVisible && w->kind == Kind::custom)
            gf_unionUpdate(*w, RECT{0, 0, w->width, w->height}, true);
        gf_markDirty(core, w->id);
    }
    gf_wake();
    return wasVisible;
}

BOOL IsWindow(HWND hwnd)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    return gf_findWindow(core, hwnd) != nullptr ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    Core& core = gf_core();
    BOOL wasDisabled = FALSE;
    {
        std::lock_guard lock(core.mutex);
        WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr)
            return FALSE;
        wasDisabled = w->enabled ? FALSE : TRUE;
        if (w->enabled == (enable != FALSE))
            return wasDisabled;
        w->enabled = enable != FALSE;
        gf_markDirty(core, w->id);
    }
    gf_wake();
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const WindowRec* w = gf_findWindow(core, hwnd);
    return w != nullptr && w->enabled ? TRUE : FALSE;
}

HWND GetDlgItem(HWND parent, int id)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const WindowRec* c = lf_findChild(core, parent, id);
    return c != nullptr ? gf_handle<HWND>(c->id) : nullptr;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
    if (rect == nullptr)
        return FALSE;
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const WindowRec* w = gf_findWindow(core, hwnd);
    if (w == nullptr)
        return FALSE;
    LONG left = w->x;
    LONG top = w->y;
    for (const WindowRec* p = gf_findWindow(core, w->parent); p != nullptr; p = gf_findWindow(core, p->parent)) {
        left += p->x;
        top += p->y;
    }
    *rect = RECT{left, top, left + w->width, top + w->height};
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Core& core = gf_core();
    {
        std::lock_guard lock(core.mutex);
        WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr)
            return FALSE;
        if ((flags & SWP_NOMOVE) == 0) {
            w->x = x;
            w->y = y;
        }
        if ((flags & SWP_NOSIZE) == 0 && (cx != w->width || cy != w->height)) {
            w->width = std::max(0, cx);
            w->height = w->kind == Kind::combo ? kComboClosedHeight : std::max(0, cy);
            if (w->kind == Kind::custom)
                gf_unionUpdate(*w, RECT{0, 0, w->width, w->height}, true);
        }
        if (insertAfter == HWND_TOPMOST)
            w->topmost = true;
        else if (insertAfter == HWND_NOTOPMOST)
            w->topmost = false;
        gf_markDirty(core, w->id);
    }
    gf_wake();
    return TRUE;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text)
{
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != FALSE ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    if (buffer == nullptr || maxCount <= 0)
        return 0;
    buffer[0] = 0;
    return static_cast<int>(
        SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

BOOL CheckDlgButton(HWND parent, int id, UINT check)
{
    const HWND button = GetDlgItem(parent, id);
    if (button == nullptr)
        return FALSE;
    SendMessageW(button, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND parent, int id)
{
    const HWND button = GetDlgItem(parent, id);
    return button == nullptr ? 0 : static_cast<UINT>(SendMessageW(button, BM_GETCHECK, 0, 0));
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value)
{
    if (index != GWLP_WNDPROC || value == 0)
        return 0;
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    WindowRec* w = gf_findWindow(core, hwnd);
    if (w == nullptr)
        return 0;
    const WNDPROC previous = w->proc;
    w->proc = reinterpret_cast<WNDPROC>(value);
    return reinterpret_cast<LONG_PTR>(previous);
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index)
{
    if (index != GWLP_WNDPROC)
        return 0;
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const WindowRec* w = gf_findWindow(core, hwnd);
    return w == nullptr ? 0 : reinterpret_cast<LONG_PTR>(w->proc);
}
