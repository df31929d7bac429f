// The real window (FLTK back-end), under an X server (Xvfb in the test run).
#include "test_window.h"

#include <cstdlib>
#include <thread>

using namespace w32test;

namespace {

constexpr COLORREF kGreen = RGB(50, 205, 50);
constexpr COLORREF kRed = RGB(255, 0, 0);

WNDPROC g_editPrevious = nullptr;
std::vector<WPARAM> g_typed;

LRESULT lf_editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR) {
        g_typed.push_back(wParam);
        if (wParam == 13)
            return 0;
    }
    return CallWindowProcW(g_editPrevious, hwnd, message, wParam, lParam);
}

// A window with a check box that turns a lamp green, an edit box, a list and a push button.
class RealWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == 0)
            GTEST_SKIP() << "no X display (the test run provides one with xvfb-run)";
        ASSERT_TRUE(w32::useFltkBackend());
        ASSERT_EQ(w32::backendKind(), w32::BackendKind::fltk);
        g_typed.clear();
        const HBRUSH green = CreateSolidBrush(kGreen);
        const HBRUSH red = CreateSolidBrush(kRed);
        state.paint = [=, this](HDC hdc, const PAINTSTRUCT&) {
            const RECT status{0, 448, 880, 476};
            const RECT lamp{397, 30, 425, 112};
            FillRect(hdc, &status, error ? red : green);
            FillRect(hdc, &lamp, checked ? green : red);
            SetBkMode(hdc, TRANSPARENT);
            SetTextColor(hdc, kGreen);
            TextOutW(hdc, 3, 7, u"Version 11.0.4", 14);
        };
        state.onMessage = [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
            if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == 32797) {
                checked = IsDlgButtonChecked(hwnd, 32797) != BST_CHECKED;
                CheckDlgButton(hwnd, 32797, checked ? BST_CHECKED : BST_UNCHECKED);
                const RECT lamp{397, 30, 425, 112};
                InvalidateRect(hwnd, &lamp, TRUE);
            }
            return kPassOn;
        };
        state.onCreate = [this](HWND hwnd) {
            box = createCheckBox(hwnd, 32797, 5, 149);
            edit = createEdit(hwnd, 32828, 217, 259);
            combo = createCombo(hwnd, 32790, 5, 114);
            button = createControl(hwnd, u"button", BS_DEFPUSHBUTTON, 32858, 758, 369, 90, 20, u"Flush static");
        };
        main = createMain(40, 30);
        ASSERT_NE(main, nullptr);
        for (const char16_t* entry : {u"MSFS 2020", u"MSFS 2024"})
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
        g_editPrevious =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&lf_editProc)));
        ShowWindow(main, SW_SHOW);
        UpdateWindow(main);
        w32::testing::pump();
    }

    HWND main = nullptr;
    HWND box = nullptr;
    HWND edit = nullptr;
    HWND combo = nullptr;
    HWND button = nullptr;
    bool error = false;
    bool checked = false;
};

} // namespace

TEST_F(RealWindowTest, ClicksChoicesAndTypedTextReachTheWindowProcedureAndShow)
{
    // what was painted, the class brush, the native check and edit boxes; a text drawn from its top-left corner
    const std::tuple<int, int, COLORREF> pixels[] = {
        {300, 460, kGreen}, {410, 60, kRed}, {300, 80, RGB(0, 0, 0)}, {11, 155, RGB(255, 255, 255)},
        {300, 267, RGB(255, 255, 255)}};
    for (const auto& [x, y, colour] : pixels)
        EXPECT_EQ(w32::testing::colourAt(main, x, y), colour) << x << "," << y;
    bool greenText = false;
    for (int x = 3; x < 60 && !greenText; ++x)
        for (int y = 7; y < 24 && !greenText; ++y)
            greenText = w32::testing::colourAt(main, x, y) == kGreen;
    EXPECT_TRUE(greenText);

    ASSERT_TRUE(w32::testing::click(box));
    w32::testing::pump();
    EXPECT_EQ(IsDlgButtonChecked(main, 32797), BST_CHECKED);
    EXPECT_EQ(w32::testing::colourAt(main, 410, 60), kGreen) << "the lamp was repainted";
    EnableWindow(edit, TRUE);
    ASSERT_TRUE(w32::testing::type(edit, u"Ab1\r"));
    w32::testing::pump();
    EXPECT_EQ(g_typed, (std::vector<WPARAM>{u'A', u'b', u'1', 13}));
    EXPECT_EQ(textOf(edit), u"Ab1");

    EnableWindow(box, FALSE);
    w32::testing::pump();
    EXPECT_FALSE(w32::testing::click(box));
    ASSERT_TRUE(w32::testing::click(button));
    ASSERT_TRUE(w32::testing::select(combo, 1));
    w32::testing::pump();
    std::vector<std::pair<int, int>> commands;
    for (const Received& r : state.of(WM_COMMAND))
        commands.emplace_back(LOWORD(r.wParam), HIWORD(r.wParam));
    EXPECT_EQ(commands, (std::vector<std::pair<int, int>>{{32797, BN_CLICKED}, {32858, BN_CLICKED},
                                                          {32790, CBN_SELCHANGE}}));
    EXPECT_EQ(textOf(combo), u"MSFS 2024");
}

TEST_F(RealWindowTest, TheCloseBoxAsksTheWindowAndEscapeDoesNot)
{
    ASSERT_TRUE(w32::testing::pressEscape(main));
    w32::testing::pump();
    EXPECT_TRUE(state.of(WM_CLOSE).empty());
    ASSERT_TRUE(w32::testing::pressCloseBox(main));
    w32::testing::pump();
    EXPECT_EQ(state.of(WM_CLOSE).size(), 1u);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(w32::testing::colourAt(main, 300, 460), kGreen) << "still shown";
}

TEST_F(RealWindowTest, ChangesFromAnotherThreadShowUp)
{
    std::thread control([&] {
        SetWindowTextW(edit, u"EGLL");
        error = true; // read by the next paint, which the message below comes before
        const RECT status{0, 448, 880, 476};
        InvalidateRect(main, &status, TRUE);
        PostMessageW(main, WM_APP + 1, 0, 0);
    });
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) && msg.message != WM_APP + 1)
        DispatchMessageW(&msg);
    control.join();
    w32::testing::pump();
    EXPECT_EQ(textOf(edit), u"EGLL");
    EXPECT_EQ(w32::testing::colourAt(main, 300, 460), kRed);
    EXPECT_TRUE(w32::testing::screenshot(main, folder.path() / "changed.png"));
}
