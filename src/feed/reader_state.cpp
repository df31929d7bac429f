#include "feed/reader_state.h"

SharedText g_sessionGuid;
std::atomic<bool> g_readerStop{false};
std::atomic<bool> g_weatherStop{false};
std::atomic<bool> g_trafficReaderDone{false};
std::atomic<bool> g_weatherReaderDone{false};
std::atomic<bool> g_firstReception{false};
std::atomic<std::int64_t> g_liveCount{0};
