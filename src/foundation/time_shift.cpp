#include "foundation/time_shift.h"

#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"
#include "foundation/utc_time.h"

#include <fmt/format.h>
#include <mutex>

std::atomic<std::int32_t> g_timeOffset{0};
std::atomic<std::int32_t> g_weatherTimeOffset{0};

namespace {

std::mutex g_hookMutex;
std::function<void()> g_trafficHook;

void lf_storeTimeShiftPart(UiIntParameter& option, std::int32_t n)
{
    option.value = option.clamped(n);
    gf_saveIntParameter(option);
    gf_showIntParameter(option);
}

} // namespace

void gf_splitTimeShift(std::int32_t minutes)
{
    const std::int32_t days = minutes / 1440;
    const std::int32_t hours = (minutes - days * 1440) / 60;
    lf_storeTimeShiftPart(TIME_SHIFT_DAYS, days);
    lf_storeTimeShiftPart(TIME_SHIFT_HOURS, hours);
    lf_storeTimeShiftPart(TIME_SHIFT_MINS, minutes % 60);
}

void gf_setTimeShift(std::int32_t minutes, bool quiet)
{
    if (minutes < 0)
        minutes = 0; // no shift into the future
    g_timeShifted = minutes > 0;
    if (minutes > g_maxTimeShiftMinutes) {
        minutes = g_maxTimeShiftMinutes;
        gf_log("Time shifting is limited to 4 weeks");
    }
    gf_splitTimeShift(minutes);
    g_timeOffset = minutes;
    g_weatherTimeOffset = minutes;
    if (minutes == 0) {
        gf_showStatus("Time shift = 0", true);
        for (const UiIntParameter* box : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS})
            gf_clearTextBox(box->controlId);
        if (quiet)
            return;
    } else {
        if (quiet)
            return;
        gf_showStatus(fmt::format("Time shifted {} minute{}", minutes, gf_plural(minutes)), true);
    }
    std::function<void()> hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_trafficHook;
    }
    if (hook)
        hook();
}

void gf_setTimeShiftTrafficHook(std::function<void()> hook)
{
    std::lock_guard lock(g_hookMutex);
    g_trafficHook = std::move(hook);
}
