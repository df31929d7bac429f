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
    // Not called any more: the link handles the answers to requests 106 to 109 itself
    // (user_aircraft.h). Kept so that code installing it still builds.
    std::function<void(const SIMCONNECT_RECV_SIMOBJECT_DATA&)> onUserAcData;
    // main window: userAircraftText, userStandText and whether the model (and so its wingspan)
    // is known, each then a repaint of the header
    std::function<void(const std::string&)> setUserAircraftText;
    std::function<void(const std::string&)> setUserStandText;
    std::function<void(bool)> setUserWingspanKnown;
    // gf_getNearestStandName of the traffic manager: the park-airport stand nearest to a
    // position, empty when none
    std::function<std::string(double lat, double lon)> getNearestStandName;
};

void gf_setSimLinkHooks(SimLinkHooks hooks);
SimLinkHooks gf_simLinkHooks();
