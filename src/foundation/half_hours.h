#pragma once
// Half hours of the UTC day (0..47) and the week slot of the parked-aircraft schedules.
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

// Bit n is half-hour slot n.
using HalfHourBitset = std::bitset<48>;

// The slot of a time: 2h before hh:29:30, 2h + 1 from hh:29:30 on; -1 when it cannot be broken down.
int gf_halfHourSlot(std::int64_t t);
int gf_halfHourSlotNow();
// The slot in the upper 32 bits, the weekday 1..7 (Sunday 7) in the lower.
std::uint64_t gf_slotAndWeekdayNow();

// A point of the week: weekday 1..7 (Monday 1) and half-hour slot 0..47 of the UTC day.
struct WeekPoint {
    std::uint32_t day = 0;
    std::uint32_t slot = 0;
};
inline constexpr int g_halfHoursPerWeek = 336;
// The packed form of g_timeSlot: the slot in the upper 32 bits, the weekday in the lower.
WeekPoint gf_unpackWeekPoint(std::uint64_t packed);
// day x 48 - 48 + slot, wrapped into 0..335.
int gf_weekIndex(WeekPoint point);
// Half hours from one point to a later one, across the week's end: 0..335.
int gf_halfHoursBetween(WeekPoint from, WeekPoint to);
// k half hours back: before slot 0 the previous day (Monday back to Sunday).
WeekPoint gf_halfHoursBack(WeekPoint point, std::uint32_t k);
// The next half hour: after slot 47 slot 0 of the next day (Sunday on to Monday).
WeekPoint gf_nextHalfHour(WeekPoint point);

// How many more invalid pieces of one file's half-hour lists are logged; the rest are skipped
// without a line, so that a damaged file cannot fill the log.
struct HalfHourLog {
    int left = 5;
};

// "0,1,47" <-> bits 0, 1 and 47. Invalid pieces are skipped; each is logged with the list, both
// cut short, while `log` lasts (the first form logs every one).
HalfHourBitset gf_hours2bitset(std::string_view text);
HalfHourBitset gf_hours2bitset(std::string_view text, HalfHourLog& log);
std::string gf_bitset2hours(const HalfHourBitset& bits);
