#pragma once
// A program folder with its log, a manual clock, the local service, a licence file and
// recording hooks; the readers are stopped and waited for at the end of every test.
#include "rt_test_server.h"

#include "feed/feed_display.h"
#include "feed/feed_hooks.h"
#include "feed/live_records.h"
#include "feed/reader_state.h"
#include "feed/readers.h"
#include "feed/curl_request.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/status_line.h"
#include "support/logged_folder.h"
#include "support/manual_time.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Real-time polling of a condition set by another thread; false after `limit`.
inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(15))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct QueuedBatch {
    std::vector<FeedRecord> records;
    std::uint32_t delay = 0;
};

class FeedTest : public ::testing::Test {
protected:
    static constexpr std::int64_t startTime = 1767225600; // Jan 01 2026 00:00:00 UTC

    FeedTest() : time(startTime)
    {
        folder.setEnv("TRWK_RT_BASE_URL", server.baseUrl());
        gf_initDataPaths();
        std::filesystem::create_directories(g_dataFolder);
        writeLicense("ABC-123 key\n");
        gf_resetOptions();
        gf_resetFeedHooks();
        gf_resetFeedDisplay();
        gf_resetRtClients();
        g_readerStop = false;
        g_weatherStop = false;
        g_trafficReaderDone = false;
        g_weatherReaderDone = false;
        g_firstReception = false;
        g_transferLimits.connectTimeoutMs = 10000;
        g_transferLimits.lowSpeedSeconds = 30;
        gf_queueFeedBatch.install([this](std::vector<FeedRecord>& batch, std::uint32_t delay) {
            std::lock_guard lock(m_mutex);
            m_batches.push_back(QueuedBatch{batch, delay});
        });
        gf_userSnapshot.install([this] {
            std::lock_guard lock(m_mutex);
            return m_user;
        });
    }

    ~FeedTest() override
    {
        g_readerStop = true;
        g_weatherStop = true;
        if (m_trafficStarted) {
            EXPECT_TRUE(waitFor([] { return g_trafficReaderDone.load(); })) << "the Traffic Reader hangs";
        }
        if (m_weatherStarted) {
            EXPECT_TRUE(waitFor([] { return g_weatherReaderDone.load(); })) << "the Weather Reader hangs";
        }
        gf_resetFeedHooks();
    }

    void writeLicense(const std::string& text)
    {
        std::ofstream file(g_dataFolder / "rt_license.txt", std::ios::binary | std::ios::trunc);
        file << text;
    }

    void setUser(double lat, double lon, double altitudeFt = 0.0)
    {
        std::lock_guard lock(m_mutex);
        m_user = UserPosition{lat, lon, altitudeFt};
    }

    void startTraffic()
    {
        m_trafficStarted = true;
        gf_startTrafficReader();
    }
    void startWeather()
    {
        m_weatherStarted = true;
        gf_startWeatherReader();
    }
    // Asks both readers to stop and waits until they are done.
    bool stopReaders()
    {
        g_readerStop = true;
        g_weatherStop = true;
        return waitFor([this] {
            return (!m_trafficStarted || g_trafficReaderDone.load()) && (!m_weatherStarted || g_weatherReaderDone.load());
        });
    }

    std::vector<QueuedBatch> batches() const
    {
        std::lock_guard lock(m_mutex);
        return m_batches;
    }
    std::size_t batchCount() const
    {
        std::lock_guard lock(m_mutex);
        return m_batches.size();
    }

    // log lines that contain `part`
    std::vector<std::string> logWith(const std::string& part) const
    {
        std::vector<std::string> found;
        for (const auto& line : folder.logLines())
            if (line.find(part) != std::string::npos)
                found.push_back(line);
        return found;
    }

    std::chrono::milliseconds manualElapsed(platform::SteadyTime from, platform::SteadyTime to) const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(to - from);
    }

    LoggedFolder folder;
    ManualTime time;
    RtTestServer server;

private:
    mutable std::mutex m_mutex;
    std::vector<QueuedBatch> m_batches;
    UserPosition m_user;
    bool m_trafficStarted = false;
    bool m_weatherStarted = false;
};

// An aircraft array of 48 elements, null where nothing is set.
class Line {
public:
    Line() : m_json(nlohmann::json::array())
    {
        for (int i = 0; i < 48; ++i)
            m_json.push_back(nullptr);
    }
    Line& set(std::size_t i, nlohmann::json value)
    {
        m_json[i] = std::move(value);
        return *this;
    }
    const nlohmann::json& json() const { return m_json; }
    operator const nlohmann::json&() const { return m_json; }

private:
    nlohmann::json m_json;
};

// A complete airborne aircraft near 50 N, 8 E.
inline Line goodLine(const std::string& hexId = "4b1805", const std::string& callsign = "DLH123")
{
    Line line;
    line.set(0, hexId)
        .set(1, 50.05)
        .set(2, 8.05)
        .set(3, 90.0)
        .set(4, 5000)
        .set(5, 250.0)
        .set(8, "A320")
        .set(9, "D-AIZZ")
        .set(10, 1767225590.5)
        .set(11, "EDDF")
        .set(12, "LEPA")
        .set(13, callsign)
        .set(15, -640)
        .set(17, "adsb_icao")
        .set(25, 91.0)
        .set(28, "A3");
    return line;
}

inline std::string answer(const nlohmann::json& j) { return j.dump(); }

} // namespace testsupport
