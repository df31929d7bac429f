// The number boxes of the options panel: the parking percentage and the three parts of the time
// shift (whole numbers), and the maximum fit in hours. A typed value is checked, clamped, stored,
// saved where its option is kept in parameters.xml, and shown with its effect.
#include "app/edit_boxes.h"

#include "app/panel_requests.h"
#include "airports/park_data.h"
#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/status_line.h"
#include "foundation/time_shift.h"
#include "foundation/utf.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <stdexcept>

namespace {

bool lf_isTimeShiftPart(const UiIntParameter& option)
{
    return &option == &TIME_SHIFT_DAYS || &option == &TIME_SHIFT_HOURS || &option == &TIME_SHIFT_MINS;
}

// The typed value is the option's already: said, and the value shown again.
void lf_sameValue(const std::string& key, const std::string& value)
{
    gf_showStatus(fmt::format("Same {} value {}, no changes made", key, value), true);
}

// True when a new value was set. The time-shift parts are saved by the time shift itself; the
// parking percentage is not kept in parameters.xml.
bool lf_processTbInt(UiIntParameter& option)
{
    const std::string text = gf_getTextFromId(option.controlId);
    const bool percentage = &option == &parking_percentage;
    if (text.empty()) {
        option.value = percentage ? 0 : option.clamped(option.defaultValue);
        if (!percentage)
            gf_saveIntParameter(option);
    } else {
        try {
            const std::int32_t n = std::stoi(text);
            if (n == option.value) {
                lf_sameValue(option.name, std::to_string(n));
                gf_showIntParameter(option);
                return false;
            }
            option.value = option.clamped(n);
        } catch (const std::invalid_argument&) {
            gf_showStatus(fmt::format("invalid input: {}", text), true);
            return false;
        } catch (const std::out_of_range& e) {
            gf_logError(fmt::format("{}: {}, h={} ", "lf_processTbInt", e.what(), text));
            return false;
        }
        if (!percentage && !lf_isTimeShiftPart(option))
            gf_saveIntParameter(option);
    }
    gf_showStatus(fmt::format("The new {} is {}", option.name, option.value.load()), false);
    gf_showIntParameter(option);
    return true;
}

// MAX_FIT_FL in hours; its stored form is MAX_FIT, the number of half hours less one. True when
// a new value was set.
bool lf_processTbFloat(UiFloatParameter& option)
{
    const std::string text = gf_getTextFromId(option.controlId);
    if (text.empty()) {
        option.value = option.clamped(option.defaultValue);
        MAX_FIT.value = MAX_FIT.clamped(MAX_FIT.defaultValue);
    } else {
        float hours = 0.0F;
        try {
            hours = std::stof(text);
            // "nan" and "inf" pass std::stof but are no number of hours
            if (!std::isfinite(hours))
                throw std::invalid_argument("stof: not a finite number");
        } catch (const std::logic_error& e) {
            gf_log(fmt::format("{}: {}, h={}", "lf_processTbFloat", e.what(), text));
            return false;
        }
        if (hours == option.value) {
            lf_sameValue(option.name, fmt::format("{}", hours));
            gf_showFloatParameter(option);
            return false;
        }
        MAX_FIT.value = MAX_FIT.clamped(std::lround(2.0F * option.clamped(hours)) - 1);
        option.value = option.clamped(static_cast<float>(MAX_FIT.value) * 0.5F + 0.5F);
    }
    gf_saveIntParameter(MAX_FIT);
    gf_showStatus(fmt::format("The new {} is {:.1F}", option.name, option.value.load()), false);
    gf_showFloatParameter(option);
    return true;
}

} // namespace

std::string gf_getTextFromId(std::uint16_t controlId)
{
    const HWND parent = g_parentWindow.load();
    const HWND box = parent != nullptr ? GetDlgItem(parent, controlId) : nullptr;
    if (box == nullptr) {
        gf_log(fmt::format("GetDlgItem failed for ID {}", controlId));
        return {};
    }
    char16_t buffer[1024];
    const int length = GetWindowTextW(box, buffer, 1024);
    try {
        return gf_utf16ToUtf8(std::u16string_view(buffer, static_cast<std::size_t>(std::max(length, 0))));
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{} {}", "lf_getTextFromId", e.what()));
        return {};
    }
}

void gf_intBoxEntered(UiIntParameter& option)
{
    if (lf_processTbInt(option) && lf_isTimeShiftPart(option))
        gf_setTimeShift((TIME_SHIFT_DAYS.value * 24 + TIME_SHIFT_HOURS.value) * 60 + TIME_SHIFT_MINS.value, false);
}

void gf_floatBoxEntered(UiFloatParameter& option)
{
    // without a park airport's stands there is nothing to fit
    if (g_parkAirportLoaded && lf_processTbFloat(option))
        gf_parkingSettingsChanged();
}
