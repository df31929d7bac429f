#pragma once
// A program folder with its log, a manual clock, the local service, a licence file and
// recording hooks; the readers are stopped and waited for at the end of every test. Also the
// aircraft arrays of live and parked answers, and the aircraft database the parked tests use.
#include "rt_test_server.h"

#include "aircraft/dbase_lookup.h"
#include "feed/curl_request.h"
#include "feed/feed_display.h"
#include "feed/live_records.h"
#include "feed/parked_records.h"
#include "feed/parked_request.h"
#include "feed/reader_state.h"
#include "feed/service_address.h"
#include "feed/readers.h"
#include "feed/session.h"
#include "feed/traffic_client.h"
#include "feed/weather_client.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "support/logged_folder.h"
#include "support/manual_time.h"

#include <chrono>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using nlohmann::json;

namespace testsupport {

// Real-time polling of a condition set by another thread; false after `limit`.
inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 15s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
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
        g_trafficReaderDone = true; // none is running
        g_weatherReaderDone = true;
        g_firstReception = false;
        g_transferLimits.connectTimeoutMs = 10000;
        g_transferLimits.lowSpeedSeconds = 30;
        gf_queueFeedBatch.install([this](std::vector<FeedRecord>& batch, std::uint32_t delay, std::int32_t) {
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
        EXPECT_TRUE(stopReaders()) << "a reader hangs";
        gf_resetFeedHooks();
    }

    void writeLicense(const std::string& text)
    {
        std::ofstream(g_dataFolder / "rt_license.txt", std::ios::binary | std::ios::trunc) << text;
    }

    void setUser(double lat, double lon, double altitudeFt = 0.0)
    {
        std::lock_guard lock(m_mutex);
        m_user = UserPosition{lat, lon, altitudeFt};
    }

    // A login whose answer names the session "abc".
    void login()
    {
        server.queue("/v4/auth", {200, R"({"status":200,"GUID":"abc","wrrl":2000})"});
        gf_authenticater();
    }

    // Asks both readers to stop and waits until they are done.
    static bool stopReaders()
    {
        g_readerStop = true;
        g_weatherStop = true;
        return waitFor([] { return g_trafficReaderDone.load() && g_weatherReaderDone.load(); });
    }
    bool requestsReach(const std::string& path, std::size_t n)
    {
        return waitFor([&] { return server.count(path) >= n; });
    }

    std::vector<QueuedBatch> batches() const
    {
        std::lock_guard lock(m_mutex);
        return m_batches;
    }
    std::size_t batchCount() const { return batches().size(); }

    // log lines that contain `part`
    std::vector<std::string> logWith(const std::string& part) const
    {
        std::vector<std::string> found;
        for (const auto& line : folder.logLines())
            if (line.find(part) != std::string::npos)
                found.push_back(line);
        return found;
    }

    static std::chrono::milliseconds elapsed(platform::SteadyTime from, platform::SteadyTime to)
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
};

// An array of an answer; set() changes one element.
class Line {
public:
    explicit Line(nlohmann::json array) : m_json(std::move(array)) {}
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

// A complete airborne aircraft of 48 elements near 50 N, 8 E, null where nothing is set.
inline Line goodLine(const std::string& hexId = "4b1805", const std::string& callsign = "DLH123")
{
    Line line(json(48, nullptr));
    const std::vector<std::pair<std::size_t, json>> values{
        {0, hexId}, {1, 50.05}, {2, 8.05}, {3, 90.0}, {4, 5000}, {5, 250.0}, {8, "A320"}, {9, "D-AIZZ"},
        {10, 1767225590.5}, {11, "EDDF"}, {12, "LEPA"}, {13, callsign}, {15, -640}, {17, "adsb_icao"},
        {25, 91.0}, {28, "A3"}};
    for (const auto& [i, value] : values)
        line.set(i, value);
    return line;
}

// A parked-traffic member: [lat, lon, stand, type, registration, report time, callsign].
inline Line parkedLine(const std::string& stand, const std::string& type, std::int64_t reportTime,
                       const std::string& callsign = "", const std::string& registration = "", double lat = 50.0,
                       double lon = 8.0)
{
    return Line(json::array({lat, lon, stand, type, registration, reportTime, callsign}));
}

inline void fillParkedDbase()
{
    gf_resetDbase();
    g_dbase.aircraftTypes = {"A320", "A388", "B738", "B744", "B748", "B763", "C172", "E190"};
    g_dbase.largeTypes = {"A320", "B738", "E190"};
    g_dbase.heavyTypes = {"A388", "B744", "B748", "B763"};
    g_dbase.records["D-AIPX"] = DbaseRecord{"DLH", "A320", "", false};
    g_dbase.records["D-ABYA"] = DbaseRecord{"DLH", "B748", "", false};
    g_dbase.records["N123UP"] = DbaseRecord{"UPS", "B763", "GTI", true};
    g_dbase.records["DLH4X"] = DbaseRecord{"DLH", "A320", "CLH", false};
}

} // namespace testsupport

using namespace testsupport;
