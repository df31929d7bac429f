// Window classes, placement and resources.
#include "test_window.h"

using namespace w32test;

TEST_F(WindowTest, ClassesAreRegisteredOnceByName)
{
    const auto lt_register = [](const char16_t* name, UINT size, WNDPROC procedure) {
        WNDCLASSEXW wc{};
        std::tie(wc.cbSize, wc.lpfnWndProc, wc.lpszClassName) = std::tuple{size, procedure, name};
        return RegisterClassExW(&wc);
    };
    // names are compared without regard to case; a built-in name, a wrong size or no procedure is refused
    const UINT size = sizeof(WNDCLASSEXW);
    EXPECT_EQ((std::array{lt_register(u"trwktestwindow", size, &testWndProc), lt_register(u"Edit", size, &testWndProc),
                          lt_register(u"Another", 4, &testWndProc), lt_register(u"Another", size, nullptr)}),
              (std::array<ATOM, 4>{}));
    EXPECT_NE(lt_register(u"Another", size, &testWndProc), 0);
    EXPECT_EQ(CreateWindowExW(0, u"Unknown", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_NE(CreateWindowExW(0, u"ANOTHER", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowTest, PositionsAreKeptAsGivenAndMovedByTheUser)
{
    const HWND main = createMain(-30000, 20);
    const HWND edit = createEdit(main, 32848, 323, 371, 34);
    const auto rectOf = [](HWND hwnd) {
        RECT r{};
        EXPECT_TRUE(GetWindowRect(hwnd, &r));
        return std::array{r.left, r.top, r.right - r.left, r.bottom - r.top};
    };
    EXPECT_EQ(rectOf(edit), (std::array<LONG, 4>{-30000 + 323, 20 + 371, 34, 16}));
    EXPECT_TRUE(SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_TRUE(w32::testing::isTopmost(main));
    EXPECT_EQ(rectOf(main), (std::array<LONG, 4>{-30000, 20, 880, 516})) << "neither moved nor sized";
    ASSERT_TRUE(w32::testing::moveWindow(main, 123, 45));
    EXPECT_EQ(rectOf(main), (std::array<LONG, 4>{123, 45, 880, 516}));
    RECT r{};
    EXPECT_FALSE(GetWindowRect(nullptr, &r) || w32::testing::moveWindow(edit, 1, 1));
}

TEST_F(WindowTest, StringResourcesAreReadIntoTheBuffer)
{
    char16_t buffer[100] = {u'#'};
    EXPECT_EQ(LoadStringW(nullptr, 101, buffer, 100), 0);
    EXPECT_EQ(buffer[0], 0);
    w32::setStringResource(101, u"TRWK");
    EXPECT_EQ(LoadStringW(nullptr, 101, buffer, 100), 4);
    EXPECT_EQ(std::u16string(buffer), u"TRWK");
    EXPECT_EQ(LoadStringW(nullptr, 101, buffer, 3), 2);
    EXPECT_EQ(std::u16string(buffer), u"TR");
    EXPECT_TRUE(LoadIconW(nullptr, MAKEINTRESOURCEW(100)) && LoadCursorW(nullptr, IDC_ARROW));
    w32::testing::reset();
    EXPECT_EQ(LoadStringW(nullptr, 101, buffer, 100), 0) << "reset forgets the table";
    EXPECT_EQ(w32::backendKind(), w32::BackendKind::headless) << "and brings the headless back-end back";
}
