// The main window as a real window under an X server (Xvfb in the test run): the picture the
// user sees, kept as main-window.png and options-panel.png next to the test program.
#include "window_fixture.h"

#include "foundation/utf.h"
#include "platform/module_path.h"

#include <cstdlib>

using testsupport::textOf;
using testsupport::MainWindowTest;

namespace {

class RealMainWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == 0)
            GTEST_SKIP() << "no X display (the test run provides one with xvfb-run)";
        ASSERT_TRUE(w32::useFltkBackend() && w32::backendKind() == w32::BackendKind::fltk);
    }
};

} // namespace

TEST_F(RealMainWindowTest, TheLampsAndTheStatusBandShowAtTheirPlacesAndColours)
{
    const HWND window = openWindow();
    ASSERT_NE(window, nullptr);
    MainWindowState& s = g_mainWindowState;
    s.simConnected = s.simRunning = true;
    s.rtIdle = false;
    g_sessionActive = true;
    s.parkAirportText.set("EDDF");
    gf_repaint(WindowArea::header);
    gf_repaint(WindowArea::statistics);
    gf_showStatus("Waiting for authentication at RT server ...", false);
    w32::testing::pump();

    // the Sim lamp (yellow: running, but no user aircraft yet), the RT lamp, the line between them,
    // the status band, the options panel, the statistics band
    testsupport::expectPixels(window, {{410, 100, RGB(255, 255, 0)}, {445, 100, RGB(50, 205, 50)},
                                       {425, 100, RGB(0, 0, 0)}, {870, 470, RGB(50, 205, 50)},
                                       {870, 200, RGB(153, 204, 255)}, {870, 420, RGB(0, 0, 0)}});
    EXPECT_TRUE(w32::testing::screenshot(window, platform::modulePath().parent_path() / "main-window.png"));

    // an error from the control thread while the window waits for its messages
    std::thread control([window] {
        gf_showError("No RealTraffic access key found");
        PostMessageW(window, WM_APP + 9, 0, 0); // a message the window does not know
    });
    for (MSG msg{}; GetMessageW(&msg, nullptr, 0, 0) && msg.message != WM_APP + 9;)
        DispatchMessageW(&msg);
    control.join();
    w32::testing::pump();
    EXPECT_EQ(w32::testing::colourAt(window, 870, 470), RGB(255, 0, 0)) << "an error turns the band red";
    EXPECT_TRUE(w32::testing::screenshot(window, platform::modulePath().parent_path() / "main-window-error.png"));
}

TEST_F(RealMainWindowTest, TheOptionsPanelTakesClicksChoicesAndTypedValuesAndOnlyTheCloseBoxCloses)
{
    const HWND window = openPanel();
    EnableWindow(parking_percentage.hWnd, TRUE); // a value to read in the picture
    EnableWindow(CALLSIGN_2_OBJECTID.hWnd, TRUE);
    EnableWindow(g_unblockButton.hWnd, TRUE);
    EXPECT_FALSE(w32::testing::click(GetDlgItem(window, 32838))) << "a disabled button cannot be pressed";
    ASSERT_TRUE(w32::testing::click(LOG.hWnd));
    ASSERT_TRUE(w32::testing::select(MATCHING_DEPTH.hWnd, 1));
    ASSERT_TRUE(w32::testing::type(parking_percentage.hWnd, u"45\r"));
    w32::testing::pump();
    EXPECT_EQ(saved("LOG") + saved("MATCHING_DEPTH") + gf_statusLine().text, "false2The new parking_percentage is 45");
    ASSERT_TRUE(w32::testing::type(CALLSIGN_2_OBJECTID.hWnd, u"KLM12\r")); // capitals typed with the shift key
    ASSERT_TRUE(w32::testing::click(g_unblockButton.hWnd));
    w32::testing::pump();
    EXPECT_EQ(textOf(CALLSIGN_2_OBJECTID.hWnd) + gf_utf8ToUtf16(gf_statusLine().text),
              u"KLM12Nothing to block or unblock...");
    ASSERT_TRUE(w32::testing::screenshot(window, platform::modulePath().parent_path() / "options-panel.png"));

    ASSERT_TRUE(w32::testing::pressEscape(window));
    EXPECT_FALSE(w32::testing::pump().quit) << "Escape closes nothing";
    ASSERT_TRUE(w32::testing::pressCloseBox(window));
    EXPECT_TRUE(w32::testing::pump().quit);
}
