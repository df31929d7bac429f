// The labels of the options panel, each at its x and at the row of the option it belongs to.
#include "app/main_window_state.h"
#include "app/paint_text.h"
#include "airports/park_airports.h"
#include "foundation/option_table.h"
#include "foundation/shell_state.h"
#include "foundation/text_utils.h"

#include <fmt/format.h>

namespace {

COLORREF lf_onYellow(const BoolParameter& option) { return option.value ? g_yellowColour : g_blackColour; }

bool lf_enabled(const UiControl& control) { return IsWindowEnabled(control.hWnd.load()) != FALSE; }

void lf_black(int x, int y, const std::string& text) { gf_textOut(x, y, text, g_blackColour); }

void lf_scanRows()
{
    const MainWindowState& s = g_mainWindowState;
    int y = LIG_AUTOMATIC.rowY;
    gf_textOut(25, y, "Scan for liveries", lf_onYellow(SCAN_LIVERIES));
    lf_black(237, y, "Automatic:");
    lf_black(470, y, "Prioritize");
    lf_black(556, y, "Stub");
    lf_black(672, y, "Log");
    gf_textOut(768, y, "Stay on top", lf_onYellow(ALWAYS_ON_TOP));

    y = SCAN_AIRPORTS.rowY;
    gf_textOut(25, y, "Scan for addon airports", lf_onYellow(SCAN_AIRPORTS));
    if (const std::int32_t airports = s.addonAirportCount; airports > 0)
        gf_textOut(217, y, fmt::format("{} airport{} in {} folder", airports, gf_plural(airports), s.addonScanFolder.get()),
                   g_yellowColour);
    lf_black(672, y, "Nav lights");
    lf_black(768, y, "Learn Soft");

    y = MATCHING_DEPTH.rowY;
    lf_black(5, y, "Max aircraft matching depth");
    lf_black(258, y, "Optional:");
    gf_textOutEnabled(343, y, "Light aircraft", lf_enabled(LIGHT_AIRCRAFT));
    gf_textOutEnabled(450, y, "Helicopters", lf_enabled(HELICOPTERS));
    gf_textOutEnabled(556, y, "FighterJets", lf_enabled(HIGH_PERF_AIRCRAFT));
    gf_textOutEnabled(672, y, "Objectids", g_msfs2020Mode);
    gf_textOut(768, y, "GUID changes", GUID_CHANGES.value ? g_blackColour : g_yellowColour);
}

void lf_trafficRows()
{
    const MainWindowState& s = g_mainWindowState;
    const bool timeControls = s.timeControlsEnabled;
    int y = RANGE.rowY;
    lf_black(5, y, "Traffic injection");
    lf_black(163, y, "Radius:");
    lf_black(270, y, "nm, or");
    lf_black(343, y, "Auto range");
    gf_textOutEnabled(430, y, "Ah:", AUTO_RANGE.value);
    gf_textOutEnabled(536, y, "ft", AUTO_RANGE.value);
    gf_textOutEnabled(672, y, "Sim Time", timeControls);
    gf_textOutEnabled(788, y, fmt::format("hour{}", gf_plural(TIME_SHIFT_HOURS.value.load())), timeControls);

    y = BLOCK_CALLSIGN.rowY;
    lf_black(5, y, "Callsigns");
    lf_black(172, y, "Block:");
    lf_black(430, y, "Oid:");
    if (const std::string objectId = s.callsignObjectId.get(); !objectId.empty() && !CALLSIGN_2_OBJECTID.value.empty())
        lf_black(561, y, objectId);
    gf_textOutEnabled(652, y, "Time shift:", timeControls);
    gf_textOutEnabled(788, y, fmt::format("day{}", gf_plural(TIME_SHIFT_DAYS.value.load())), timeControls);

    y = COLLISION_USER_GND.rowY;
    lf_black(5, y, "Collision avoidance");
    lf_black(237, y, "User ground");
    lf_black(343, y, "User air");
    lf_black(450, y, "Live X parked");
    gf_textOutEnabled(672, y, "Save", timeControls);
    gf_textOutEnabled(788, y, fmt::format("minute{}", gf_plural(TIME_SHIFT_MINS.value.load())), timeControls);
}

void lf_parkingRows()
{
    const MainWindowState& s = g_mainWindowState;
    const bool busy = s.busy;
    const bool ptOnly = RT_PARKTRAFFIC_ONLY.value;
    int y = MAX_PARK_SEL.rowY;
    gf_textOut(5, y, fmt::format("Airport parking{}", busy ? " active" : ""), busy ? g_yellowColour : g_blackColour);
    const bool noPark = MAX_PARK_SEL.value == 0;
    const bool noLive = MAX_LIVE_SEL.value == 0;
    const bool bothNone = noPark && noLive;
    gf_textOut(171, y, "Max park (static+live):", bothNone ? g_redColour : (noPark ? g_yellowColour : g_blackColour));
    gf_textOut(401, y, "Max live (park incl):", bothNone ? g_redColour : (noLive ? g_yellowColour : g_blackColour));
    gf_textOutEnabled(672, y, "Straight push backs only", STRAIGHT_PBS_ONLY.value);

    y = AIRP_RANGE.rowY;
    const std::int32_t minutes = s.nextRenewalMinutes;
    if (g_parkAirportLoaded && !busy && (!INITIAL_LOAD_ONLY.value || ptOnly) && minutes >= 1 && minutes < 20)
        lf_black(5, y, fmt::format("(next in {} min)", minutes));
    lf_black(137, y, "Destination:");
    lf_black(303, y, "Range:");
    lf_black(403, y, "nm");
    lf_black(440, y, "Height above gnd:");
    lf_black(646, y, "ft");

    y = parking_percentage.rowY;
    gf_textOutEnabled(25, y, "Fake", !ptOnly);
    gf_textOutEnabled(91, y, "Week", !ptOnly);
    gf_textOutEnabled(171, y, "Soft", !ptOnly);
    gf_textOutEnabled(264, y, "Target: ", !ptOnly);
    gf_textOutEnabled(363, y, "%", !ptOnly);
    gf_textOut(450, y, "ILO", ptOnly ? g_greyColour : lf_onYellow(INITIAL_LOAD_ONLY));
    gf_textOutEnabled(506, y, "Max fit:", !ptOnly);
    lf_black(662, y, "PT only");
}

} // namespace

void gf_paintOptionLabels()
{
    lf_scanRows();
    lf_trafficRows();
    lf_parkingRows();
}
