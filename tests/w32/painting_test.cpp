// Painting: what is recorded and what the picture of the window shows.
#include "test_window.h"

#include <fstream>
#include <iterator>

using namespace w32test;
using w32::testing::DrawOp;

namespace {

// Paints a small version of the main window: bands, lamp, separator lines and texts.
struct Painter {
    HBRUSH blue = CreateSolidBrush(RGB(153, 204, 255));
    HBRUSH green = CreateSolidBrush(RGB(50, 205, 50));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HPEN whitePen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HPEN blackPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    bool error = false;

    void paint(HDC hdc)
    {
        const RECT title{0, 0, 880, 28};
        const RECT panel{0, 112, 880, 392};
        const RECT status{0, 448, 880, 476};
        const RECT lamp{397, 30, 425, 112};
        FillRect(hdc, &title, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        FillRect(hdc, &panel, blue);
        FillRect(hdc, &status, error ? red : green);
        FillRect(hdc, &lamp, red);
        SelectObject(hdc, whitePen);
        const POINT border[2] = {{0, 113}, {880, 113}};
        Polyline(hdc, border, 2);
        SelectObject(hdc, blackPen);
        const POINT separator[2] = {{0, 140}, {880, 140}};
        Polyline(hdc, separator, 2);
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, RGB(50, 205, 50));
        TextOutW(hdc, 3, 7, u"Version 11.0.4", 14);
        SetTextColor(hdc, RGB(255, 255, 0));
        TextOutW(hdc, 3, 455, error ? u"Error reading" : u"Ready", error ? 13 : 5);
    }
};

} // namespace

TEST_F(WindowTest, DrawingIsRecordedWithTheStateThatApplied)
{
    Painter painter;
    state.paint = [&](HDC hdc, const PAINTSTRUCT&) { painter.paint(hdc); };
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    UpdateWindow(main);

    const auto version = w32::testing::findText(main, "Version");
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->text, "Version 11.0.4");
    EXPECT_EQ(version->x, 3);
    EXPECT_EQ(version->y, 7);
    EXPECT_EQ(version->colour, RGB(50, 205, 50));
    EXPECT_EQ(version->bkMode, TRANSPARENT);
    const auto status = w32::testing::findText(main, "Ready");
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->colour, RGB(255, 255, 0));
    EXPECT_FALSE(w32::testing::findText(main, "Error").has_value());
    EXPECT_EQ(w32::testing::drawnTexts(main).size(), 2u);

    const auto ops = w32::testing::lastPaint(main);
    const auto lines = std::count_if(ops.begin(), ops.end(), [](const DrawOp& op) { return op.kind == DrawOp::Kind::polyline; });
    EXPECT_EQ(lines, 2);

    // The picture: fills and lines.
    EXPECT_EQ(w32::testing::colourAt(main, 300, 200), RGB(153, 204, 255));
    EXPECT_EQ(w32::testing::colourAt(main, 300, 460), RGB(50, 205, 50));
    EXPECT_EQ(w32::testing::colourAt(main, 410, 60), RGB(255, 0, 0));
    EXPECT_EQ(w32::testing::colourAt(main, 300, 113), RGB(255, 255, 255));
    EXPECT_EQ(w32::testing::colourAt(main, 300, 140), RGB(0, 0, 0));
    EXPECT_EQ(w32::testing::colourAt(main, 300, 141), RGB(153, 204, 255));
    EXPECT_EQ(w32::testing::colourAt(main, 300, 500), RGB(0, 0, 0)) << "erased with the class brush";
    EXPECT_FALSE(w32::testing::colourAt(main, 880, 10).has_value());
}

TEST_F(WindowTest, APaintChangesOnlyItsUpdateRegion)
{
    Painter painter;
    state.paint = [&](HDC hdc, const PAINTSTRUCT&) { painter.paint(hdc); };
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    w32::testing::pump();
    painter.error = true;
    const RECT status{0, 448, 880, 476};
    InvalidateRect(main, &status, TRUE);
    w32::testing::pump();
    EXPECT_EQ(w32::testing::colourAt(main, 300, 460), RGB(255, 0, 0));
    EXPECT_EQ(w32::testing::colourAt(main, 410, 60), RGB(255, 0, 0));
    EXPECT_EQ(w32::testing::findText(main, "Error")->text, "Error reading");
    // Outside the region nothing changes, even though the procedure drew everything.
    const RECT leftHalf{0, 112, 440, 392};
    painter.blue = CreateSolidBrush(RGB(1, 2, 3));
    InvalidateRect(main, &leftHalf, FALSE);
    w32::testing::pump();
    EXPECT_EQ(w32::testing::colourAt(main, 100, 200), RGB(1, 2, 3));
    EXPECT_EQ(w32::testing::colourAt(main, 600, 200), RGB(153, 204, 255));
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
    const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    EXPECT_EQ(FillRect(kept, &r, red), 0);
    EXPECT_FALSE(TextOutW(kept, 0, 0, u"late", 4));
    EXPECT_EQ(SetBkMode(kept, OPAQUE), 0);
    EXPECT_EQ(SelectObject(kept, red), nullptr);
    EXPECT_EQ(w32::testing::colourAt(main, 5, 5), RGB(0, 0, 0));
    PAINTSTRUCT fake{};
    fake.hdc = kept;
    EXPECT_FALSE(EndPaint(main, &fake));
}

TEST_F(WindowTest, DrawingObjectsAndDeviceContextState)
{
    HGDIOBJ firstPen = nullptr;
    int previousMode = 0;
    COLORREF previousText = 0;
    int fillResult = -1;
    const HBRUSH gone = CreateSolidBrush(RGB(9, 9, 9));
    const HPEN wide = CreatePen(PS_SOLID, 3, RGB(255, 255, 0));
    EXPECT_TRUE(DeleteObject(gone));
    EXPECT_FALSE(DeleteObject(gone));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH))) << "stock objects stay";
    state.paint = [&](HDC hdc, const PAINTSTRUCT&) {
        firstPen = SelectObject(hdc, wide);
        EXPECT_EQ(SelectObject(hdc, firstPen), wide);
        SelectObject(hdc, wide);
        previousMode = SetBkMode(hdc, TRANSPARENT);
        previousText = SetTextColor(hdc, RGB(255, 0, 0));
        const RECT r{0, 0, 20, 20};
        fillResult = FillRect(hdc, &r, gone);
        const POINT v[3] = {{50, 10}, {50, 40}, {80, 40}};
        Polyline(hdc, v, 3);
        FillRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    };
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    w32::testing::pump();
    EXPECT_NE(firstPen, nullptr);
    EXPECT_EQ(previousMode, OPAQUE);
    EXPECT_EQ(previousText, RGB(0, 0, 0));
    EXPECT_EQ(fillResult, 0) << "a deleted brush fills nothing";
    EXPECT_EQ(w32::testing::colourAt(main, 50, 25), RGB(255, 255, 0));
    EXPECT_EQ(w32::testing::colourAt(main, 51, 25), RGB(255, 255, 0)) << "three pixels wide";
    EXPECT_EQ(w32::testing::colourAt(main, 65, 40), RGB(255, 255, 0));
    EXPECT_EQ(w32::testing::colourAt(main, 81, 40), RGB(0, 0, 0)) << "a line leaves out its last point";
    EXPECT_EQ(CreatePen(7, 1, 0), nullptr);
}

TEST_F(WindowTest, AScreenshotIsAPngOfTheClientArea)
{
    Painter painter;
    state.paint = [&](HDC hdc, const PAINTSTRUCT&) { painter.paint(hdc); };
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    w32::testing::pump();
    const auto file = folder.path() / "headless.png";
    ASSERT_TRUE(w32::testing::screenshot(main, file));
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 880u * 516u * 3u) << "stored without compression";
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(signature, signature + 8, bytes.begin()));
    EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "IHDR");
    auto be32 = [&](std::size_t at) {
        return (static_cast<unsigned>(bytes[at]) << 24) | (static_cast<unsigned>(bytes[at + 1]) << 16) |
               (static_cast<unsigned>(bytes[at + 2]) << 8) | bytes[at + 3];
    };
    EXPECT_EQ(be32(16), 880u);
    EXPECT_EQ(be32(20), 516u);
    EXPECT_EQ(std::string(bytes.end() - 8, bytes.end() - 4), "IEND");
    EXPECT_FALSE(w32::testing::screenshot(nullptr, folder.path() / "none.png"));
}
