// The controls of the options panel, created with the main window from the option objects: one
// for each option the user may change while the program runs, and three push buttons.
#include "app/edit_boxes.h"
#include "app/main_window_state.h"
#include "app/panel_controls.h"
#include "app/window_commands.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/status_line.h"
#include "foundation/utf.h"

#include <array>
#include <fmt/format.h>
#include <stdexcept>
#include <string>

namespace {

// The window procedures of the edit boxes: Enter takes the typed value, everything else goes to
// the box's previous procedure.
template <class Option, void (*entered)(Option&)>
LRESULT lf_boxProc(const char* name, Option& option, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_CHAR || wParam != 13)
        return CallWindowProcW(option.prevWndProc.load(), hwnd, message, wParam, lParam);
    try {
        gf_clearStatus();
        entered(option);
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{} exception {}", name, e.what()));
        gf_repaint(WindowArea::optionsPanel);
    }
    return 0;
}

LRESULT lf_intBoxProc(UiIntParameter& option, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_boxProc<UiIntParameter, gf_intBoxEntered>("lf_intBoxProc", option, hwnd, message, wParam, lParam);
}

LRESULT lf_floatBoxProc(UiFloatParameter& option, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_boxProc<UiFloatParameter, gf_floatBoxEntered>("lf_floatBoxProc", option, hwnd, message, wParam, lParam);
}

LRESULT lf_textBoxProc(UiStringParameter& option, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_boxProc<UiStringParameter, gf_textBoxEntered>("lf_textBoxProc", option, hwnd, message, wParam, lParam);
}

// One procedure per box, bound to its option.
template <UiIntParameter* option> LRESULT lf_intBox(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_intBoxProc(*option, hwnd, message, wParam, lParam);
}
template <UiFloatParameter* option> LRESULT lf_floatBox(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_floatBoxProc(*option, hwnd, message, wParam, lParam);
}
template <UiStringParameter* option> LRESULT lf_textBox(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_textBoxProc(*option, hwnd, message, wParam, lParam);
}

constexpr int g_line = 16;    // edit boxes
constexpr int g_buttonH = 20; // push buttons
// The path box reaches the window's right edge.
constexpr int g_pathWidth = g_optionsPanelRect.right - 111;

using K = ControlKind;

const std::array<PanelControl, 47> g_controls{{
    {K::comboBox, &SIM_CHOICE, 5, 105, 80},
    {K::editBox, &ALL_INSTALL_PATH, 111, g_pathWidth, g_line, &lf_textBox<&ALL_INSTALL_PATH>},
    {K::checkBox, &SCAN_LIVERIES, 5},
    {K::checkBox, &LIG_AUTOMATIC, 217},
    {K::comboBox, &AI_PACKAGE_SELECTOR, 308, 125, 144},
    {K::checkBox, &LIG_PRIORITIZE, 450},
    {K::checkBox, &SUPPRESS_STUB, 536},
    {K::checkBox, &LOG, 652},
    {K::checkBox, &ALWAYS_ON_TOP, 748},
    {K::checkBox, &SCAN_AIRPORTS, 5},
    {K::checkBox, &NAV_LIGHTS_WHILE_PARKED, 652},
    {K::checkBox, &LEARN_SOFT, 748},
    {K::comboBox, &MATCHING_DEPTH, 217, 40, 120},
    {K::checkBox, &LIGHT_AIRCRAFT, 323},
    {K::checkBox, &HELICOPTERS, 430},
    {K::checkBox, &HIGH_PERF_AIRCRAFT, 536},
    {K::checkBox, &GUID_CHANGES, 748},
    {K::comboBox, &RANGE, 217, 50, 200},
    {K::checkBox, &AUTO_RANGE, 323},
    {K::comboBox, &AR_ABOVE_HEIGHT, 455, 70, 230},
    {K::checkBox, &CALLSIGN_OBJECTIDS, 652},
    {K::editBox, &TIME_SHIFT_DAYS, 748, 30, g_line, &lf_intBox<&TIME_SHIFT_DAYS>},
    {K::checkBox, &COLLISION_USER_GND, 217},
    {K::checkBox, &COLLISION_USER_AIR, 323},
    {K::checkBox, &COLLISION_LIVE_PARKED_GND, 430},
    {K::checkBox, &SIM_TIME, 652},
    {K::editBox, &TIME_SHIFT_HOURS, 748, 30, g_line, &lf_intBox<&TIME_SHIFT_HOURS>},
    {K::editBox, &BLOCK_CALLSIGN, 217, 100, g_line, &lf_textBox<&BLOCK_CALLSIGN>},
    {K::pushButton, &g_unblockButton, 323, 70, g_buttonH},
    {K::editBox, &CALLSIGN_2_OBJECTID, 460, 95, g_line, &lf_textBox<&CALLSIGN_2_OBJECTID>},
    {K::checkBox, &KEEP_SIM_TIME_PAR, 652},
    {K::editBox, &TIME_SHIFT_MINS, 748, 30, g_line, &lf_intBox<&TIME_SHIFT_MINS>},
    {K::comboBox, &MAX_PARK_SEL, 323, 55, 144},
    {K::comboBox, &MAX_LIVE_SEL, 536, 55, 144},
    {K::editBox, &DESTINATION, 217, 50, g_line, &lf_textBox<&DESTINATION>},
    {K::comboBox, &AIRP_RANGE, 353, 45, 144},
    {K::comboBox, &AIRP_HEIGHT, 566, 70, 230},
    {K::checkBox, &STRAIGHT_PBS_ONLY, 652},
    {K::checkBox, &PARK_FAKE, 5},
    {K::checkBox, &WEEK, 71},
    {K::checkBox, &PARK_SOFT, 151},
    {K::editBox, &parking_percentage, 323, 34, g_line, &lf_intBox<&parking_percentage>},
    {K::checkBox, &INITIAL_LOAD_ONLY, 430},
    {K::editBox, &MAX_FIT_FL, 566, 34, g_line, &lf_floatBox<&MAX_FIT_FL>},
    {K::checkBox, &RT_PARKTRAFFIC_ONLY, 642},
    {K::pushButton, &g_rereadButton, 758, 90, g_buttonH},
    {K::pushButton, &g_flushStaticButton, 758, 90, g_buttonH},
}};

HWND lf_create(HWND window, HINSTANCE instance, const PanelControl& c, LPCWSTR className, LPCWSTR text, DWORD style)
{
    const auto id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(c.control->controlId));
    const HWND hwnd = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, c.x, gf_controlTop(c), c.width,
                                      c.height, window, id, instance, nullptr);
    if (hwnd == nullptr)
        gf_log(fmt::format("CreateWindowExW failed for ID {}", c.control->controlId));
    c.control->hWnd = hwnd;
    return hwnd;
}

// Checked when its option is on; the program toggles it itself.
void lf_createCheckBox(HWND window, HINSTANCE instance, const PanelControl& c)
{
    const HWND box = lf_create(window, instance, c, u"button", u"", BS_CHECKBOX);
    if (const auto* option = dynamic_cast<const UiBoolParameter*>(c.control); option != nullptr && box != nullptr)
        SendMessageW(box, BM_SETCHECK, option->value ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Disabled until it applies.
void lf_createButton(HWND window, HINSTANCE instance, const PanelControl& c)
{
    const auto* button = dynamic_cast<const UiButton*>(c.control);
    const std::u16string caption = button != nullptr ? gf_utf8ToUtf16(button->name) : u"";
    lf_create(window, instance, c, u"button", caption.c_str(), BS_DEFPUSHBUTTON | WS_DISABLED);
}

// Disabled until the start-up enables it; its own procedure takes Enter.
void lf_createEditBox(HWND window, HINSTANCE instance, const PanelControl& c)
{
    const HWND box = lf_create(window, instance, c, u"Edit", u"", WS_BORDER | WS_DISABLED);
    if (box != nullptr)
        c.control->prevWndProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(c.procedure)));
}

// Enabled and empty: the start-up fills it.
void lf_createComboBox(HWND window, HINSTANCE instance, const PanelControl& c)
{
    lf_create(window, instance, c, u"ComboBox", u"", WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST);
}

} // namespace

std::span<const PanelControl> gf_panelControls() { return g_controls; }

int gf_controlTop(const PanelControl& c)
{
    switch (c.kind) {
    case ControlKind::checkBox:
        return c.control->rowY + 2;
    case ControlKind::comboBox:
        return c.control->rowY - 5;
    default:
        return c.control->rowY;
    }
}

UiBoolParameter* gf_checkBoxOption(int id)
{
    for (const PanelControl& c : g_controls)
        if (c.kind == ControlKind::checkBox && c.control->controlId == id)
            return dynamic_cast<UiBoolParameter*>(c.control);
    return nullptr;
}

void gf_createControls(HWND window, const CREATESTRUCTW* create)
{
    const HINSTANCE instance = create != nullptr ? create->hInstance : nullptr;
    for (const PanelControl& c : g_controls) {
        switch (c.kind) {
        case ControlKind::checkBox:
            lf_createCheckBox(window, instance, c);
            break;
        case ControlKind::pushButton:
            lf_createButton(window, instance, c);
            break;
        case ControlKind::editBox:
            lf_createEditBox(window, instance, c);
            break;
        case ControlKind::comboBox:
            lf_createComboBox(window, instance, c);
            break;
        }
    }
    InvalidateRect(window, &g_optionsPanelRect, TRUE);
}
