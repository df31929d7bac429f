// The drop-down lists of the options panel: a selection by the user is stored in its option,
// saved, shown, and handed on; switching the simulator ends the run for a restart.
#include "app/control_flags.h"
#include "app/panel_controls.h"
#include "app/panel_requests.h"
#include "airports/park_airports.h"
#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/range.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/utf.h"
#include "traffic/park_settings.h"

#include <array>
#include <cstdint>
#include <fmt/format.h>
#include <optional>
#include <string>

namespace {

struct ComboSelection {
    std::int32_t index = 0;
    std::string text; // UTF-8
};

// The user's new selection in the list with this id; none for another control, another
// notification or no selection.
std::optional<ComboSelection> lf_getComboSelection(HWND window, WORD id, WPARAM wParam)
{
    if (LOWORD(wParam) != id || HIWORD(wParam) != CBN_SELCHANGE)
        return std::nullopt;
    const HWND box = GetDlgItem(window, id);
    if (box == nullptr)
        return std::nullopt;
    const LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return std::nullopt;
    const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return std::nullopt;
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return ComboSelection{static_cast<std::int32_t>(index), gf_utf16ToUtf8(text)};
}

// Changing the simulator: the window records the switch and ends the run; the control thread
// clears the livery tables and changes the mode between two runs.
void lf_switchSimulator()
{
    const bool to2020 = SIM_CHOICE.value.get() == "MSFS 2020";
    g_simSwitchRequest = true;
    for (UiBoolParameter* scan : {&SCAN_AIRPORTS, &SCAN_LIVERIES}) {
        scan->value = true;
        gf_saveBoolParameter(*scan);
        gf_showCheckBox(*scan);
    }
    gf_showStatus(fmt::format("Switching Simulator to {}", to2020 ? "MSFS 2020" : "MSFS 2024"), true);
    ALL_INSTALL_PATH.value.set({});
    gf_showStringParameter(ALL_INSTALL_PATH);
    if (!to2020) {
        MYSIMADDON24_VERSION.value.set({});
        gf_saveStringParameter(MYSIMADDON24_VERSION);
    }
    gf_requestNewRun(3);
}

void lf_textChoice(StringChoiceParameter& option, const std::string& text)
{
    if (text == option.value.get())
        return;
    option.value.set(text);
    gf_saveStringParameter(option);
    if (&option == &SIM_CHOICE)
        lf_switchSimulator();
    else
        gf_showStringParameter(option);
}

void lf_intChoice(IntChoiceParameter& option, std::int32_t index)
{
    if (index < 0 || index >= static_cast<std::int32_t>(option.allowed.size()))
        return;
    option.value = option.clamped(option.allowed[static_cast<std::size_t>(index)]);
    gf_saveIntParameter(option);
    gf_showIntParameter(option);
    if (&option == &MAX_PARK_SEL) {
        gf_parkingSettingsChanged();
    } else if (&option == &RANGE) {
        gf_setRange(option.value);
        g_apfParamsChanged = true;
    } else if (&option == &MAX_LIVE_SEL) {
        if (g_parkAirportLoaded)
            g_apfParamsChanged = true;
        else
            g_maxLiveGeneral = option.value.load();
        g_removeExcessLiveRequest = true;
    }
}

} // namespace

bool gf_handleComboBox(HWND window, WPARAM wParam)
{
    // in this order: the first list with a selection is the one handled
    static const std::array<StringChoiceParameter*, 2> texts{&SIM_CHOICE, &AI_PACKAGE_SELECTOR};
    static const std::array<IntChoiceParameter*, 7> ints{&MATCHING_DEPTH, &MAX_PARK_SEL, &RANGE,       &AIRP_RANGE,
                                                         &AR_ABOVE_HEIGHT, &AIRP_HEIGHT, &MAX_LIVE_SEL};
    for (StringChoiceParameter* option : texts)
        if (const auto selection = lf_getComboSelection(window, option->controlId, wParam)) {
            lf_textChoice(*option, selection->text);
            return true;
        }
    for (IntChoiceParameter* option : ints)
        if (const auto selection = lf_getComboSelection(window, option->controlId, wParam)) {
            lf_intChoice(*option, selection->index);
            return true;
        }
    return false;
}
