// The message queue and the generation of WM_PAINT, with the headless back-end.
#include "test_window.h"

using namespace w32test;

TEST_F(WindowTest, PaintComesOnlyForAShownWindowWhenTheQueueIsEmptyWithTheRegionsJoined)
{
    const HWND main = createMain();
    const RECT first{0, 448, 880, 476};
    const RECT second{397, 30, 453, 112};
    InvalidateRect(main, &first, FALSE);
    EXPECT_EQ(w32::testing::pump().dispatched, 0) << "a hidden window is not painted";
    ShowWindow(main, SW_SHOW);
    UpdateWindow(main);
    ASSERT_EQ(state.paintRects.size(), 1u) << "UpdateWindow paints at once";
    EXPECT_EQ((std::array{state.paintRects[0].right, state.paintRects[0].bottom}), (std::array<LONG, 2>{880, 516}))
        << "showing invalidates all";
    EXPECT_EQ(w32::testing::pump().dispatched, 0);

    InvalidateRect(main, &first, FALSE);
    PostMessageW(main, WM_APP + 1, 1, 0);
    InvalidateRect(main, &second, TRUE);
    PostMessageW(main, WM_APP + 1, 2, 0);

    MSG msg{};
    std::vector<std::pair<UINT, WPARAM>> got;
    for (int i = 0; i < 3 && GetMessageW(&msg, nullptr, 0, 0); ++i)
        got.emplace_back(msg.message, msg.wParam);
    EXPECT_EQ(got, (std::vector<std::pair<UINT, WPARAM>>{{WM_APP + 1, 1}, {WM_APP + 1, 2}, {WM_PAINT, 0}}));
    EXPECT_EQ(msg.hwnd, main);
    DispatchMessageW(&msg);
    ASSERT_EQ(state.paintRects.size(), 2u) << "two invalidations, one paint";
    const RECT joined = state.paintRects.back();
    EXPECT_EQ((std::array{joined.left, joined.top, joined.right, joined.bottom}),
              (std::array<LONG, 4>{0, 30, 880, 476}));
    EXPECT_FALSE(state.paintErase.back()) << "the class brush erased the region before the procedure painted";
    EXPECT_EQ(w32::testing::pump().dispatched, 0) << "the region was validated";
}

TEST_F(WindowTest, AProcedureThatDoesNotValidateIsAskedAgain)
{
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    w32::testing::pump();
    state.validate = false;
    InvalidateRect(main, nullptr, FALSE);
    MSG msg{};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
        ASSERT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
        DispatchMessageW(&msg);
    }
    // The default procedure validates.
    DefWindowProcW(main, WM_PAINT, 0, 0);
    EXPECT_EQ(w32::testing::pump().dispatched, 0);
}

TEST_F(WindowTest, CloseBoxSendsCloseAndTheWindowStays)
{
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    ASSERT_TRUE(w32::testing::pressCloseBox(main));
    EXPECT_TRUE(w32::testing::pressEscape(main));
    EXPECT_FALSE(w32::testing::pump().quit);
    EXPECT_TRUE(state.of(WM_CLOSE).size() == 1 && IsWindow(main)) << "asked once, the window stays";
    // A procedure that hands WM_CLOSE on is destroyed, children after their parent.
    const HWND box = createCheckBox(main, 0x8010, 5, 5);
    state.closeDestroys = true;
    ASSERT_TRUE(w32::testing::pressCloseBox(main));
    const auto closing = w32::testing::pump();
    EXPECT_EQ((std::tuple{closing.quit, closing.quitCode}), (std::tuple{true, WPARAM{3}}));
    EXPECT_FALSE(IsWindow(main) || IsWindow(box));
    const auto destroys = state.of(WM_DESTROY);
    ASSERT_EQ(destroys.size(), 1u);
    EXPECT_EQ(destroys[0].hwnd, main);
    EXPECT_FALSE(PostMessageW(main, WM_APP, 0, 0));
    MSG stale{main, WM_APP, 0, 0, 0, POINT{0, 0}};
    EXPECT_EQ(DispatchMessageW(&stale), 0);
}

