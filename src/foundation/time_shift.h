#pragma once
// The time shift: live traffic and weather as they were up to four weeks ago.
#include <atomic>
#include <cstdint>
#include <functional>

inline constexpr std::int32_t g_maxTimeShiftMinutes = 40320; // 28 days

// Minutes of the shift sent with every live-traffic request, and with every weather request.
extern std::atomic<std::int32_t> g_timeOffset;
extern std::atomic<std::int32_t> g_weatherTimeOffset;

// Sets the shift (at most 4 weeks), stores and shows it as TIME_SHIFT_DAYS, _HOURS and _MINS and
// tells the user; unless quiet, the traffic hook then clears the aircraft of the old time.
void gf_setTimeShift(std::int32_t minutes, bool quiet);

// Stores the minutes as TIME_SHIFT_DAYS, _HOURS and _MINS (each clamped, saved and shown).
void gf_splitTimeShift(std::int32_t minutes);

// Installed by the traffic manager: removes the live and static aircraft after a shift and asks
// for a new parking plan. Runs on the caller's thread.
void gf_setTimeShiftTrafficHook(std::function<void()> hook);
