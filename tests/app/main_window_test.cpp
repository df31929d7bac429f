// The main window on the headless back-end: what it paints, the status line from many threads,
// the close box, the saved position and the single-instance guard.
#include "window_fixture.h"

#include "app/app_hooks.h"
#include "app/app_messages.h"
#include "app/user_data_update.h"
#include "airports/park_airports.h"
#include "foundation/log.h"
#include "foundation/shell_state.h"
#include "platform/single_instance.h"
#include "simlink/sim_hooks.h"

#include <algorithm>
#include <atomic>
#include <fmt/format.h>
#include <fstream>
#include <regex>
#include <set>

using testsupport::expectPixels;
using testsupport::MainWindowTest;
using testsupport::eventually;
using w32::testing::DrawnText;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGrey = RGB(160, 160, 160);
constexpr COLORREF kGreen = RGB(50, 205, 50);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(153, 204, 255);

// A text at exactly this point, or none.
std::optional<DrawnText> textAt(HWND window, int x, int y)
{
    for (const auto& t : w32::testing::drawnTexts(window))
        if (t.x == x && t.y == y)
            return t;
    return std::nullopt;
}

// Texts drawn at exactly their points, in their colours, on a transparent background.
struct PlacedText {
    int x, y;
    std::string text;
    COLORREF colour;
};
void expectTexts(HWND window, const std::vector<PlacedText>& texts)
{
    for (const PlacedText& t : texts) {
        const auto found = textAt(window, t.x, t.y).value_or(DrawnText{"nothing", t.x, t.y, 0, 0});
        EXPECT_EQ((std::tuple{found.text, found.colour, found.bkMode}), (std::tuple{t.text, t.colour, TRANSPARENT}))
            << "at " << t.x << "," << t.y;
    }
}

} // namespace

TEST_F(MainWindowTest, AFreshWindowOpensAtTheDefaultPlaceAndPaintsEveryAreaInItsColours)
{
    const HWND window = openWindow();
    ASSERT_NE(window, nullptr);
    RECT r{};
    ASSERT_TRUE(GetWindowRect(window, &r));
    EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::array<LONG, 4>{400, 20, 880, 516}));
    // the areas; the Sim lamp red, as the simulator link is not open; the RT lamp black, as no live traffic started
    const auto fill = [window](const RECT& r) { return fillOf(window, r); };
    EXPECT_EQ((std::array{fill(g_titleBandRect), fill(g_headerRect), fill(g_optionsPanelRect), fill(g_statisticsRect),
                          fill(g_statusLineRect), fill(g_simLampRect), fill(g_rtLampRect)}),
              (std::array<std::optional<COLORREF>, 7>{kBlack, kBlack, kBlue, kBlack, kGreen, kRed, kBlack}));
    // band borders and separators, read back from the painted picture (the status line covers the border
    // at 449; a short separator ends at x 642)
    expectPixels(window, {{860, 28, RGB(255, 255, 255)}, {860, 113, RGB(255, 255, 255)}, {860, 392, RGB(255, 255, 255)},
                          {860, 140, kBlack}, {860, 168, kBlue}, {642, 200, kBlack}});

    expectTexts(window, {
        {3, 7, "Version 11.0.4", kGreen}, {390, 7, "TRWK", kGreen}, {5, 35, "MSFS 2020 mode", kGreen},
        {398, 63, "Sim", kGreen}, {430, 63, "RT", kGreen}, {5, 91, "# liveries: ...", kRed},
        {141, 91, "# simaddon: ...", kYellow}, {278, 91, "# thirdp: ...", kYellow}});
    EXPECT_FALSE(textAt(window, 458, 35)) << "no session, no account";
    EXPECT_FALSE(textAt(window, 642, 91)) << "no live count";

    // labels whose colour follows the options' defaults ("Light aircraft": its check box is created enabled)
    expectTexts(window, {
        {25, 147, "Scan for liveries", kYellow}, {343, 203, "Light aircraft", kBlack},
        {5, 315, "Airport parking", kBlack}, {171, 315, "Max park (static+live):", kBlack},
        {401, 315, "Max live (park incl):", kBlack}, {672, 315, "Straight push backs only", kGrey},
        {788, 259, "days", kBlack}});
    EXPECT_FALSE(textAt(window, 5, 343)) << "no park airport, no renewal";

    EXPECT_TRUE(textsIn(window, g_statisticsRect).empty()) << "no park airport: the band stays black";
    EXPECT_TRUE(textsIn(window, g_statusLineRect).empty());
}

TEST_F(MainWindowTest, AWindowWithEveryFieldFilledShowsThemAtTheirPlacesAndColours)
{
    const HWND window = openWindow();
    MainWindowState& s = g_mainWindowState;
    for (const auto& [field, text] : {std::pair{&s.simulatorText, "KittyHawk 1.2.3"}, {&s.userStandText, "A 12"},
                                      {&s.userAircraftText, "User Jet"}, {&s.rtAccountText, "Professional account"},
                                      {&s.addonScanFolder, "Community"}, {&s.callsignObjectId, "= 42"},
                                      {&s.parkAirportText, "EDDF"}, {&s.apfAirportName, "Frankfurt"},
                                      {&s.apfPublisher, "Aerosoft"}, {&s.qualityFactor, "0.87"},
                                      {&s.reservedStand, "V155"}})
        field->set(text);
    s.simConnected = s.simRunning = true;
    gf_installSimLinkHooks();
    gf_simLinkHooks().setUserWingspanKnown(false); // the simulator link does not know the model
    s.liveryCount = 1234;
    for (const auto& [count, value] : {std::pair{&s.simaddonCount, 3}, {&s.thirdpartyCount, 17}, {&s.liveCount, 7},
                                       {&s.addonAirportCount, 1}, {&s.rtTrafficWeek, 3}, {&s.standUpdates, 5},
                                       {&s.standCount, 120}, {&s.parkedLiveCount, 4}, {&s.maxPark, 50},
                                       {&s.maxParkPercent, 30}, {&s.parkedStaticCount, 40}})
        *count = value;
    for (std::atomic<bool>* flag : {&s.busy, &s.parkFileOk, &s.handmadeApf, &s.staticMarker, &g_sessionActive})
        *flag = true;
    s.rtIdle = s.reservedStandOk = s.timeControlsEnabled = false;
    g_weatherLamp = g_lampReceiving;
    g_trafficLamp = g_lampNoData;
    g_windowQnh = 998;
    CALLSIGN_2_OBJECTID.value.set("DLH1");
    TIME_SHIFT_DAYS.value = 1;
    MAX_LIVE_SEL.value = 0;
    s.meanFitLive = 2.5f;
    s.meanFitStatic = 3.0f;
    gf_repaint(WindowArea::header);
    gf_repaint(WindowArea::optionsPanel);
    gf_repaint(WindowArea::statistics);
    gf_showError("Failed to read the airport file");
    w32::testing::pump();

    EXPECT_EQ(
        (std::array{fillOf(window, g_simLampRect), fillOf(window, g_rtLampRect), fillOf(window, g_statusLineRect)}),
        (std::array<std::optional<COLORREF>, 3>{kGreen, kGreen, kRed}));
    gf_setSimLinkHooks({});
    // "User Jet" in yellow: the model is not known
    expectTexts(window, {
        {3, 455, "Failed to read the airport file", kYellow}, {5, 35, "KittyHawk 1.2.3, user stand A 12", kGreen},
        {5, 63, "User Jet", kYellow}, {5, 91, "# liveries: 1234", kGreen}, {141, 91, "# simaddon: 3", kGreen},
        {278, 91, "# thirdp: 17", kGreen}, {458, 35, "Professional account", kGreen}, {458, 63, "Weather", kGreen},
        {458, 91, "Traffic", kYellow}, {642, 63, "qnh:  998", kGreen}, {642, 91, "live:   7", kGreen},
        {217, 175, "1 airport in Community folder", kYellow}, {561, 259, "= 42", kBlack},
        {652, 259, "Time shift:", kGrey}, {788, 259, "day", kGrey}, {5, 315, "Airport parking active", kYellow},
        {171, 315, "Max park (static+live):", kBlack}, {401, 315, "Max live (park incl):", kYellow},
        {5, 399, "EDDF", kGreen}, {85, 399, " Frankfurt, Aerosoft (h), wk=3", kGreen}, {370, 399, "*S*", kGreen},
        {430, 399, "qf: 0.87", kGreen}, {571, 399, "reserved stand: V155", kRed},
        {748, 399, "# updates:    5", kGreen}, {5, 427, "# stands: 120", kGreen},
        {111, 427, "parked live:   4", kGreen}, {249, 427, "average fit: 2.5", kGreen},
        {430, 427, "parked static:  40", kGreen}, {571, 427, "average fit: 3", kGreen},
        {708, 427, "max park:  50 (=30 %)", kGreen}});

    // a park file that failed shows only the airport, in yellow; no maximum makes both labels red
    s.parkFileOk = false;
    MAX_PARK_SEL.value = 0;
    gf_repaint(WindowArea::statistics);
    w32::testing::pump();
    EXPECT_EQ(textsIn(window, g_statisticsRect).size(), 1u);
    expectTexts(window, {{5, 399, "EDDF", kYellow}, {171, 315, "Max park (static+live):", kRed},
                         {401, 315, "Max live (park incl):", kRed}});
}

TEST_F(MainWindowTest, TheRenewalMinutesAreRepaintedWhereTheyStand)
{
    const HWND window = openWindow();
    g_parkAirportLoaded = true;
    AUTO_RANGE.value = false;
    g_userDataCount = 60;
    gf_parkingAndRangeJobs();
    w32::testing::pump();
    g_parkAirportLoaded = false;
    expectTexts(window, {{5, 343, "(next in 19 min)", kBlack}});
    const auto paint = w32::testing::lastPaint(window);
    ASSERT_FALSE(paint.empty());
    EXPECT_EQ(paint.front().kind, w32::testing::DrawOp::Kind::erase);
    EXPECT_TRUE(paint.front().rect.top <= 343 && 343 < paint.front().rect.bottom) << "not repainted there";
}

TEST_F(MainWindowTest, AStatusTextSetFromEightThreadsAtOnceIsPaintedWhole)
{
    const HWND window = openWindow();
    std::set<std::string> written;
    for (int t = 0; t < 8; ++t)
        written.insert(std::string(150 + 10 * t, static_cast<char>('a' + t)));
    std::atomic<bool> go{false};
    std::atomic<int> running{8};
    std::vector<std::thread> threads;
    for (const std::string& text : written)
        threads.emplace_back([&, text] {
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < 300; ++i)
                gf_showStatus(text, false);
            --running;
        });
    go = true;
    int paints = 0;
    while (running > 0 || paints == 0) {
        w32::testing::pump();
        const auto shown = textsIn(window, g_statusLineRect);
        if (shown.empty())
            continue;
        ++paints;
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ((std::tuple{written.count(shown[0].text), shown[0].x, shown[0].y}), (std::tuple{1u, 3, 455}))
            << shown[0].text;
    }
    for (auto& t : threads)
        t.join();
    w32::testing::pump();
    expectTexts(window, {{3, 455, gf_statusLine().text, kYellow}}); // the last text set is the one shown
}

TEST_F(MainWindowTest, AMessageExpiresAfterTwentyFiveUserDataUpdatesAndAnErrorStays)
{
    const HWND window = openWindow();
    gf_showStatus("", true);
    const auto emptyStamp = gf_statusLine().stamp;
    gf_showStatus("Scanning", true);
    EXPECT_EQ((std::pair{emptyStamp, gf_statusLine().stamp}), (std::pair{0, 1})) << "1: before the first update";
    for (int update = 1; update <= 25; ++update)
        gf_countStatusUpdate();
    w32::testing::pump();
    EXPECT_EQ(textAt(window, 3, 455)->text, "Scanning");
    gf_countStatusUpdate(); // the 26th
    w32::testing::pump();
    EXPECT_TRUE(textsIn(window, g_statusLineRect).empty() && fillOf(window, g_statusLineRect) == kGreen);

    gf_showError("SimConnect request error");
    for (int update = 0; update < 40; ++update)
        gf_countStatusUpdate();
    gf_showStatus("hidden by the error", true);
    w32::testing::pump();
    EXPECT_EQ(fillOf(window, g_statusLineRect), kRed);
    expectTexts(window, {{3, 455, "SimConnect request error", kYellow}});
    EXPECT_EQ(folder.logLines(), (std::vector<std::string>{"Scanning", "Error SimConnect request error"}))
        << "an empty text and a text under an error are not logged";
}

TEST_F(MainWindowTest, TheCloseBoxQuitsAfterTheRunsCloseDownAndSavesThePosition)
{
    // a saved x out of range opens the window at the default, which is stored
    std::filesystem::create_directories(g_dataFolder);
    std::ofstream(g_parametersPath) << R"(<parameters><parameter name="MAIN_WINDOW_X" value="40000"/>)"
                                       R"(<parameter name="MAIN_WINDOW_Y" value="77"/></parameters>)";
    // no docs folder: the run ends at once as "SYSTEM ERROR" and waits for the user
    std::thread user([] {
        ASSERT_TRUE(eventually([] {
            return gf_statusLine().text == "TRWK must be run from the TRWK folder!";
        }));
        const HWND window = g_mainWindowState.hMainWindow.load();
        RECT r{};
        GetWindowRect(window, &r);
        EXPECT_EQ((std::tuple{r.left, r.top, saved("MAIN_WINDOW_X")}), (std::tuple{400, 77, "400"}));
        w32::testing::moveWindow(window, 123, 45);
        w32::testing::pressCloseBox(window);
    });
    // no folder for the single-instance lock: the program runs all the same and says why
    std::filesystem::remove(folder.path() / "run");
    const int result = wWinMain(nullptr, nullptr, nullptr, SW_SHOW);
    user.join();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(folder.logHas(fmt::format("===> Single-instance guard not taken, cannot open {}: No such file or "
                                          "directory", (folder.path() / "run" / "Local_$Tarnwick$.lock").string())));
    EXPECT_EQ((std::tuple{g_runState.load(), saved("MAIN_WINDOW_X"), saved("MAIN_WINDOW_Y")}),
              (std::tuple{RunState::SystemError, "123", "45"}));
    const auto lines = folder.logLines();
    const auto exiting = std::find(lines.begin(), lines.end(), "Exiting: SYSTEM ERROR");
    ASSERT_NE(exiting, lines.end());
    EXPECT_LT(exiting, lines.end() - 1) << "the close-down came first";
    EXPECT_TRUE(std::regex_match(lines.back(), std::regex(R"(\w{3} \w{3} \d{2} \d{2}:\d{2}:\d{2} \d{4})")))
        << "the last line is the time of the quit: " << lines.back();
    EXPECT_TRUE(eventually([] { return !g_controlThreadAlive.load(); }));
}

TEST_F(MainWindowTest, QuittingBeyondTheLimitKeepsThePreviousPosition)
{
    std::filesystem::create_directories(g_dataFolder);
    const HWND window = openWindow();
    w32::testing::moveWindow(window, -40000, 60);
    SendMessageW(window, WM_APP_QUIT, 0, 0);
    EXPECT_TRUE(w32::testing::pump().quit);
    EXPECT_EQ(saved("MAIN_WINDOW_X") + "," + saved("MAIN_WINDOW_Y"), "400,60");
}

TEST(SingleInstance, ASecondInstanceReturnsMinusOneAndWritesNoLog)
{
    testsupport::TempFolder folder;
    gf_initDataPaths();
    const int first = platform::acquireSingleInstance("Local\\$Tarnwick$");
    ASSERT_GE(first, 0);
    EXPECT_EQ(wWinMain(nullptr, nullptr, nullptr, SW_SHOW), -1);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Log.txt"));
    EXPECT_FALSE(std::filesystem::exists(g_dataFolder)) << "nothing was set up";
    platform::releaseSingleInstance(first);
}
