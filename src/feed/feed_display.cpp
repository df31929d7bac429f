#include "feed/feed_display.h"

std::atomic<std::int32_t> g_trafficLamp{g_lampNotRunning};
std::atomic<std::int32_t> g_weatherLamp{g_lampNotRunning};
std::atomic<std::int32_t> g_windowQnh{0};
std::atomic<bool> g_sessionActive{false};
std::atomic<std::int32_t> g_trafficQnh{1013};

void gf_resetFeedDisplay()
{
    g_trafficLamp = g_lampNotRunning;
    g_weatherLamp = g_lampNotRunning;
    g_windowQnh = 0;
    g_sessionActive = false;
    g_trafficQnh = 1013;
}
