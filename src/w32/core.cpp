#include "w32/core.h"

#include "w32/backend.h"

#include <algorithm>

namespace w32::detail {
namespace {

void lf_addStockObjects(Core& core)
{
    core.gdi[kStockBlackBrush] = GdiObject{GdiObject::Kind::brush, RGB(0, 0, 0), 1, true, false};
    core.gdi[kStockWhiteBrush] = GdiObject{GdiObject::Kind::brush, RGB(255, 255, 255), 1, true, false};
    core.gdi[kStockDcBrush] = GdiObject{GdiObject::Kind::brush, RGB(255, 255, 255), 1, true, true};
    core.gdi[kStockBlackPen] = GdiObject{GdiObject::Kind::pen, RGB(0, 0, 0), 1, true, false};
    core.gdi[kStockFaceBrush] = GdiObject{GdiObject::Kind::brush, RGB(240, 240, 240), 1, true, false};
}

char16_t lf_lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

} // namespace

Core& gf_core()
{
    static Core* core = [] {
        auto* c = new Core; // lives to the end of the process: other threads may still post late
        lf_addStockObjects(*c);
        c->backend.store(&gf_headlessBackend());
        return c;
    }();
    return *core;
}

Id gf_idOf(const void* handle)
{
    const auto v = reinterpret_cast<UINT_PTR>(handle);
    if (v == 0 || (v & 0xF) != 0)
        return 0;
    return static_cast<Id>(v >> 4);
}

WindowRec* gf_findWindow(Core& core, Id id)
{
    if (id == 0)
        return nullptr;
    const auto it = core.windows.find(id);
    return it == core.windows.end() ? nullptr : it->second.get();
}

WindowRec* gf_findWindow(Core& core, HWND hwnd) { return gf_findWindow(core, gf_idOf(hwnd)); }

void gf_markDirty(Core& core, Id id) { core.dirty.insert(id); }

bool gf_hasPaintDue(Core& core)
{
    return std::any_of(core.windows.begin(), core.windows.end(),
                       [](const auto& entry) { return entry.second->updatePending && entry.second->visible; });
}

void gf_unionUpdate(WindowRec& w, const RECT& r, bool erase)
{
    RECT c{std::max<LONG>(0, r.left), std::max<LONG>(0, r.top), std::min<LONG>(w.width, r.right),
           std::min<LONG>(w.height, r.bottom)};
    if (c.left >= c.right || c.top >= c.bottom)
        return;
    if (!w.updatePending) {
        w.update = c;
        w.updatePending = true;
    } else {
        w.update.left = std::min(w.update.left, c.left);
        w.update.top = std::min(w.update.top, c.top);
        w.update.right = std::max(w.update.right, c.right);
        w.update.bottom = std::max(w.update.bottom, c.bottom);
    }
    w.erase = w.erase || erase;
}

Backend& gf_backend() { return *gf_core().backend.load(std::memory_order_acquire); }

void gf_wake()
{
    Core& core = gf_core();
    if (!core.wakePending.exchange(true, std::memory_order_acq_rel)) {
        core.wakeUps.fetch_add(1, std::memory_order_relaxed);
        gf_backend().wake();
    }
}

bool gf_postLocked(Core& core, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hwnd != nullptr && gf_findWindow(core, hwnd) == nullptr)
        return false;
    core.queue.push_back(MSG{hwnd, message, wParam, lParam, 0, POINT{0, 0}});
    return true;
}

bool gf_equalNoCase(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && gf_startsWithNoCase(a, b);
}

bool gf_startsWithNoCase(std::u16string_view text, std::u16string_view prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lf_lower(text[i]) != lf_lower(prefix[i]))
            return false;
    return true;
}

std::u16string gf_copyText(LPCWSTR text)
{
    if (text == nullptr)
        return {};
    return std::u16string(text);
}

void gf_clearCore()
{
    Core& core = gf_core();
    std::vector<Id> all;
    {
        std::lock_guard lock(core.mutex);
        for (const auto& entry : core.windows)
            all.push_back(entry.first); // ids grow, so parents come before their children
    }
    gf_backend().destroyed(all);
    std::lock_guard lock(core.mutex);
    core.windows.clear();
    core.classes.clear();
    core.queue.clear();
    core.quitPosted = false;
    core.quitCode = 0;
    core.dirty.clear();
    core.dcs.clear();
    core.gdi.clear();
    lf_addStockObjects(core);
    core.strings.clear();
}

} // namespace w32::detail

namespace w32 {

bool useFltkBackend()
{
    using namespace detail;
    Core& core = gf_core();
    {
        std::lock_guard lock(core.mutex);
        if (!core.windows.empty())
            return core.backend.load()->kind() == BackendKind::fltk;
    }
    Backend* fltk = gf_fltkBackend();
    if (fltk == nullptr)
        return false;
    core.backend.store(fltk, std::memory_order_release);
    return true;
}

void useHeadlessBackend()
{
    using namespace detail;
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    if (core.windows.empty())
        core.backend.store(&gf_headlessBackend(), std::memory_order_release);
}

BackendKind backendKind() { return detail::gf_backend().kind(); }

void setStringResource(UINT id, std::u16string_view text)
{
    auto& core = detail::gf_core();
    std::lock_guard lock(core.mutex);
    core.strings[id] = std::u16string(text);
}

} // namespace w32
