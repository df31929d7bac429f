// What both back-ends share: the picture from the raster, and the user's input as the messages
// the controls would post.
#include "w32/backend.h"

#include "w32/png_writer.h"

using namespace w32::detail;

namespace w32::detail {
namespace {

// Posts for a control of `kind` that the user can reach: present, visible and enabled.
bool lf_postInput(HWND hwnd, Kind kind, const std::vector<MSG>& messages)
{
    Core& core = gf_core();
    {
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, hwnd);
        if (w == nullptr || w->kind != kind || !w->enabled || !w->visible)
            return false;
        for (const MSG& m : messages)
            gf_postLocked(core, hwnd, m.message, m.wParam, m.lParam);
    }
    gf_wake();
    return true;
}

MSG lf_msg(UINT message, WPARAM wParam) { return MSG{nullptr, message, wParam, 0, 0, POINT{0, 0}}; }

} // namespace

std::optional<COLORREF> Backend::colourAt(Id window, int x, int y)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const WindowRec* w = gf_findWindow(core, window);
    COLORREF c = 0;
    if (w == nullptr || !w->raster.get(x, y, c))
        return std::nullopt;
    return c;
}

bool Backend::screenshot(Id window, const std::filesystem::path& png)
{
    Core& core = gf_core();
    Raster copy;
    {
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, window);
        if (w == nullptr)
            return false;
        copy = w->raster;
        if (copy.width() == 0)
            copy.resize(w->width, w->height);
    }
    return gf_writePng(png, copy.width(), copy.height(), copy.rgb());
}

bool Backend::click(HWND control) { return lf_postInput(control, Kind::button, {lf_msg(kUserClick, 0)}); }

bool Backend::select(HWND comboBox, int index)
{
    {
        Core& core = gf_core();
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, comboBox);
        if (w == nullptr || index < 0 || index >= static_cast<int>(w->items.size()))
            return false;
    }
    return lf_postInput(comboBox, Kind::combo, {lf_msg(kUserSelect, static_cast<WPARAM>(index))});
}

bool Backend::type(HWND edit, std::u16string_view text)
{
    std::vector<MSG> chars;
    for (const char16_t c : text)
        chars.push_back(lf_msg(WM_CHAR, c));
    return lf_postInput(edit, Kind::edit, chars);
}

bool Backend::pressCloseBox(HWND topLevel)
{
    Core& core = gf_core();
    {
        std::lock_guard lock(core.mutex);
        const WindowRec* w = gf_findWindow(core, topLevel);
        if (w == nullptr || w->parent != 0 || !w->visible || (w->style & WS_SYSMENU) == 0)
            return false;
        gf_postLocked(core, topLevel, WM_CLOSE, 0, 0);
    }
    gf_wake();
    return true;
}

bool Backend::pressEscape(HWND topLevel)
{
    // Escape reaches no window procedure: it neither closes the window nor types anything.
    return IsWindow(topLevel) != FALSE;
}

} // namespace w32::detail
