#pragma once
// What the park-airport handling asks of the main window above: whether the busy mode is on and
// the park airport shown. The application installs them at start; tests install their own. A
// hook not installed is skipped (busy: off).
#include "foundation/hook_set.h"

#include <functional>
#include <string>

struct ParkAirportHooks {
    std::function<bool()> busy;
    // The park airport as text; empty: none, the window's airport values cleared.
    std::function<void(const std::string& text)> showParkAirport;
};
extern HookSet<ParkAirportHooks> g_parkAirportHooks;

bool gf_busyHook();
void gf_showParkAirportHook(const std::string& text);
