// The main window as a real window under an X server (Xvfb in the test run): the picture the
// user sees, kept as main-window.png and options-panel.png next to the test program.
#include "window_fixture.h"

#include "foundation/option_controls.h"
#include "platform/module_path.h"

#include <cstdlib>
#include <filesystem>

using testsupport::MainWindowTest;

namespace {

class RealMainWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == 0)
            GTEST_SKIP() << "no X display (the test run provides one with xvfb-run)";
        ASSERT_TRUE(w32::useFltkBackend());
    }
};

} // namespace

TEST_F(RealMainWindowTest, TheLampsAndTheStatusBandShowAtTheirPlacesAndColours)
{
    const HWND window = openWindow();
    ASSERT_NE(window, nullptr);
    MainWindowState& s = g_mainWindowState;
    s.simConnected = true; // running, but no user aircraft yet: yellow
    s.simRunning = true;
    s.simulatorText.set("KittyHawk 1.2.3");
    s.rtIdle = false;
    g_sessionActive = true;
    g_weatherLamp = g_lampReceiving;
    g_trafficLamp = g_lampReceiving;
    g_windowQnh = 1013;
    s.liveryCount = 2150;
    s.parkAirportText.set("EDDF");
    s.parkFileOk = true;
    s.apfAirportName.set("Frankfurt");
    s.standCount = 312;
    gf_repaint(WindowArea::header);
    gf_repaint(WindowArea::statistics);
    gf_showStatus("Waiting for authentication at RT server ...", false);
    w32::testing::pump();

    EXPECT_EQ(w32::testing::colourAt(window, 410, 100), RGB(255, 255, 0)) << "Sim lamp";
    EXPECT_EQ(w32::testing::colourAt(window, 445, 100), RGB(50, 205, 50)) << "RT lamp";
    EXPECT_EQ(w32::testing::colourAt(window, 425, 100), RGB(0, 0, 0)) << "the line between the lamps";
    EXPECT_EQ(w32::testing::colourAt(window, 870, 470), RGB(50, 205, 50)) << "status band";
    EXPECT_EQ(w32::testing::colourAt(window, 870, 200), RGB(153, 204, 255)) << "options panel";
    EXPECT_EQ(w32::testing::colourAt(window, 870, 420), RGB(0, 0, 0)) << "statistics band";

    const auto png = platform::modulePath().parent_path() / "main-window.png";
    ASSERT_TRUE(w32::testing::screenshot(window, png));
    EXPECT_GT(std::filesystem::file_size(png), 0u);

    gf_showError("No RealTraffic access key found");
    w32::testing::pump();
    EXPECT_EQ(w32::testing::colourAt(window, 870, 470), RGB(255, 0, 0)) << "an error turns the band red";
    EXPECT_TRUE(w32::testing::screenshot(window, platform::modulePath().parent_path() / "main-window-error.png"));
}

TEST_F(RealMainWindowTest, TheOptionsPanelTakesAClickAChoiceAndATypedValue)
{
    const HWND window = openPanel();
    EnableWindow(parking_percentage.hWnd, TRUE); // a value to read in the picture
    ASSERT_TRUE(w32::testing::click(LOG.hWnd));
    ASSERT_TRUE(w32::testing::select(MATCHING_DEPTH.hWnd, 1));
    ASSERT_TRUE(w32::testing::type(parking_percentage.hWnd, u"45\r"));
    w32::testing::pump();
    EXPECT_EQ(saved("LOG") + saved("MATCHING_DEPTH") + gf_statusLine().text, "false2The new parking_percentage is 45");
    ASSERT_TRUE(w32::testing::screenshot(window, platform::modulePath().parent_path() / "options-panel.png"));
}
