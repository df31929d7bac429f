// The commands of the options panel: the push buttons and the check boxes. Every change is
// stored in its option and saved at once; what the running parts must do goes to them as
// requests (panel_requests.h).
#include "app/window_commands.h"

#include "app/control_flags.h"
#include "app/main_window_state.h"
#include "app/panel_controls.h"
#include "app/panel_requests.h"
#include "app/park_traffic_controls.h"
#include "airports/park_airports.h"
#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "simlink/sim_state.h"
#include "traffic/park_settings.h"

#include <array>
#include <fmt/format.h>
#include <stdexcept>
#include <utility>

namespace {

bool lf_handleButton(WORD id)
{
    if (id == g_unblockButton.controlId) {
        if (BLOCK_CALLSIGN.value.get().empty())
            gf_showStatus("Nothing to block or unblock...", false);
        else
            gf_unblockCallsign();
    } else if (id == g_rereadButton.controlId) {
        g_rereadRequest = true;
        EnableWindow(g_rereadButton.hWnd, FALSE);
        EnableWindow(DESTINATION.hWnd, FALSE);
    } else if (id == g_flushStaticButton.controlId) {
        gf_showStatus("All static parked aircraft will be removed ...", false);
        g_flushStaticRequest = true;
        EnableWindow(g_flushStaticButton.hWnd, FALSE);
    } else {
        return false;
    }
    return true;
}

// What the status line says when a check box is switched on or off: "" clears it, nullptr
// leaves it.
struct CheckBoxTexts {
    const UiBoolParameter* option;
    const char* whenOn;
    const char* whenOff;
};

const std::array<CheckBoxTexts, 8> g_checkBoxTexts{{
    {&LIG_AUTOMATIC, "", "The liveries defined by your lfolder parameters will be scanned"},
    {&LIG_PRIORITIZE, "Liveries, for airl+model, in lower lfolders that are already available will be skipped", ""},
    {&COLLISION_LIVE_PARKED_GND, "",
     "Be aware, no collision avoidance with live aircraft vs parked static on the ground"},
    {&COLLISION_USER_GND, "", "Be aware, no collision avoidance with user aircraft on the ground"},
    {&COLLISION_USER_AIR, "", "Be aware, no collision avoidance with user aircraft in the air"},
    {&INITIAL_LOAD_ONLY,
     "Initial Load Only: static parked aircraft are generated once, no renewal every 20 minutes", ""},
    {&SUPPRESS_STUB, "Exclude FSLTL-liveries titles ending with _STUB from scan", ""},
    {&GUID_CHANGES, "", "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!"},
}};

void lf_showText(const char* text)
{
    if (text == nullptr)
        return;
    if (*text == 0)
        gf_clearStatus();
    else
        gf_showStatus(text, false);
}

// A scan that needs a new run: before the simulator link opens the run ends for a restart (the
// first stop reason of a run stays); afterwards the scan is only announced.
void lf_scanOption(bool on, const char* now, const char* later, bool clearLiveries)
{
    if (!on) {
        gf_clearStatus();
    } else if (g_simNotConnected) {
        if (clearLiveries)
            g_clearLiveriesRequest = true;
        gf_showStatus(now, true);
        gf_requestStop(RunState::NewSettings, 2);
    } else {
        gf_showStatus(fmt::format(fmt::runtime(later), g_shortDisplayName), false);
    }
    gf_repaint(WindowArea::optionsPanel);
}

void lf_apfParamIfLoaded()
{
    if (g_parkAirportLoaded)
        g_apfParamsChanged = true;
}

using CheckBoxAction = void (*)(HWND window, bool on);

const std::array<std::pair<const UiBoolParameter*, CheckBoxAction>, 13> g_checkBoxActions{{
    {&LIG_AUTOMATIC, [](HWND, bool on) { EnableWindow(AI_PACKAGE_SELECTOR.hWnd, on ? TRUE : FALSE); }},
    {&INITIAL_LOAD_ONLY,
     [](HWND, bool) {
         gf_repaint(WindowArea::optionsPanel);
         lf_apfParamIfLoaded();
     }},
    {&ALWAYS_ON_TOP,
     [](HWND window, bool on) {
         if (on)
             gf_showStatus(fmt::format("{}'s window will remain visible", g_shortDisplayName), false);
         else
             gf_clearStatus();
         SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
     }},
    {&RT_PARKTRAFFIC_ONLY,
     [](HWND, bool on) {
         gf_updateParkTrafficControls();
         g_apfParamsChanged = true;
         g_ptOnlyPending = on;
         gf_parkingSettingsChanged();
         gf_repaint(WindowArea::statistics);
     }},
    {&SIM_TIME, [](HWND, bool on) { gf_applySimTime(on); }},
    {&AUTO_RANGE, [](HWND, bool on) { gf_switchAutoRange(on, false); }},
    {&SCAN_LIVERIES,
     [](HWND, bool on) {
         lf_scanOption(on, "Your liveries will be scanned",
                       "Your liveries will be scanned at the next start of {}, recommended after you have add/removed AI aircraft models/liveries",
                       true);
     }},
    {&SCAN_AIRPORTS,
     [](HWND, bool on) {
         lf_scanOption(on, "Your airports will be scanned",
                       "Your airports will be scanned at the next start of {}, recommended after you have add/removed airports",
                       false);
     }},
    {&PARK_SOFT, [](HWND, bool) { gf_parkingSettingsChanged(); }},
    {&PARK_FAKE, [](HWND, bool) { gf_parkingSettingsChanged(); }},
    {&WEEK, [](HWND, bool) { gf_parkingSettingsChanged(); }},
    {&NAV_LIGHTS_WHILE_PARKED, [](HWND, bool) { g_navLightsRequest = true; }},
    {&LEARN_SOFT, [](HWND, bool) { lf_apfParamIfLoaded(); }},
}};

// A check box does not toggle itself: the click is turned into the opposite state here.
bool lf_handleCheckBox(HWND window, WORD id)
{
    UiBoolParameter* option = gf_checkBoxOption(id);
    if (option == nullptr)
        return false;
    const bool on = IsDlgButtonChecked(window, id) != BST_CHECKED;
    CheckDlgButton(window, id, on ? BST_CHECKED : BST_UNCHECKED);
    option->value = on;
    gf_saveBoolParameter(*option);
    for (const CheckBoxTexts& t : g_checkBoxTexts)
        if (t.option == option)
            lf_showText(on ? t.whenOn : t.whenOff);
    for (const auto& [actionOption, action] : g_checkBoxActions)
        if (actionOption == option)
            action(window, on);
    gf_repaint(WindowArea::optionsPanel); // its label may follow it
    return true;
}

bool lf_HandleWMCOMMAND(HWND window, WPARAM wParam)
{
    const WORD id = LOWORD(wParam);
    if (lf_handleButton(id) || lf_handleCheckBox(window, id) || gf_handleComboBox(window, wParam))
        return true;
    gf_repaint(WindowArea::optionsPanel);
    return false;
}

} // namespace

bool gf_handleCommand(HWND window, WPARAM wParam)
{
    try {
        return lf_HandleWMCOMMAND(window, wParam);
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{} exception {}", "lf_HandleWMCOMMAND", e.what()));
        gf_repaint(WindowArea::optionsPanel);
        return false;
    }
}
