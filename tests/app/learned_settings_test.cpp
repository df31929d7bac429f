// The settings a park airport's learned file stores, applied to the options panel by the
// program's own range handling and control updates, as the user's clicks apply them.
#include "window_fixture.h"

#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "app/app_hooks.h"
#include "app/panel_requests.h"
#include "foundation/range.h"
#include "simlink/sim_state.h"

#include <algorithm>
#include <fmt/format.h>
#include <fstream>

using testsupport::textOf;

namespace {

namespace fs = std::filesystem;

void lf_write(const fs::path& path, const std::string& text)
{
    fs::create_directories(fs::absolute(path).parent_path());
    std::ofstream(path) << text;
}

std::string lf_apf(const std::string& parameters)
{
    return "<meta><info name='author' value='a'/><info name='date' value='d'/><info name='version' value='1.0.0'/>"
           "</meta><parameters><parameter name='altitude' value='300'/><parameter name='publisher' value='Pub'/>" +
           parameters + "</parameters><parkpositions><parkpos id='A1' latitude='50' longitude='8' radius='20'/>"
           "</parkpositions>";
}

// A control's text (digits here).
std::string lf_text(HWND control)
{
    const std::u16string text = textOf(control);
    return std::string(text.begin(), text.end());
}

// The six static-parking controls that RT_PARKTRAFFIC_ONLY governs.
const std::array<const UiControl*, 6> g_parkTrafficControls{&parking_percentage, &MAX_FIT_FL, &INITIAL_LOAD_ONLY,
                                                            &PARK_SOFT,          &PARK_FAKE,  &WEEK};

class LearnedSettingsTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_NE(window = openPanel(), nullptr);
        gf_resetParkData();
        gf_resetParkApf();
        gf_resetSimLinkState();
        gf_installParkLoadHooks();
        parkAirport = Airport{"EDDF", "", 50.0, 8.0, 0.0};
        lf_write("airports/my_thirdparty/EDDF.xml", lf_apf(""));
    }
    void TearDown() override
    {
        g_parkLoadHooks.install({});
        gf_resetParkData();
        gf_resetParkApf();
    }
    static void pumpAfter(bool acted) { EXPECT_TRUE(acted) << "the control cannot be reached"; w32::testing::pump(); }
    static void click(const UiControl& c) { pumpAfter(w32::testing::click(c.hWnd)); }
    static void chooseRange(std::int32_t nm)
    {
        const auto at = std::find(RANGE.allowed.begin(), RANGE.allowed.end(), nm);
        ASSERT_NE(at, RANGE.allowed.end());
        pumpAfter(w32::testing::select(RANGE.hWnd, static_cast<int>(at - RANGE.allowed.begin())));
    }
    static void loadWithLearned(const std::string& parameters)
    {
        lf_write("airports/learned/thirdparty/Pub/EDDF.xml", lf_apf(parameters));
        ASSERT_EQ(gf_readParkedFile(), "");
        w32::testing::pump();
    }
    // Whether each of the six controls is enabled, and the texts of its two boxes.
    static std::string parkTrafficControls()
    {
        std::string text;
        for (const UiControl* control : g_parkTrafficControls)
            text += IsWindowEnabled(control->hWnd.load()) != FALSE ? "+" : "-";
        for (const UiControl* box : {static_cast<const UiControl*>(&parking_percentage), static_cast<const UiControl*>(&MAX_FIT_FL)})
            text += " '" + lf_text(box->hWnd) + "'";
        return text;
    }

    HWND window = nullptr;
};

// Start-up 40, the user's 80, the airport's 65: with AUTO_RANGE off in the file the airport's
// range stays; without a range in the file, switching off gives back the range saved when the
// automatic range was switched on.
TEST_F(LearnedSettingsTest, TheAirportsRangeStaysWhenItsFileSwitchesAutomaticRangeOff)
{
    const struct { const char* name; bool autoBefore; const char* parameters; std::int32_t range; } cases[] = {
        {"manual before", false, "<parameter name='LATERAL_RANGE' value='65'/><parameter name='AUTO_RANGE' value='false'/>", 65},
        {"automatic before", true, "<parameter name='LATERAL_RANGE' value='65'/><parameter name='AUTO_RANGE' value='false'/>", 65},
        {"no range in the file", true, "<parameter name='AUTO_RANGE' value='false'/>", 80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AUTO_RANGE.value = false;
        gf_setRange(40);
        g_manualRange = RANGE.value.load(); // as the start-up leaves it
        chooseRange(80);
        if (c.autoBefore) {
            click(AUTO_RANGE); // on: 80 saved
            gf_setRange(10);   // as the automatic range may set it
        }
        loadWithLearned(c.parameters);
        EXPECT_FALSE(AUTO_RANGE.value.load());
        EXPECT_EQ((std::tuple{RANGE.value.load(), g_rangeNm.load(), lf_text(RANGE.hWnd), IsWindowEnabled(RANGE.hWnd) != FALSE}),
                  (std::tuple{c.range, static_cast<double>(c.range), std::to_string(c.range), true}));
    }
}

// RT_PARKTRAFFIC_ONLY from the file takes its value, its check box and the six controls that
// depend on it, as a click on its check box does.
TEST_F(LearnedSettingsTest, ParkTrafficOnlyFromTheFileGovernsItsControlsAsItsCheckBoxDoes)
{
    const std::string enabledShown = "++++++ '30' '24'";
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on);
        RT_PARKTRAFFIC_ONLY.value = !on;
        for (const UiControl* control : g_parkTrafficControls)
            EnableWindow(control->hWnd.load(), on ? TRUE : FALSE);
        gf_showIntParameter(parking_percentage);
        gf_showFloatParameter(MAX_FIT_FL);
        gf_showCheckBox(RT_PARKTRAFFIC_ONLY);
        loadWithLearned(fmt::format("<parameter name='RT_PARKTRAFFIC_ONLY' value='{}'/><parameter name='MAX_FIT' value='47'/>", on));
        const std::string fromFile = parkTrafficControls();
        EXPECT_EQ(fromFile, on ? "------ '' ''" : enabledShown);
        EXPECT_EQ((std::tuple{RT_PARKTRAFFIC_ONLY.value.load(), IsDlgButtonChecked(window, RT_PARKTRAFFIC_ONLY.controlId)}),
                  (std::tuple{on, on ? BST_CHECKED : BST_UNCHECKED}));
        click(RT_PARKTRAFFIC_ONLY);
        click(RT_PARKTRAFFIC_ONLY);
        EXPECT_EQ(parkTrafficControls(), fromFile) << "after the clicks";
    }
}

} // namespace
