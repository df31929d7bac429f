#pragma once
// The six static-parking controls that RT_PARKTRAFFIC_ONLY governs.

// Enables them exactly while RT_PARKTRAFFIC_ONLY is off; the two boxes show their values then
// and are empty otherwise. Repaints the options panel.
void gf_updateParkTrafficControls();
