#pragma once
// What the simulator link calls in the subsystems above it. They install these at start;
// tests install their own. A hook that is not installed is skipped.
#include "simconnect/simconnect.h"

#include <functional>
#include <string>

struct SimLinkHooks {
    std::function<void()> rememberUserStand;                 // gf_rememberUserStand of the airport data
    std::function<void(bool)> setSimConnected;               // main window: simConnected, then repaint the header
    std::function<void(bool)> setSimRunning;                 // main window: simRunning, then repaint the header
    std::function<void(const std::string&)> setSimulatorText; // main window: simulatorText, then repaint the header
    // the user aircraft's answers (requests 106 to 109), handled on the SimClient thread
    std::function<void(const SIMCONNECT_RECV_SIMOBJECT_DATA&)> onUserAcData;
};

void gf_setSimLinkHooks(SimLinkHooks hooks);
SimLinkHooks gf_simLinkHooks();
