#pragma once
// A program folder (with docs/ and the access key), the model simulator, the local feed
// service and a headless main window that records the run's WM_APP_RUN and WM_APP_QUIT.
#include "rt_test_server.h"
#include "window_fixture.h"

#include "app/app_hooks.h"
#include "app/app_messages.h"
#include "app/control_flags.h"
#include "app/main_window_state.h"
#include "app/run_traffic.h"
#include "feed/curl_request.h"
#include "feed/feed_display.h"
#include "feed/feed_hooks.h"
#include "feed/reader_state.h"
#include "feed/readers.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/status_line.h"
#include "simconnect/sim_backend.h"
#include "simconnect/sim_model.h"
#include "simconnect/sim_model_driver.h"
#include "simlink/sim_client.h"
#include "simlink/sim_hooks.h"
#include "simlink/sim_state.h"
#include "support/logged_folder.h"
#include "traffic/run_flags.h"
#include "simlink/user_aircraft.h"
#include "traffic/user_snapshot.h"
#include "w32/testing.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

inline std::mutex g_postedMutex;
inline std::vector<UINT> g_posted;

inline LRESULT appTestWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP_RUN || message == WM_APP_QUIT) {
        std::lock_guard lock(g_postedMutex);
        g_posted.push_back(message);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// One aircraft array of 48 elements near the user aircraft at 50 N, 8 E.
inline nlohmann::json trafficLine(double recordTime)
{
    nlohmann::json line(std::vector<nlohmann::json>(48));
    const std::pair<int, nlohmann::json> values[] = {{0, "4b1805"}, {1, 50.05},   {2, 8.05},         {3, 90.0},
                                                     {4, 5000},     {5, 250.0},   {8, "A320"},       {9, "D-AIZZ"},
                                                     {10, recordTime}, {13, "DLH123"}, {17, "adsb_icao"}};
    for (const auto& [i, value] : values)
        line[i] = value;
    return line;
}

// Sets a check-box option and stores it where the start-up of a run reads it.
inline void saveOption(BoolParameter& option, bool value)
{
    option.value = value;
    gf_saveBoolParameter(option);
}

class AppTest : public ::testing::Test {
protected:
    AppTest()
    {
        folder.setEnv("TRWK_RT_BASE_URL", server.baseUrl());
        folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + (folder.path() / "no-site").string()); // no updates
        std::filesystem::create_directory("docs");
        gf_initDataPaths();
        std::filesystem::create_directories(g_dataFolder);
        std::ofstream(g_dataFolder / "rt_license.txt") << "ABC-123 key\n";
        // the program's data as the build lays it out: database, airport list, the model's livery list
        std::filesystem::create_directories("input");
        std::filesystem::create_directories("output");
        std::filesystem::copy_file(std::filesystem::path(TRWK_DATA_INPUT_DIR) / "dbase.enc", "input/dbase.enc");
        std::filesystem::copy_file(std::filesystem::path(TRWK_SOURCE_DIR) / "data" / "input" / "airports_msfs.xml",
                                   "input/airports_msfs.xml");
        std::filesystem::copy_file(std::filesystem::path(TRWK_SOURCE_DIR) / "data" / "output" / "LiveriesScanned.xml",
                                   "output/LiveriesScanned.xml");
        gf_resetOptions();
        // the start-up reads the options from parameters.xml: no scans unless a test asks for one
        saveOption(SCAN_LIVERIES, false);
        saveOption(SCAN_AIRPORTS, false);
        gf_setStringParameter(MSFS_INSTALL_PATH, (folder.path() / "packages").string());
        gf_resetControlFlags();
        gf_resetMainWindowState();
        gf_resetFeedDisplay();
        gf_resetRtClients();
        gf_resetSimLinkState();
        gf_resetUserAcState();
        gf_resetUserSnapshot();
        gf_clearStatusAndError();
        g_readerStop = false;
        g_weatherStop = false;
        g_firstReception = false;
        g_sessionGuid.set({});
        g_transferLimits.connectTimeoutMs = 10000;
        {
            std::lock_guard lock(g_postedMutex);
            g_posted.clear();
        }
        w32::testing::reset();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &appTestWndProc;
        wc.lpszClassName = u"trwkapptest";
        RegisterClassExW(&wc);
        window = CreateWindowExW(0, u"trwkapptest", u"TRWK", WS_CAPTION | WS_SYSMENU, 0, 0, 880, 516, nullptr,
                                 nullptr, nullptr, nullptr);
        g_parentWindow = window;
        gf_installAppHooks();
    }

    ~AppTest() override
    {
        g_quit = true;
        g_stop = true;
        g_readerStop = true;
        g_weatherStop = true;
        server.releaseHanging();
        endSimClient();
        EXPECT_TRUE(eventually(gf_readersDone, std::chrono::seconds(15))) << "a reader hangs";
        driver.reset();
        gf_setSimLinkHooks({});
        gf_resetFeedHooks();
        gf_setSimConnectBackend(nullptr);
        gf_resetSimLinkState();
        g_parentWindow = nullptr;
        w32::testing::reset();
        gf_clearStatusAndError();
    }

    // The SimClient thread of a run ended: a run's close-down asks it to stop, and only the next
    // run's start waits for it. A test whose clock goes before the fixture ends it first, as the
    // thread sleeps on the program's clock.
    static void endSimClient()
    {
        if (g_simClientThread.joinable()) {
            g_simClientThread.request_stop();
            g_simClientThread.join();
        }
    }

    // The model simulator, driven in time on the program's clock; `changes` are merged into its scenario.
    void startSimulator(const nlohmann::json& changes = nlohmann::json::object())
    {
        nlohmann::json scenario = nlohmann::json::parse(R"({
            "simulatorName": "KittyHawk", "frameRate": 40, "groundAltitudeFt": 0,
            "user": {"title": "User Jet", "atcModel": "B738", "atcId": "D-USER",
                     "path": [{"t": 0, "lat": 50.0, "lon": 8.0, "altFt": 0, "onGround": true, "headingDeg": 90}]},
            "installedTitles": ["Airliner A"]
        })");
        scenario.merge_patch(changes);
        model = std::make_shared<SimModel>(gf_parseSimScenario(scenario.dump()));
        gf_setSimConnectBackend(model);
        driver = std::make_unique<SimModelDriver>(model);
    }

    // A service that logs in, gives a QNH and traffic (or holds the traffic answers back).
    void scriptService(bool trafficHangs = false)
    {
        server.setDefault("/v4/auth", {200, R"({"status":200,"GUID":"abc","wrrl":100})"});
        server.setDefault("/v4/deauth", {200, R"({"status":200,"message":"bye","server":"s"})"});
        server.setDefault("/v4/nearestmetar", {200, R"({"status":200,"data":[{"ICAO":"EDDF","Dist":2.1}]})"});
        server.setDefault("/v4/weather",
                          {200, R"({"status":200,"wrrl":100,"data":{"QNH":1021,"ICAO":"EDDF"}})"});
        const double now = std::chrono::duration<double>(
                               std::chrono::system_clock::now().time_since_epoch()).count();
        nlohmann::json data = nlohmann::json::object();
        data["4b1805"] = trafficLine(now - 5.0);
        ServiceAnswer traffic{200, nlohmann::json{{"status", 200}, {"rrl", 100}, {"data", data}}.dump()};
        traffic.hang = trafficHangs;
        server.setDefault("/v4/traffic", traffic);
    }

    // Dispatches what the control thread posted; the run and quit messages in order.
    std::vector<UINT> posted()
    {
        w32::testing::pump();
        std::lock_guard lock(g_postedMutex);
        return g_posted;
    }

    LoggedFolder folder;
    RtTestServer server;
    HWND window = nullptr;
    std::shared_ptr<SimModel> model;
    std::unique_ptr<SimModelDriver> driver;
};

} // namespace testsupport
