#pragma once
// The local feed server on 127.0.0.1 in this process, playing a small scenario on a manual
// clock, with the program's folder, licence file and service address pointing at it.
#include "feed_server.h"
#include "scenario.h"

#include "feed/feed_hooks.h"
#include "feed/readers.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
#include "support/logged_folder.h"
#include "support/manual_time.h"

#include <chrono>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

namespace testsupport {

// Two flights near Frankfurt and one that starts later, a parked aircraft inside and one
// outside the airport's box, two METAR stations.
inline constexpr const char* g_testScenario = R"({
  "service": {"server": "local-test", "rrl": 2500, "wrrl": 3000, "type": 2},
  "stations": [
    {"icao": "EDDF", "lat": 50.033, "lon": 8.570, "qnh": 1023, "metar": "EDDF 011020Z 25006KT CAVOK 15/05 Q1023"},
    {"icao": "EDDM", "lat": 48.354, "lon": 11.786, "qnh": 1009, "metar": "EDDM 011020Z 08004KT CAVOK 12/03 Q1009"}
  ],
  "parked": [
    {"hex": "3c6444", "callsign": "DLH4AB", "type": "A320", "registration": "D-AIPX", "airline": "DLH",
     "stand": "V12", "lat": 50.0481, "lon": 8.5702, "reportedSecondsAgo": 1800},
    {"hex": "3c6445", "callsign": "DLH9", "type": "A320", "registration": "D-AIPY", "airline": "DLH",
     "stand": "A1", "lat": 48.35, "lon": 11.78, "reportedSecondsAgo": 60}
  ],
  "flights": [
    {"hex": "4b1805", "callsign": "SWR123", "type": "A320", "registration": "HB-JLT", "airline": "SWR",
     "origin": "LSZH", "destination": "EGLL", "squawk": "1000",
     "path": [{"t": 0, "lat": 50.20, "lon": 8.00, "alt": 5000},
              {"t": 100, "lat": 50.20, "lon": 8.20, "alt": 8000, "bank": 0},
              {"t": 200, "lat": 50.30, "lon": 8.20, "alt": 8000, "bank": 10}]},
    {"hex": "3c4b21", "callsign": "DLH400", "type": "B748", "registration": "D-ABYA", "airline": "DLH",
     "origin": "EDDF", "destination": "KJFK", "category": "A5",
     "path": [{"t": -60, "lat": 50.0390, "lon": 8.5610, "alt": 364, "ground": true, "heading": 90},
              {"t": 60, "lat": 50.0390, "lon": 8.5600, "alt": 364, "ground": true, "heading": 90},
              {"t": 120, "lat": 50.0390, "lon": 8.5600, "alt": 364, "ground": true}]},
    {"hex": "4ca9f3", "callsign": "RYR1", "type": "B738", "registration": "EI-DCL", "airline": "RYR",
     "path": [{"t": 300, "lat": 50.10, "lon": 8.30, "alt": 3000}, {"t": 400, "lat": 50.10, "lon": 8.50, "alt": 3000}]}
  ]
})";

inline constexpr const char* g_testKey = "key-4711 abc";

class FeedServerTest : public ::testing::Test {
protected:
    static constexpr std::int64_t startTime = 1767258000; // Jan 01 2026 09:00:00 UTC

    FeedServerTest() : time(startTime)
    {
        std::ofstream(folder.path() / "scenario.json") << g_testScenario;
        scenario = feedserver::gf_readScenario(folder.path() / "scenario.json");
        server = std::make_unique<feedserver::FeedServer>(scenario, g_testKey);
        port = server->bind(0);
        boundAt = platform::clock().steadyNow();
        thread = std::thread([this] { server->run(); });
        folder.setEnv("TRWK_RT_BASE_URL", fmt::format("http://127.0.0.1:{}", port));
        gf_initDataPaths();
        std::filesystem::create_directories(g_dataFolder);
        std::ofstream(g_dataFolder / "rt_license.txt", std::ios::binary) << g_testKey << "\n";
        gf_resetOptions();
        gf_resetFeedHooks();
        gf_resetRtClients();
    }

    ~FeedServerTest() override
    {
        server->stop();
        thread.join();
        gf_resetFeedHooks();
        g_professionalAccount = false;
    }

    // The scenario's clock moves with the program's clock.
    void advance(double seconds)
    {
        time.clock().advance(std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(seconds)));
    }
    double scenarioSeconds() const
    {
        return std::chrono::duration<double>(platform::clock().steadyNow() - boundAt).count();
    }
    double epochNow() const
    {
        return std::chrono::duration<double>(platform::clock().systemNow().time_since_epoch()).count();
    }

    // One POST of a form body; the answer's JSON.
    nlohmann::json post(const std::string& path, const std::string& body)
    {
        httplib::Client client("127.0.0.1", port);
        const auto result = client.Post(path.c_str(), body, "application/x-www-form-urlencoded");
        EXPECT_TRUE(result) << path;
        if (!result)
            return {};
        EXPECT_EQ(result->status, 200);
        return nlohmann::json::parse(result->body);
    }

    std::string login()
    {
        const auto answer = post("/v4/auth", fmt::format("license={}&software=TRWK+11.0.4", "key-4711+abc"));
        return answer.value("GUID", "");
    }

    nlohmann::json traffic(const std::string& guid, const std::string& box, int minutesBack = 0)
    {
        return post("/v4/traffic", fmt::format("GUID={}&{}&querytype=locationtraffic&toffset={}", guid, box, minutesBack));
    }

    LoggedFolder folder;
    ManualTime time;
    feedserver::Scenario scenario;
    std::unique_ptr<feedserver::FeedServer> server;
    int port = 0;
    platform::SteadyTime boundAt;
    std::thread thread;
};

inline constexpr const char* g_wideBox = "top=51.00&bottom=49.00&left=7.00&right=9.00";

} // namespace testsupport
