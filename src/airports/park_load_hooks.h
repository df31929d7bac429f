#pragma once
// What loading the park airport calls in the application above: the options panel, the main
// window's park-file display and the feed's record filter. The application installs them at
// start; tests install their own. A hook that is not installed is skipped.
#include "foundation/hook_set.h"
#include "foundation/options.h"

#include <cstdint>
#include <functional>
#include <string>

// The park airport's file as the main window shows it.
struct ParkFileDisplay {
    bool ok = false; // the park airport's file was loaded
    std::string airportName;
    std::string publisher;
    bool handmade = false;
    std::string qualityFactor; // gf_formatQf
    std::int32_t standCount = 0;
    std::int32_t rtTrafficWeek = 0;
    std::string reservedStand; // the stand kept free for the user; empty = none
    bool reservedStandOk = false;
};

struct ParkLoadHooks {
    // AUTO_RANGE switched as its check box switches it, on the control thread: on saves RANGE
    // and applies the automatic range; off restores the saved RANGE, or with `keepRange` keeps
    // the RANGE just taken from the file; RANGE is shown again.
    std::function<void(bool on, bool keepRange)> switchAutoRange;
    // RT_PARKTRAFFIC_ONLY changed: the controls that depend on it follow, as after its check box.
    std::function<void()> updateParkTrafficControls;
    // A control of the options panel enabled or disabled.
    std::function<void(const UiControl& control, bool enabled)> enableControl;
    // The main window's park-file fields, then a repaint.
    std::function<void(const ParkFileDisplay& display)> showParkFile;
    // The park airport's elevation (feet) for the feed's record filter.
    std::function<void(double feet)> setFeedElevation;
};

extern HookSet<ParkLoadHooks> g_parkLoadHooks;
