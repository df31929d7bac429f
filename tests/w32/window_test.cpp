// Window classes, placement and resources.
#include "test_window.h"

using namespace w32test;

TEST_F(WindowTest, ClassesAreRegisteredOnceByName)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(WNDCLASSEXW);
    wc.lpfnWndProc = &testWndProc;
    wc.lpszClassName = u"trwktestwindow";
    EXPECT_EQ(RegisterClassExW(&wc), 0) << "names are compared without regard to case";
    wc.lpszClassName = u"Edit";
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    wc.lpszClassName = u"Another";
    wc.cbSize = 4;
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    wc.cbSize = sizeof(WNDCLASSEXW);
    wc.lpfnWndProc = nullptr;
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    wc.lpfnWndProc = &testWndProc;
    EXPECT_NE(RegisterClassExW(&wc), 0);
    EXPECT_EQ(CreateWindowExW(0, u"Unknown", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_NE(CreateWindowExW(0, u"ANOTHER", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowTest, PositionsAreKeptAsGivenAndMovedByTheUser)
{
    const HWND main = createMain(-30000, 20);
    const HWND edit = createEdit(main, 32848, 323, 371, 34);
    RECT r{};
    ASSERT_TRUE(GetWindowRect(main, &r));
    EXPECT_EQ(r.left, -30000);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 880);
    EXPECT_EQ(r.bottom - r.top, 516);
    ASSERT_TRUE(GetWindowRect(edit, &r));
    EXPECT_EQ(r.left, -30000 + 323);
    EXPECT_EQ(r.top, 20 + 371);
    EXPECT_EQ(r.right - r.left, 34);

    EXPECT_TRUE(SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_TRUE(w32::testing::isTopmost(main));
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, -30000) << "not moved";
    EXPECT_EQ(r.right - r.left, 880) << "not sized";
    SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(w32::testing::isTopmost(main));

    ASSERT_TRUE(w32::testing::moveWindow(main, 123, 45));
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, 123);
    EXPECT_EQ(r.top, 45);
    EXPECT_FALSE(GetWindowRect(nullptr, &r));
    EXPECT_FALSE(w32::testing::moveWindow(edit, 1, 1));
}

TEST_F(WindowTest, StringResourcesAreReadIntoTheBuffer)
{
    char16_t buffer[100];
    buffer[0] = u'#';
    EXPECT_EQ(LoadStringW(nullptr, 101, buffer, 100), 0);
    EXPECT_EQ(buffer[0], 0);
    w32::setStringResource(101, u"TRWK");
    EXPECT_EQ(LoadStringW(nullptr, 101, buffer, 100), 4);
    EXPECT_EQ(std::u16string(buffer), u"TRWK");
    EXPECT_EQ(LoadStringW(nullptr, 101, buffer, 3), 2);
    EXPECT_EQ(std::u16string(buffer), u"TR");
    EXPECT_NE(LoadIconW(nullptr, MAKEINTRESOURCEW(100)), nullptr);
    EXPECT_NE(LoadCursorW(nullptr, IDC_ARROW), nullptr);
    w32::testing::reset();
    EXPECT_EQ(LoadStringW(nullptr, 101, buffer, 100), 0) << "reset forgets the table";
}

TEST_F(WindowTest, TheHeadlessBackEndIsTheDefault)
{
    EXPECT_EQ(w32::backendKind(), w32::BackendKind::headless);
    createMain();
    w32::useHeadlessBackend();
    EXPECT_EQ(w32::backendKind(), w32::BackendKind::headless);
}

TEST_F(WindowTest, WordPackingAndColours)
{
    EXPECT_EQ(MAKEWPARAM(32790, CBN_SELCHANGE), 0x18016u);
    EXPECT_EQ(LOWORD(MAKEWPARAM(32790, CBN_SELCHANGE)), 32790);
    EXPECT_EQ(HIWORD(MAKEWPARAM(32790, CBN_SELCHANGE)), CBN_SELCHANGE);
    EXPECT_EQ(RGB(153, 204, 255), 0xFFCC99u);
    EXPECT_EQ(WM_APP + 1, 0x8001u);
    EXPECT_EQ(WM_PAINT, 0x000Fu);
}
