#include "app/park_traffic_controls.h"

#include "app/main_window_state.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"

void gf_updateParkTrafficControls()
{
    const bool enable = !RT_PARKTRAFFIC_ONLY.value;
    for (const UiControl* control :
         {static_cast<const UiControl*>(&parking_percentage), static_cast<const UiControl*>(&MAX_FIT_FL),
          static_cast<const UiControl*>(&INITIAL_LOAD_ONLY), static_cast<const UiControl*>(&PARK_SOFT),
          static_cast<const UiControl*>(&PARK_FAKE), static_cast<const UiControl*>(&WEEK)})
        EnableWindow(control->hWnd.load(), enable ? TRUE : FALSE);
    if (enable) {
        gf_showIntParameter(parking_percentage);
        gf_showFloatParameter(MAX_FIT_FL);
    } else {
        gf_clearTextBox(parking_percentage.controlId);
        gf_clearTextBox(MAX_FIT_FL.controlId);
    }
    gf_repaint(WindowArea::optionsPanel);
}
