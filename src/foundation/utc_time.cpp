#include "foundation/utc_time.h"

#include "platform/clock.h"

#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fmt/format.h>
#include <gsl/narrow>

std::atomic<double> g_latestFeedTime{0.0};
std::atomic<bool> g_timeShifted{false};

namespace {

// the newest record's time rounded to whole seconds, 0 when there is none
std::int64_t lf_shiftedNow()
{
    return gsl::narrow<std::int64_t>(std::round(g_latestFeedTime.load()));
}

std::string lf_clockPart(const std::string& timeText) { return timeText.substr(timeText.size() - 13, 8); }

} // namespace

std::int64_t gf_wallClockSeconds()
{
    using namespace std::chrono;
    return duration_cast<seconds>(platform::clock().systemNow().time_since_epoch()).count();
}

std::int64_t gf_now()
{
    if (g_timeShifted.load()) {
        const auto shifted = lf_shiftedNow();
        if (shifted != 0)
            return shifted;
    }
    return gf_wallClockSeconds();
}

std::string gf_utcTimeText(std::int64_t t)
{
    static constexpr std::array<const char*, 7> weekdays{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Okt", "Nov", "Dec"};
    std::tm tm{};
    const std::time_t tt = static_cast<std::time_t>(t);
    if (gmtime_r(&tt, &tm) == nullptr)
        return "Invalid time";
    const int weekday = tm.tm_wday == 0 ? 7 : tm.tm_wday;
    const char* dayName = (weekday >= 1 && weekday <= 7) ? weekdays[static_cast<std::size_t>(weekday - 1)] : "???";
    const char* monthName = (tm.tm_mon >= 0 && tm.tm_mon < 12) ? months[static_cast<std::size_t>(tm.tm_mon)] : "???";
    return fmt::format("{:3} {:3} {:02} {:02}:{:02}:{:02} {:4}", dayName, monthName, tm.tm_mday, tm.tm_hour,
                       tm.tm_min, tm.tm_sec, tm.tm_year + 1900);
}

std::string gf_utcClockText() { return lf_clockPart(gf_utcTimeText(gf_wallClockSeconds())); }

std::string gf_dateText()
{
    const std::string text = gf_utcTimeText(gf_wallClockSeconds());
    return fmt::format("{}, {}", text.substr(4, 6), text.substr(20, 4));
}

std::string gf_nowClockText()
{
    if (g_timeShifted.load()) {
        const auto shifted = lf_shiftedNow();
        if (shifted != 0)
            return fmt::format("<<< {}", lf_clockPart(gf_utcTimeText(shifted)));
    }
    return gf_utcClockText();
}
