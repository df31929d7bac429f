#include "app/main_window_state.h"

#include "foundation/option_controls.h"
#include "foundation/status_line.h"

MainWindowState g_mainWindowState;

MainWindowState::MainWindowState() { constructed = true; }

MainWindowState::~MainWindowState()
{
    paintDc = nullptr;
    hMainWindow = nullptr;
}

void gf_repaint(WindowArea area)
{
    const HWND window = g_parentWindow.load();
    if (window == nullptr)
        return;
    const RECT* rect = nullptr;
    switch (area) {
    case WindowArea::header:
        rect = &g_headerRect;
        break;
    case WindowArea::statistics:
        rect = &g_statisticsRect;
        break;
    case WindowArea::optionsPanel:
        rect = &g_optionsPanelRect;
        break;
    case WindowArea::statusLine:
        rect = &g_statusLineRect;
        break;
    }
    InvalidateRect(window, rect, TRUE);
}

void gf_resetMainWindowState()
{
    MainWindowState& s = g_mainWindowState;
    s.simConnected = false;
    s.simRunning = false;
    s.rtIdle = true;
    s.userModelKnown = true;
    for (SharedText* text : {&s.simulatorText, &s.userAircraftText, &s.userStandText, &s.rtAccountText,
                             &s.callsignObjectId, &s.addonScanFolder, &s.parkAirportText, &s.apfAirportName,
                             &s.apfPublisher, &s.qualityFactor, &s.reservedStand})
        text->set({});
    // liveryCount stays: the liveries are read once per process, a restart does not show them again
    s.simaddonCount = 0;
    s.thirdpartyCount = 0;
    s.liveCount = 0;
    s.timeControlsEnabled = true;
    s.busy = false;
    s.nextRenewalMinutes = 0;
    s.addonAirportCount = 0;
    s.rtTrafficWeek = 0;
    s.handmadeApf = false;
    s.parkFileOk = false;
    s.staticMarker = false;
    s.reservedStandOk = false;
    s.standUpdates = 0;
    s.standCount = 0;
    s.parkedLiveCount = 0;
    s.parkedStaticCount = 0;
    s.maxPark = 0;
    s.maxParkPercent = 0;
    s.meanFitStatic = -1.0f;
    s.meanFitLive = -1.0f;
    gf_resetStatusUpdates();
}
