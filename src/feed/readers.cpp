#include "feed/readers.h"

#include "feed/feed_display.h"
#include "feed/feed_hooks.h"
#include "feed/reader_state.h"
#include "feed/traffic_client.h"
#include "feed/weather_client.h"
#include "foundation/log.h"
#include "foundation/program.h"
#include "foundation/reader_stop.h"

#include <cstdint>
#include <fmt/format.h>
#include <functional>
#include <string_view>
#include <thread>

namespace {

struct ReaderThread {
    std::string_view name;      // "Traffic Reader"
    std::string_view apiName;   // "Traffic"
    std::string_view catchName; // "gf_trafficReader"
    std::atomic<std::int32_t>& lamp;
    std::atomic<bool>& otherStop; // the other reader ends with this one
    std::atomic<bool>& done;
};

// sets the done flag however the thread body is left
class DoneGuard {
public:
    explicit DoneGuard(std::atomic<bool>& done) : m_done(done) {}
    ~DoneGuard() { m_done = true; }
    DoneGuard(const DoneGuard&) = delete;
    DoneGuard& operator=(const DoneGuard&) = delete;

private:
    std::atomic<bool>& m_done;
};

void lf_logReaderEnd(const ReaderThread& reader, std::int32_t status)
{
    switch (status) {
    case g_statusStopped:
        break;
    case 401:
        gf_logError(fmt::format("re-authentication to RT API is needed, restart {}", g_shortDisplayName));
        break;
    case 400:
        gf_logError(fmt::format("{} RT API: parameter fault", reader.apiName));
        break;
    case 403:
        gf_logError(fmt::format("{} RT API: no data is delivered for this account", reader.apiName));
        break;
    default:
        gf_logError(fmt::format("{} RT API error: {}", reader.apiName, status));
        break;
    }
}

void lf_failed(const ReaderThread& reader, std::int32_t status, std::string_view what) noexcept
{
    try {
        gf_logError(fmt::format("{}: {}", reader.catchName, what));
        reader.lamp = g_lampNotRunning;
        if (status != g_statusStopped)
            reader.otherStop = true;
        gf_stopOnReaderError(reader.name, false);
    } catch (...) {
        reader.otherStop = true;
    }
}

void lf_runReader(const ReaderThread& reader, const std::function<void(std::int32_t&)>& loop) noexcept
{
    const DoneGuard guard(reader.done);
    std::int32_t status = 0;
    try {
        gf_logConnected(reader.name);
        reader.lamp = g_lampReceiving;
        gf_repaintHeaderArea();
        loop(status);
        reader.lamp = g_lampNotRunning;
        gf_repaintHeaderArea();
        lf_logReaderEnd(reader, status);
        if (status != g_statusStopped) {
            reader.otherStop = true;
            gf_stopOnReaderError(reader.name, status == 401);
        }
    } catch (const std::exception& e) {
        lf_failed(reader, status, e.what());
    } catch (...) {
        lf_failed(reader, status, "Unknown exception");
    }
}

void lf_start(std::atomic<bool>& done, void (*body)())
{
    done = false;
    try {
        std::thread(body).detach();
    } catch (...) {
        done = true;
        throw;
    }
}

} // namespace

void gf_trafficReader()
{
    const ReaderThread reader{"Traffic Reader", "Traffic", "gf_trafficReader",
                              g_trafficLamp,    g_weatherStop, g_trafficReaderDone};
    lf_runReader(reader, [](std::int32_t& status) { gf_trafficClient().receive(status); });
}

void gf_weatherReader()
{
    const ReaderThread reader{"Weather Reader", "Weather", "gf_weatherReader",
                              g_weatherLamp,    g_readerStop, g_weatherReaderDone};
    lf_runReader(reader, [](std::int32_t& status) { gf_weatherClient().receive(status); });
}

void gf_startTrafficReader() { lf_start(g_trafficReaderDone, &gf_trafficReader); }

void gf_startWeatherReader() { lf_start(g_weatherReaderDone, &gf_weatherReader); }

void gf_resetRtClients() noexcept
{
    try {
        gf_trafficClient().resetForRun();
        gf_weatherClient().resetForRun();
    } catch (const std::exception& e) {
        // only the first use constructs a client, and that may fail
        try {
            gf_logError(fmt::format("{}: {}", "gf_resetRtClients", e.what()));
        } catch (...) {
        }
    }
}

void gf_updateRtLamps()
{
    if (!g_sessionActive.load())
        return;
    RtWeatherClient& weather = gf_weatherClient();
    if (!weather.weatherData.load()) {
        if (weather.weatherDataShown.load()) {
            g_weatherLamp = g_lampNoData;
            gf_repaintHeaderArea();
        }
        weather.weatherDataShown = false;
    } else if (!weather.weatherDataShown.load()) {
        weather.weatherDataShown = true;
        g_weatherLamp = g_lampReceiving;
        gf_repaintHeaderArea();
    }
    RtTrafficClient& traffic = gf_trafficClient();
    if (g_liveCount.load() < 1) {
        if (traffic.trafficDataShown.load()) {
            g_trafficLamp = g_lampNoData;
            gf_repaintHeaderArea();
        }
        traffic.trafficDataShown = false;
    } else if (!traffic.trafficDataShown.load()) {
        traffic.trafficDataShown = true;
        g_trafficLamp = g_lampReceiving;
        gf_repaintHeaderArea();
    }
}
