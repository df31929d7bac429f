// Calls from other threads: posting, invalidating and changing controls while the GUI thread
// runs its loop or is busy.
#include "test_window.h"

#include <atomic>
#include <thread>

using namespace w32test;

namespace {

bool lf_contains(const RECT& outer, const RECT& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

} // namespace

TEST_F(WindowTest, EightThreadsPostingAndInvalidatingLoseNothing)
{
    const HWND main = createMain();
    const HWND edit = createEdit(main, 0x8100, 217, 259);
    const HWND box = createCheckBox(main, 0x8101, 5, 149);
    const HWND combo = createCombo(main, 0x8102, 5, 114);
    ShowWindow(main, SW_SHOW);
    w32::testing::pump();

    constexpr int kThreads = 8;
    constexpr int kPosts = 2000;
    std::vector<std::vector<RECT>> invalidated(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i) {
                const RECT r{t * 100 + (i % 17) * 3, (i % 41) * 11, t * 100 + (i % 17) * 3 + 9, (i % 41) * 11 + 7};
                InvalidateRect(main, &r, i % 2);
                invalidated[static_cast<std::size_t>(t)].push_back(r);
                PostMessageW(main, WM_APP + 1, static_cast<WPARAM>(t), i);
                if (i % 50 == 0) {
                    SetWindowTextW(edit, i % 100 == 0 ? u"even" : u"odd");
                    CheckDlgButton(main, 0x8101, i % 100 == 0 ? BST_CHECKED : BST_UNCHECKED);
                    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"entry"));
                    EnableWindow(box, i % 100 == 0);
                }
            }
        });
    }
    std::vector<LPARAM> next(kThreads, 0);
    int received = 0;
    MSG msg{};
    while (received < kThreads * kPosts) {
        ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
        if (msg.message == WM_APP + 1) {
            ASSERT_LT(msg.wParam, static_cast<WPARAM>(kThreads));
            EXPECT_EQ(msg.lParam, next[msg.wParam]) << "posts of one thread keep their order";
            next[msg.wParam] = msg.lParam + 1;
            ++received;
        } else {
            DispatchMessageW(&msg);
        }
    }
    for (auto& t : threads)
        t.join();
    w32::testing::pump();

    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(next[static_cast<std::size_t>(t)], kPosts);
    ASSERT_FALSE(state.paintRects.empty());
    for (const auto& rects : invalidated)
        for (const RECT& r : rects) {
            const bool painted = std::any_of(state.paintRects.begin(), state.paintRects.end(),
                                             [&](const RECT& p) { return lf_contains(p, r); });
            ASSERT_TRUE(painted) << "rectangle " << r.left << "," << r.top << " was never painted";
        }
    EXPECT_EQ((std::tuple{w32::testing::comboItems(combo).size(), textOf(edit), IsDlgButtonChecked(main, 0x8101),
                          IsWindowEnabled(box)}),
              (std::tuple{std::size_t{kThreads * kPosts / 50}, u"odd", UINT{BST_UNCHECKED}, FALSE}));
}

TEST_F(WindowTest, WakeUpsAreCoalesced)
{
    const HWND main = createMain();
    const auto before = w32::testing::wakeUpCount();
    std::thread poster([&] {
        for (WPARAM i = 0; i < 1000; ++i) {
            PostMessageW(main, WM_APP + 1, i, 0);
            const RECT r{0, 0, 10, 10};
            InvalidateRect(main, &r, TRUE);
        }
    });
    poster.join();
    EXPECT_LE(w32::testing::wakeUpCount() - before, 1u) << "the GUI thread did not look in between";
    MSG msg{};
    for (WPARAM i = 0; i < 1000; ++i) {
        ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
        EXPECT_EQ(msg.wParam, i);
    }
}

TEST_F(WindowTest, NothingWaitsForABusyGuiThread)
{
    const HWND main = createMain();
    const HWND edit = createEdit(main, 0x8300, 217, 259);
    createCheckBox(main, 0x8301, 5, 149);
    const HWND combo = createCombo(main, 0x8302, 5, 114);
    ShowWindow(main, SW_SHOW);
    w32::testing::pump();
    const int paintsBefore = w32::testing::paintCount(main);

    std::atomic<bool> busy{false};
    std::atomic<bool> release{false};
    state.onMessage = [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
        if (message != WM_APP + 5)
            return kPassOn;
        busy = true;
        while (!release)
            std::this_thread::yield();
        return 0;
    };
    std::thread other([&] {
        while (!busy)
            std::this_thread::yield();
        // The GUI thread is inside its window procedure now.
        SetWindowTextW(edit, u"1200");
        CheckDlgButton(main, 0x8301, BST_CHECKED);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"MSFS 2020"));
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
        EnableWindow(edit, FALSE);
        SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        const RECT status{0, 448, 880, 476};
        InvalidateRect(main, &status, TRUE);
        PostMessageW(main, WM_APP + 6, 0, 0);
        release = true;
    });
    PostMessageW(main, WM_APP + 5, 0, 0);
    MSG msg{};
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    DispatchMessageW(&msg);
    other.join();
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_APP + 6);
    w32::testing::pump();
    EXPECT_EQ((std::tuple{textOf(edit), IsDlgButtonChecked(main, 0x8301), textOf(combo), IsWindowEnabled(edit),
                          w32::testing::isTopmost(main), w32::testing::paintCount(main), state.paintRects.back().top}),
              (std::tuple{u"1200", UINT{BST_CHECKED}, u"MSFS 2020", FALSE, true, paintsBefore + 1, LONG{448}}));
}
