// The busy mode: while static parked aircraft are calculated and placed, the controls that
// change static parking are disabled and the label "Airport parking active" is shown.
#include "app/main_window_state.h"
#include "app/park_traffic_controls.h"
#include "foundation/option_table.h"
#include "foundation/status_line.h"

namespace {

void lf_enable(std::initializer_list<const UiControl*> controls, bool enable)
{
    for (const UiControl* control : controls)
        EnableWindow(control->hWnd.load(), enable ? TRUE : FALSE);
}

} // namespace

void gf_beginBusyMode()
{
    g_mainWindowState.busy = true;
    lf_enable({&parking_percentage, &INITIAL_LOAD_ONLY, &PARK_FAKE, &PARK_SOFT, &RT_PARKTRAFFIC_ONLY, &WEEK,
               &MAX_PARK_SEL, &MAX_LIVE_SEL, &MAX_FIT_FL, &g_flushStaticButton, &g_rereadButton},
              false);
    gf_clearStatus();
    gf_repaint(WindowArea::optionsPanel);
}

void gf_endBusyMode()
{
    g_mainWindowState.busy = false;
    g_mainWindowState.nextRenewalMinutes = 19;
    gf_repaint(WindowArea::optionsPanel);
    lf_enable({&MAX_PARK_SEL, &MAX_LIVE_SEL, &RT_PARKTRAFFIC_ONLY}, true);
    gf_updateParkTrafficControls();
    lf_enable({&g_flushStaticButton, &g_rereadButton}, true);
    gf_clearStatus();
    gf_repaint(WindowArea::optionsPanel);
}
