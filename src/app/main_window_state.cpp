#include "app/main_window_state.h"

#include "foundation/option_controls.h"
#include "w32/windows.h"

MainWindowState g_mainWindowState;

void gf_repaint(WindowArea /*area*/)
{
    // the areas' rectangles belong to the painting; until it names them the whole window is redrawn
    if (const HWND window = g_parentWindow.load(); window != nullptr)
        InvalidateRect(window, nullptr, FALSE);
}

void gf_resetMainWindowState()
{
    MainWindowState& s = g_mainWindowState;
    s.simConnected = false;
    s.simRunning = false;
    s.rtIdle = true;
    s.userModelKnown = true;
    s.userWingspanKnown = false;
    s.timeControlsEnabled = true;
    s.busy = false;
    s.statusUpdateCount = 0;
    s.statusStamp = 0;
    s.liveCount = 0;
    s.parkedLiveCount = 0;
    s.parkedStaticCount = 0;
    s.nextRenewalMinutes = 0;
    s.simaddonCount = 0;
    s.thirdpartyCount = 0;
    s.meanFitStatic = -1.0f;
    s.meanFitLive = -1.0f;
    s.simulatorText.set({});
    s.userAircraftText.set({});
    s.userStandText.set({});
    s.callsignObjectId.set({});
}

void gf_beginBusyMode() { g_mainWindowState.busy = true; }

void gf_endBusyMode() { g_mainWindowState.busy = false; }
