#include "w32/testing.h"

#include "w32/backend.h"
#include "w32/core.h"
#include "w32/text_convert.h"

using namespace w32::detail;

namespace w32::testing {
namespace {

std::string lf_utf8(const std::u16string& text) { return gf_toUtf8(text); }

} // namespace

void reset()
{
    gf_clearCore();
    useHeadlessBackend();
}

PumpResult pump()
{
    Core& core = gf_core();
    Backend& backend = gf_backend();
    PumpResult result;
    // A window procedure that never validates its update region would be painted forever.
    for (int guard = 0; guard < 1000000; ++guard) {
        backend.processInput();
        backend.sync();
        MSG msg{};
        {
            std::lock_guard lock(core.mutex);
            if (!gf_takeMessage(core, msg))
                break;
        }
        if (msg.message == WM_QUIT) {
            result.quit = true;
            result.quitCode = msg.wParam;
            break;
        }
        DispatchMessageW(&msg);
        ++result.dispatched;
    }
    backend.processInput();
    backend.sync();
    return result;
}

bool click(HWND button) { return gf_backend().click(button); }
bool select(HWND comboBox, int index) { return gf_backend().select(comboBox, index); }
bool type(HWND edit, std::u16string_view text) { return gf_backend().type(edit, text); }
bool pressCloseBox(HWND topLevel) { return gf_backend().pressCloseBox(topLevel); }
bool pressEscape(HWND topLevel) { return gf_backend().pressEscape(topLevel); }

bool moveWindow(HWND topLevel, int x, int y)
{
    Core& core = gf_core();
    {
        std::lock_guard lock(core.mutex);
        WindowRec* w = gf_findWindow(core, topLevel);
        if (w == nullptr || w->parent != 0)
            return false;
        w->x = x;
        w->y = y;
        gf_markDirty(core, w->id);
    }
    gf_wake();
    return true;
}

std::vector<DrawOp> lastPaint(HWND hwnd)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const WindowRec* w = gf_findWindow(core, hwnd);
    return w != nullptr ? w->lastPaint : std::vector<DrawOp>{};
}

int paintCount(HWND hwnd)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const WindowRec* w = gf_findWindow(core, hwnd);
    return w != nullptr ? w->paintCount : 0;
}

std::vector<DrawnText> drawnTexts(HWND hwnd)
{
    std::vector<DrawnText> texts;
    for (const DrawOp& op : lastPaint(hwnd))
        if (op.kind == DrawOp::Kind::textOut)
            texts.push_back(DrawnText{lf_utf8(op.text), op.x, op.y, op.colour, op.bkMode});
    return texts;
}

std::optional<DrawnText> findText(HWND hwnd, std::string_view part)
{
    for (DrawnText& t : drawnTexts(hwnd))
        if (t.text.find(part) != std::string::npos)
            return std::move(t);
    return std::nullopt;
}

std::optional<COLORREF> colourAt(HWND hwnd, int x, int y) { return gf_backend().colourAt(gf_idOf(hwnd), x, y); }

bool screenshot(HWND hwnd, const std::filesystem::path& png)
{
    return IsWindow(hwnd) != FALSE && gf_backend().screenshot(gf_idOf(hwnd), png);
}

ControlColours controlColours(HWND control) { return gf_askControlColours(control); }

std::vector<std::u16string> comboItems(HWND comboBox)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const WindowRec* w = gf_findWindow(core, comboBox);
    return w != nullptr ? w->items : std::vector<std::u16string>{};
}

bool isTopmost(HWND topLevel)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const WindowRec* w = gf_findWindow(core, topLevel);
    return w != nullptr && w->topmost;
}

std::uint64_t wakeUpCount() { return gf_core().wakeUps.load(std::memory_order_relaxed); }

} // namespace w32::testing
