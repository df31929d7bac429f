#pragma once
// The flags and values that the two reader threads share with the control thread.
#include "foundation/shared_text.h"

#include <atomic>
#include <cstdint>

inline constexpr std::int32_t g_statusStopped = 9999; // a reader that ended on a stop request

extern SharedText g_sessionGuid;                 // session id of the process; empty = none
extern std::atomic<bool> g_readerStop;           // stop request of the Traffic Reader
extern std::atomic<bool> g_weatherStop;          // stop request of the Weather Reader
extern std::atomic<bool> g_trafficReaderDone;    // set on every way out of the Traffic Reader
extern std::atomic<bool> g_weatherReaderDone;    // set on every way out of the Weather Reader
extern std::atomic<bool> g_firstReception;       // the buffered first traffic request was made
extern std::atomic<std::int64_t> g_liveCount;    // records of the last handed-over batch
