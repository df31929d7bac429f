// Painting: what is recorded and what the picture of the window shows.
#include "test_window.h"

#include "w32/text_convert.h"

#include <fstream>
#include <iterator>

using namespace w32test;

namespace {

constexpr COLORREF kBlue = RGB(153, 204, 255);
constexpr COLORREF kGreen = RGB(50, 205, 50);
constexpr COLORREF kRed = RGB(255, 0, 0);

// Paints an options panel and a status line with its text.
struct Painter {
    HBRUSH blue = CreateSolidBrush(kBlue);
    HBRUSH green = CreateSolidBrush(kGreen);
    HBRUSH red = CreateSolidBrush(kRed);
    bool error = false;

    void paint(HDC hdc)
    {
        const RECT panel{0, 112, 880, 392};
        const RECT status{0, 448, 880, 476};
        FillRect(hdc, &panel, blue);
        FillRect(hdc, &status, error ? red : green);
        SetTextColor(hdc, RGB(255, 255, 0));
        TextOutW(hdc, 3, 455, error ? u"Error reading" : u"Ready", error ? 13 : 5);
    }
};

class PaintingTest : public WindowTest {
protected:
    HWND openPainted()
    {
        painter = Painter(); // its brushes and pens made after the reset
        state.paint = [this](HDC hdc, const PAINTSTRUCT&) { painter.paint(hdc); };
        const HWND main = createMain();
        ShowWindow(main, SW_SHOW);
        w32::testing::pump();
        return main;
    }
    Painter painter;
};

} // namespace

TEST_F(PaintingTest, APaintChangesOnlyItsUpdateRegion)
{
    const HWND main = openPainted();
    painter.error = true;
    const RECT status{0, 448, 880, 476};
    InvalidateRect(main, &status, TRUE);
    w32::testing::pump();
    EXPECT_EQ(w32::testing::colourAt(main, 300, 460), kRed);
    EXPECT_EQ(w32::testing::findText(main, "Error")->text, "Error reading");
    EXPECT_FALSE(w32::testing::findText(main, "Ready") || w32::testing::colourAt(main, 880, 10)) << "gone; outside";
    // Outside the region nothing changes, even though the procedure drew everything.
    const RECT leftHalf{0, 112, 440, 392};
    painter.blue = CreateSolidBrush(RGB(1, 2, 3));
    InvalidateRect(main, &leftHalf, FALSE);
    w32::testing::pump();
    EXPECT_EQ(w32::testing::colourAt(main, 100, 200), RGB(1, 2, 3));
    EXPECT_EQ(w32::testing::colourAt(main, 600, 200), kBlue);
    EXPECT_EQ(w32::testing::paintCount(main), 3);
}

TEST_F(WindowTest, AStaleDeviceContextDrawsNothing)
{
    HDC kept = nullptr;
    state.paint = [&](HDC hdc, const PAINTSTRUCT&) { kept = hdc; };
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    w32::testing::pump();
    ASSERT_NE(kept, nullptr);
    const RECT r{0, 0, 10, 10};
    const HBRUSH red = CreateSolidBrush(kRed);
    PAINTSTRUCT fake{};
    fake.hdc = kept;
    EXPECT_EQ((std::tuple{FillRect(kept, &r, red), TextOutW(kept, 0, 0, u"late", 4), SetBkMode(kept, OPAQUE),
                          SelectObject(kept, red), EndPaint(main, &fake)}),
              (std::tuple{0, FALSE, 0, HGDIOBJ{}, FALSE}));
    EXPECT_EQ(w32::testing::colourAt(main, 5, 5), RGB(0, 0, 0));
}

TEST_F(WindowTest, DrawingObjectsAndDeviceContextState)
{
    HGDIOBJ firstPen = nullptr;
    std::tuple<int, COLORREF, int> previous{}; // background mode, text colour, the fill with a deleted brush
    const HBRUSH gone = CreateSolidBrush(RGB(9, 9, 9));
    const HPEN wide = CreatePen(PS_SOLID, 3, RGB(255, 255, 0));
    EXPECT_EQ((std::array{DeleteObject(gone), DeleteObject(gone), DeleteObject(GetStockObject(BLACK_BRUSH))}),
              (std::array<BOOL, 3>{TRUE, FALSE, TRUE})) << "deleted once; stock objects stay";
    state.paint = [&](HDC hdc, const PAINTSTRUCT&) {
        firstPen = SelectObject(hdc, wide);
        EXPECT_EQ(SelectObject(hdc, firstPen), wide);
        SelectObject(hdc, wide);
        const RECT r{0, 0, 20, 20};
        previous = {SetBkMode(hdc, TRANSPARENT), SetTextColor(hdc, kRed), FillRect(hdc, &r, gone)};
        const POINT v[3] = {{50, 10}, {50, 40}, {80, 40}};
        Polyline(hdc, v, 3);
        FillRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    };
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    w32::testing::pump();
    EXPECT_NE(firstPen, nullptr);
    EXPECT_EQ(previous, (std::tuple{OPAQUE, RGB(0, 0, 0), 0})) << "a deleted brush fills nothing";
    // three pixels wide; a line leaves out its last point
    const std::tuple<int, int, COLORREF> pixels[] = {
        {50, 25, RGB(255, 255, 0)}, {51, 25, RGB(255, 255, 0)}, {65, 40, RGB(255, 255, 0)}, {81, 40, RGB(0, 0, 0)}};
    for (const auto& [x, y, colour] : pixels)
        EXPECT_EQ(w32::testing::colourAt(main, x, y), colour) << x << "," << y;
    EXPECT_EQ(CreatePen(7, 1, 0), nullptr);
}

// Texts drawn in UTF-16 reach the back-end as UTF-8: characters beyond the basic plane (surrogate
// pairs) whole, a lone surrogate as U+FFFD; the back-end's way back gives the valid ones again.
TEST_F(WindowTest, CharactersBeyondTheBasicPlaneSurviveTheWayToUtf8)
{
    const std::tuple<std::u16string, std::string, bool> texts[] = { // UTF-16, UTF-8, valid
        {u"\U0001F6EB EHAM", "\xF0\x9F\x9B\xAB EHAM", true},
        {u"Gate A\U0001D11E", "Gate A\xF0\x9D\x84\x9E", true},
        {u"\U00010000\U0010FFFF", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true},
        {u"\u00E9\u20AC", "\xC3\xA9\xE2\x82\xAC", true},
        {std::u16string{0xD83D, u'x'}, "\xEF\xBF\xBDx", false},
        {std::u16string{u'x', 0xDE00}, "x\xEF\xBF\xBD", false},
        {std::u16string{0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD", false}};
    state.paint = [&](HDC hdc, const PAINTSTRUCT&) {
        int y = 0;
        for (const auto& [wide, narrow, valid] : texts)
            TextOutW(hdc, 0, y += 20, wide.c_str(), static_cast<int>(wide.size()));
    };
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    w32::testing::pump();
    const auto drawn = w32::testing::drawnTexts(main);
    ASSERT_EQ(drawn.size(), std::size(texts));
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const auto& [wide, narrow, valid] = texts[i];
        EXPECT_EQ(drawn[i].text, narrow) << i;
        if (valid) {
            EXPECT_EQ(w32::detail::gf_toUtf16(drawn[i].text), wide) << i;
        }
    }
}

TEST_F(PaintingTest, AScreenshotIsAPngOfTheClientArea)
{
    const HWND main = openPainted();
    const auto file = folder.path() / "headless.png";
    ASSERT_TRUE(w32::testing::screenshot(main, file));
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 880u * 516u * 3u) << "stored without compression";
    // signature, the header with width 880 and height 516, the end
    EXPECT_EQ(bytes.substr(0, 24), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x03\x70\0\0\x02\x04", 24));
    EXPECT_EQ(bytes.substr(bytes.size() - 8, 4), "IEND");
    EXPECT_FALSE(w32::testing::screenshot(nullptr, folder.path() / "none.png"));
}
