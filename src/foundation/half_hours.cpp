#include "foundation/half_hours.h"

#include "foundation/log.h"
#include "foundation/text_utils.h"
#include "foundation/utc_time.h"

#include <charconv>
#include <ctime>
#include <fmt/format.h>
#include <limits>
#include <optional>

namespace {

// a full list 0,1,...,47 has 133 bytes: longer texts are cut in the log line
constexpr std::size_t lf_shownBytes = 140;

std::optional<std::tm> lf_breakDown(std::int64_t t)
{
    std::tm tm{};
    const std::time_t tt = static_cast<std::time_t>(t);
    if (gmtime_r(&tt, &tm) == nullptr)
        return std::nullopt;
    return tm;
}

// an optional '-' and the digits that follow; characters after them are ignored
std::optional<std::uint32_t> lf_parseSlot(std::string_view piece)
{
    std::size_t start = (!piece.empty() && piece.front() == '-') ? 1 : 0;
    std::int32_t value = 0;
    const char* first = piece.data() + start;
    const char* last = piece.data() + piece.size();
    if (first == last || *first < '0' || *first > '9')
        return std::nullopt;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc{})
        return std::nullopt;
    (void)ptr;
    const auto asUnsigned = static_cast<std::uint32_t>(start == 1 ? -value : value);
    if (asUnsigned > 47)
        return std::nullopt;
    return asUnsigned;
}

} // namespace

int gf_halfHourSlot(std::int64_t t)
{
    const auto tm = lf_breakDown(t);
    if (!tm)
        return -1;
    const bool early = tm->tm_min < 29 || (tm->tm_min == 29 && tm->tm_sec < 30);
    return 2 * tm->tm_hour + (early ? 0 : 1);
}

int gf_halfHourSlotNow() { return gf_halfHourSlot(gf_now()); }

std::uint64_t gf_slotAndWeekdayNow()
{
    const auto tm = lf_breakDown(gf_now());
    const std::uint32_t weekday = tm ? static_cast<std::uint32_t>(tm->tm_wday == 0 ? 7 : tm->tm_wday) : 0xFFFFFFFFu;
    const auto slot = static_cast<std::uint32_t>(gf_halfHourSlotNow());
    return (static_cast<std::uint64_t>(slot) << 32) | weekday;
}

WeekPoint gf_unpackWeekPoint(std::uint64_t packed)
{
    return WeekPoint{static_cast<std::uint32_t>(packed & 0xFFFFFFFFu), static_cast<std::uint32_t>(packed >> 32)};
}

int gf_weekIndex(WeekPoint point)
{
    // 64 bits: a point that could not be broken down (all bits set) wraps like any other
    const std::int64_t index = static_cast<std::int64_t>(point.day) * 48 - 48 + point.slot;
    return static_cast<int>((index % g_halfHoursPerWeek + g_halfHoursPerWeek) % g_halfHoursPerWeek);
}

int gf_halfHoursBetween(WeekPoint from, WeekPoint to)
{
    return (gf_weekIndex(to) - gf_weekIndex(from) + g_halfHoursPerWeek) % g_halfHoursPerWeek;
}

WeekPoint gf_halfHoursBack(WeekPoint point, std::uint32_t k)
{
    const int index = (gf_weekIndex(point) - static_cast<int>(k % g_halfHoursPerWeek) + g_halfHoursPerWeek) %
                      g_halfHoursPerWeek;
    return WeekPoint{static_cast<std::uint32_t>(index / 48 + 1), static_cast<std::uint32_t>(index % 48)};
}

WeekPoint gf_nextHalfHour(WeekPoint point)
{
    if (point.slot + 1 < 48)
        return WeekPoint{point.day, point.slot + 1};
    return WeekPoint{point.day >= 7 ? 1u : point.day + 1, 0};
}

HalfHourBitset gf_hours2bitset(std::string_view text)
{
    HalfHourLog log{std::numeric_limits<int>::max()};
    return gf_hours2bitset(text, log);
}

HalfHourBitset gf_hours2bitset(std::string_view text, HalfHourLog& log)
{
    HalfHourBitset bits;
    if (text.empty())
        return bits;
    std::size_t begin = 0;
    while (true) {
        const auto comma = text.find(',', begin);
        const auto piece = text.substr(begin, comma == std::string_view::npos ? std::string_view::npos : comma - begin);
        if (const auto slot = lf_parseSlot(piece))
            bits.set(*slot);
        else if (log.left > 0) {
            --log.left;
            gf_logError(fmt::format("{} invalid hour '{}' in {}", "gf_hours2bitset", gf_cutText(piece, lf_shownBytes),
                                    gf_cutText(text, lf_shownBytes)));
        }
        if (comma == std::string_view::npos)
            break;
        begin = comma + 1;
    }
    return bits;
}

std::string gf_bitset2hours(const HalfHourBitset& bits)
{
    std::string text;
    for (std::size_t n = 0; n < bits.size(); ++n) {
        if (!bits.test(n))
            continue;
        if (!text.empty())
            text += ',';
        text += std::to_string(n);
    }
    return text;
}
