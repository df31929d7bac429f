#pragma once
// The program's main window in a program folder of its own, with its state back at the start.
#include "app/control_flags.h"
#include "app/main_window.h"
#include "app/main_window_state.h"
#include "aircraft/livery_processing.h"
#include "feed/feed_display.h"
#include "feed/reader_state.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/status_line.h"
#include "support/eventually.h"
#include "support/logged_folder.h"
#include "w32/testing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace testsupport {

inline std::u16string textOf(HWND hwnd)
{
    char16_t buffer[1024];
    return std::u16string(buffer, static_cast<std::size_t>(GetWindowTextW(hwnd, buffer, 1024)));
}

// The colours of the picture of the window at these points.
inline void expectPixels(HWND window, std::initializer_list<std::tuple<int, int, COLORREF>> pixels)
{
    for (const auto& [x, y, colour] : pixels)
        EXPECT_EQ(w32::testing::colourAt(window, x, y), colour) << x << "," << y;
}

// An option's value as parameters.xml holds it; "-" when it is not there.
inline std::string savedOption(const std::string& key)
{
    pugi::xml_document doc;
    doc.load_file(g_parametersPath.c_str());
    const auto node = doc.select_node(("/parameters/parameter[@name='" + key + "']").c_str());
    return node ? node.node().attribute("value").as_string() : "-";
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        gf_initDataPaths();
        gf_resetOptions();
        gf_resetControlFlags();
        gf_resetMainWindowState();
        gf_resetFeedDisplay();
        gf_clearStatusAndError();
        gf_resetStatusUpdates();
        g_sessionGuid.set({});
        w32::testing::reset();
        gf_setProgramResources();
    }
    ~MainWindowTest() override
    {
        g_quit = true;
        g_stop = true;
        gf_setStatusRepaintHook(nullptr);
        gf_installLiveryCountHook(nullptr);
        g_parentWindow = nullptr;
        g_mainWindowState.hMainWindow = nullptr;
        w32::testing::reset();
        gf_clearStatusAndError();
        gf_resetMainWindowState();
        gf_resetFeedDisplay();
    }

    // The window as initInstance makes it, without the message loop and without a run.
    HWND openWindow()
    {
        EXPECT_TRUE(gf_registerWindowClass(nullptr, u"TRWK"));
        EXPECT_TRUE(gf_createMainWindow(nullptr, u"TRWK"));
        gf_setStatusRepaintHook([] { gf_repaint(WindowArea::statusLine); });
        w32::testing::pump();
        return g_mainWindowState.hMainWindow.load();
    }

    // The window with its options panel as the start-up leaves it; no control reports the program's changes.
    HWND openPanel()
    {
        std::filesystem::create_directories(g_dataFolder);
        const HWND window = openWindow();
        for (IntChoiceParameter* option :
             {&MATCHING_DEPTH, &RANGE, &AR_ABOVE_HEIGHT, &MAX_PARK_SEL, &MAX_LIVE_SEL, &AIRP_RANGE, &AIRP_HEIGHT})
            option->fillComboBox();
        for (StringChoiceParameter* option : {&SIM_CHOICE, &AI_PACKAGE_SELECTOR})
            option->fillComboBox();
        gf_showCheckBox(SCAN_LIVERIES);
        gf_showStringParameter(DESTINATION);
        w32::testing::pump();
        EXPECT_FALSE(std::filesystem::exists(g_parametersPath)) << "a change by the program was taken for the user's";
        return window;
    }

    static std::string saved(const std::string& key) { return savedOption(key); }

    // The colour of the last fill of exactly this rectangle in the last paint.
    static std::optional<COLORREF> fillOf(HWND window, const RECT& r)
    {
        std::optional<COLORREF> colour;
        for (const auto& op : w32::testing::lastPaint(window))
            if (op.kind == w32::testing::DrawOp::Kind::fillRect && op.rect.left == r.left && op.rect.top == r.top &&
                op.rect.right == r.right && op.rect.bottom == r.bottom)
                colour = op.colour;
        return colour;
    }

    // The texts of the last paint whose top-left corner lies inside the rectangle.
    static std::vector<w32::testing::DrawnText> textsIn(HWND window, const RECT& r)
    {
        std::vector<w32::testing::DrawnText> out;
        for (const auto& t : w32::testing::drawnTexts(window))
            if (t.x >= r.left && t.x < r.right && t.y >= r.top && t.y < r.bottom)
                out.push_back(t);
        return out;
    }

    LoggedFolder folder;
};

} // namespace testsupport
