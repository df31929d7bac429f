#pragma once
// The state of the window layer, shared by its source files: windows, classes, the message
// queue, device contexts and drawing objects, all under one mutex that is never held while a
// window procedure runs or the back-end draws or takes input.
#include "w32/raster.h"
#include "w32/testing.h"
#include "w32/windows.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace w32::detail {

using Id = std::uint64_t;

enum class Kind { custom, button, edit, combo };

// Ids of the stock objects, which live as long as the process.
inline constexpr Id kStockBlackBrush = 1;
inline constexpr Id kStockWhiteBrush = 2;
inline constexpr Id kStockDcBrush = 3;
inline constexpr Id kStockBlackPen = 4;
inline constexpr Id kStockFaceBrush = 5;
inline constexpr Id kFirstId = 16;

struct WindowRec {
    Id id = 0;
    Kind kind = Kind::custom;
    std::u16string className;
    DWORD style = 0;
    DWORD exStyle = 0;
    Id parent = 0;
    int childId = 0;
    int x = 0; // relative to the parent's client area; on the screen for a top-level window
    int y = 0;
    int width = 0;
    int height = 0;
    std::u16string text;
    bool enabled = true;
    bool visible = false;
    bool topmost = false;
    WNDPROC proc = nullptr;
    UINT classStyle = 0;
    HBRUSH background = nullptr;
    std::vector<Id> children;
    UINT check = BST_UNCHECKED;        // button
    std::vector<std::u16string> items; // combo box
    int curSel = -1;
    std::size_t caret = 0; // edit, in UTF-16 units
    // painting of windows of a registered class
    bool updatePending = false;
    RECT update{};
    bool erase = false;
    std::vector<testing::DrawOp> lastPaint;
    int paintCount = 0;
    Raster raster;
};

struct ClassRec {
    std::u16string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HBRUSH background = nullptr;
};

struct GdiObject {
    enum class Kind { brush, pen } kind = Kind::brush;
    COLORREF colour = 0;
    int width = 1;
    bool stock = false;
    bool dcBrush = false; // the stock DC brush: takes the colour of the device context
};

struct DcRec {
    Id window = 0;
    bool paint = false; // from BeginPaint; else a control's colour query
    RECT clip{};
    int bkMode = OPAQUE;
    COLORREF bkColour = RGB(255, 255, 255);
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF dcBrushColour = RGB(255, 255, 255);
    Id pen = kStockBlackPen;
    COLORREF penColour = RGB(0, 0, 0);
    int penWidth = 1;
    Id brush = kStockWhiteBrush;
    std::vector<testing::DrawOp> ops;
};

// A drop-down list is one line high while closed; the height it is given is that of its open list.
inline constexpr int kComboClosedHeight = 21;

// Messages of the built-in controls that carry the user's actions through the queue.
inline constexpr UINT kUserClick = 0x00F5;
inline constexpr UINT kUserSelect = 0x04F0;

class Backend;

struct Core {
    std::mutex mutex;
    std::condition_variable wakeup; // the headless GUI thread waits on it
    std::map<Id, std::unique_ptr<WindowRec>> windows;
    std::vector<ClassRec> classes;
    std::deque<MSG> queue;
    bool quitPosted = false;
    WPARAM quitCode = 0;
    std::set<Id> dirty; // windows whose native side must follow the model
    std::map<Id, GdiObject> gdi;
    std::map<Id, DcRec> dcs;
    std::map<UINT, std::u16string> strings;
    Id nextId = kFirstId;
    std::atomic<bool> wakePending{false}; // a wake-up is on its way to the GUI thread
    bool signaled = false;                 // the headless back-end's wake-up
    std::atomic<std::uint64_t> wakeUps{0};
    std::atomic<Backend*> backend{nullptr};
};

Core& gf_core();

// Handles are ids in disguise; a handle of nothing gives id 0.
Id gf_idOf(const void* handle);
template <class H> H gf_handle(Id id) { return reinterpret_cast<H>(static_cast<UINT_PTR>(id << 4)); }

// Under the core mutex.
WindowRec* gf_findWindow(Core& core, Id id);
WindowRec* gf_findWindow(Core& core, HWND hwnd);
void gf_markDirty(Core& core, Id id);
bool gf_hasPaintDue(Core& core); // a visible window has an update region
void gf_unionUpdate(WindowRec& w, const RECT& r, bool erase);

// Without the core mutex, from any thread: lets the GUI thread look at its work. Coalesced:
// one wake-up stands for every change made before the GUI thread looks.
void gf_wake();
Backend& gf_backend();

// Under the core mutex: the next message for the GUI thread (posted, then WM_QUIT, then
// WM_PAINT); false when there is none.
bool gf_takeMessage(Core& core, MSG& msg);

// Posts without waking (under the core mutex); false for a window that does not exist.
bool gf_postLocked(Core& core, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Fills a rectangle through a device context with a brush (recorded as `kind`).
bool gf_fill(HDC hdc, const RECT& rect, HBRUSH brush, testing::DrawOp::Kind kind);

// Asks the parent of a control for its colours (GUI thread).
testing::ControlColours gf_askControlColours(HWND control);

// Built-in procedures.
LRESULT gf_buttonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT gf_editProc(HWND, UINT, WPARAM, LPARAM);
LRESULT gf_comboProc(HWND, UINT, WPARAM, LPARAM);

// Case-insensitive comparison of ASCII letters in UTF-16 text.
bool gf_equalNoCase(std::u16string_view a, std::u16string_view b);
bool gf_startsWithNoCase(std::u16string_view text, std::u16string_view prefix);
std::u16string gf_copyText(LPCWSTR text);

// Drops every window, class, message, device context, drawing object and string.
void gf_clearCore();

} // namespace w32::detail
