#include "app/app_hooks.h"

#include "airports/park_airports.h"
#include "app/main_window_state.h"
#include "simlink/object_list.h"
#include "simlink/sim_hooks.h"
#include "traffic/user_snapshot.h"

#include <string>

void gf_installSimLinkHooks()
{
    SimLinkHooks sim;
    sim.setSimConnected = [](bool on) {
        g_mainWindowState.simConnected = on;
        gf_repaint(WindowArea::header);
    };
    sim.setSimRunning = [](bool on) {
        g_mainWindowState.simRunning = on;
        gf_repaint(WindowArea::header);
    };
    sim.setSimulatorText = [](const std::string& text) {
        g_mainWindowState.simulatorText.set(text);
        gf_repaint(WindowArea::header);
    };
    sim.setUserAircraftText = [](const std::string& text) {
        g_mainWindowState.userAircraftText.set(text);
        gf_repaint(WindowArea::header);
    };
    sim.setUserStandText = [](const std::string& text) {
        g_mainWindowState.userStandText.set(text);
        gf_repaint(WindowArea::header);
    };
    sim.setUserWingspanKnown = [](bool known) {
        g_mainWindowState.userModelKnown = known; // the title turns yellow when it is not
        gf_repaint(WindowArea::header);
    };
    sim.getNearestStandName = [](double lat, double lon) { return gf_getNearestStandName(LatLon{lat, lon}); };
    sim.rememberUserStand = [] { gf_rememberUserStand(gf_copyUserSnapshot()); };
    gf_setSimLinkHooks(std::move(sim));
}

void gf_appendFeedObjectListEntry(std::uint32_t objectId, std::uint32_t hexId, std::uint32_t kind)
{
    gf_pushObjectListEntry(ObjectListEntry{objectId, hexId, 0, kind, 0.0, 0.0});
}
