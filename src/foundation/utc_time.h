#pragma once
// The program's now and the time texts of the log, the status line and file headers.
#include <atomic>
#include <cstdint>
#include <string>

// Time of the newest traffic record (seconds since 1970), 0.0 after an empty batch.
extern std::atomic<double> g_latestFeedTime;
// Set while the live traffic is shifted back in time.
extern std::atomic<bool> g_timeShifted;

// The wall clock in whole seconds since 1970.
std::int64_t gf_wallClockSeconds();
// The program's now: the wall clock, or the newest record's time while shifted.
std::int64_t gf_now();

// "Sun Dec 06 02:55:40 2026" of a time, or "Invalid time".
std::string gf_utcTimeText(std::int64_t t);
std::string gf_utcClockText(); // HH:MM:SS of the wall clock
std::string gf_dateText();     // "Dec 06, 2026" of the wall clock
std::string gf_nowClockText(); // HH:MM:SS of gf_now, "<<< HH:MM:SS" while shifted
