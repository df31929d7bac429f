#pragma once
// A window class for the tests: its procedure writes down every message it gets and paints
// with a function the test chooses.
#include "support/temp_folder.h"
#include "w32/testing.h"
#include "w32/windows.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <mutex>
#include <tuple>
#include <vector>

namespace w32test {

struct Received {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct ProcState {
    std::mutex mutex;
    std::vector<Received> received; // every message but WM_PAINT
    std::vector<RECT> paintRects;
    std::vector<BOOL> paintErase;
    std::function<void(HDC, const PAINTSTRUCT&)> paint;
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> onMessage; // may answer a message itself
    bool closeDestroys = false;
    bool validate = true; // WM_PAINT with BeginPaint and EndPaint

    std::vector<Received> of(UINT message)
    {
        std::lock_guard lock(mutex);
        std::vector<Received> out;
        for (const Received& r : received)
            if (r.message == message)
                out.push_back(r);
        return out;
    }
};

inline ProcState* g_state = nullptr;
// The answer of onMessage that lets the normal handling go on.
inline constexpr LRESULT kPassOn = -12345;

inline LRESULT testWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ProcState& s = *g_state;
    if (message == WM_PAINT) {
        if (!s.validate)
            return 0;
        PAINTSTRUCT ps{};
        const HDC hdc = BeginPaint(hwnd, &ps);
        {
            std::lock_guard lock(s.mutex);
            s.paintRects.push_back(ps.rcPaint);
            s.paintErase.push_back(ps.fErase);
        }
        if (s.paint)
            s.paint(hdc, ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    {
        std::lock_guard lock(s.mutex);
        s.received.push_back(Received{hwnd, message, wParam, lParam});
    }
    if (s.onMessage) {
        const LRESULT r = s.onMessage(hwnd, message, wParam, lParam);
        if (r != kPassOn)
            return r;
    }
    if (message == WM_CLOSE && !s.closeDestroys)
        return 0;
    if (message == WM_DESTROY)
        PostQuitMessage(3);
    return message == WM_DESTROY ? 0 : DefWindowProcW(hwnd, message, wParam, lParam);
}

inline const char16_t* kClassName = u"TrwkTestWindow";

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w32::testing::reset();
        g_state = &state;
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(WNDCLASSEXW);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &testWndProc;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kClassName;
        ASSERT_NE(RegisterClassExW(&wc), 0);
    }
    void TearDown() override
    {
        w32::testing::reset();
        g_state = nullptr;
    }

    HWND createMain(int x = 400, int y = 20, int w = 880, int h = 516)
    {
        return CreateWindowExW(0, kClassName, u"TRWK", WS_CAPTION | WS_SYSMENU, x, y, w, h, nullptr, nullptr,
                               nullptr, nullptr);
    }
    static HWND createControl(HWND parent, const char16_t* cls, DWORD style, int id, int x, int y, int w, int h,
                              const char16_t* text = u"")
    {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    }
    static HWND createCheckBox(HWND parent, int id, int x, int y)
    {
        return createControl(parent, u"button", BS_CHECKBOX, id, x, y, 12, 12);
    }
    static HWND createEdit(HWND parent, int id, int x, int y, int w = 100)
    {
        return createControl(parent, u"Edit", WS_BORDER, id, x, y, w, 16);
    }
    static HWND createCombo(HWND parent, int id, int x, int y)
    {
        return createControl(parent, u"ComboBox", WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, id, x, y, 105, 80);
    }
    static std::u16string textOf(HWND hwnd)
    {
        char16_t buffer[1024];
        const int n = GetWindowTextW(hwnd, buffer, 1024);
        return std::u16string(buffer, static_cast<std::size_t>(n));
    }

    testsupport::TempFolder folder;
    ProcState state;
};

} // namespace w32test
