#include "app/app_hooks.h"

#include "airports/park_load_hooks.h"
#include "app/main_window_state.h"
#include "app/park_traffic_controls.h"
#include "app/panel_requests.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "traffic/park_airport.h"
#include "traffic/park_airport_hooks.h"
#include "traffic/static_plan.h"

void gf_installParkLoadHooks()
{
    ParkLoadHooks hooks;
    hooks.switchAutoRange = [](bool on, bool keepRange) {
        if (!on && keepRange)
            g_manualRange = RANGE.value.load();
        gf_switchAutoRange(on, true);
        gf_showIntParameter(RANGE);
    };
    hooks.updateParkTrafficControls = gf_updateParkTrafficControls;
    hooks.enableControl = [](const UiControl& control, bool enabled) {
        EnableWindow(control.hWnd.load(), enabled ? TRUE : FALSE);
    };
    hooks.showParkFile = [](const ParkFileDisplay& display) {
        MainWindowState& s = g_mainWindowState;
        s.parkFileOk = display.ok;
        s.apfAirportName.set(display.airportName);
        s.apfPublisher.set(display.publisher);
        s.handmadeApf = display.handmade;
        s.qualityFactor.set(display.qualityFactor);
        s.standCount = display.standCount;
        s.rtTrafficWeek = display.rtTrafficWeek;
        s.reservedStand.set(display.reservedStand);
        s.reservedStandOk = display.reservedStandOk;
        gf_repaint(WindowArea::statistics);
    };
    hooks.setFeedElevation = gf_setParkAirportElevation;
    g_parkLoadHooks.install(std::move(hooks));
}

void gf_installParkAirportHooks()
{
    ParkAirportHooks hooks;
    hooks.busy = [] { return g_mainWindowState.busy.load(); };
    hooks.showParkAirport = [](const std::string& text) {
        g_mainWindowState.parkAirportText.set(text);
        gf_repaint(WindowArea::statistics);
    };
    g_parkAirportHooks.install(std::move(hooks));
}

void gf_installStaticParkingHooks()
{
    StaticParkingHooks hooks;
    hooks.beginBusyMode = gf_beginBusyMode;
    hooks.endBusyMode = gf_endBusyMode;
    hooks.clearMeanFits = [] {
        g_mainWindowState.meanFitStatic = -1.0f;
        g_mainWindowState.meanFitLive = -1.0f;
        gf_repaint(WindowArea::statistics);
    };
    hooks.showSoftFit = [](bool soft) {
        g_mainWindowState.staticMarker = soft;
        gf_repaint(WindowArea::statistics);
    };
    hooks.updateParkTrafficControls = gf_updateParkTrafficControls;
    g_staticParkingHooks.install(std::move(hooks));
}
