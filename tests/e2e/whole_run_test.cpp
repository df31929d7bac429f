// The whole program in this process: its window on the headless back-end, its threads, the
// local feed server on 127.0.0.1 playing the shipped scenario and the simulator model in real
// time. What the run did is read from the model and from Log.txt.
#include "feed_server.h"
#include "scenario.h"

#include "app/app_hooks.h"
#include "app/main_window.h"
#include "app/main_window_state.h"
#include "foundation/paths.h"
#include "simconnect/sim_backend.h"
#include "simconnect/sim_model.h"
#include "simconnect/sim_model_driver.h"
#include "support/temp_folder.h"
#include "traffic/run_flags.h"
#include "w32/testing.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* g_key = "e2e-local-key";
// where the model's user aircraft stands during the test
constexpr double g_userStandLat = 52.309;
constexpr double g_userStandLon = 4.764;

std::string lf_readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Lays out the program folder as scripts/run does, in the current (temporary) folder.
void lf_layOutProgramFolder()
{
    const fs::path source = TRWK_SOURCE_DIR;
    fs::copy(source / "data" / "docs", "docs", fs::copy_options::recursive);
    fs::create_directories("airports");
    fs::copy(source / "data" / "input", "input", fs::copy_options::recursive);
    for (const char* name : {"dbase.enc", "AIG-regcodes.enc"})
        fs::copy_file(fs::path(TRWK_DATA_INPUT_DIR) / name, fs::path("input") / name);
    fs::create_directories("output");
    fs::copy_file(source / "data" / "output" / "LiveriesScanned.xml", g_liveriesScannedPath);
    gf_initDataPaths();
    fs::create_directories(g_dataFolder);
    std::ofstream(g_dataFolder / "rt_license.txt") << g_key << "\n";
    std::ofstream(g_parametersPath) << R"(<?xml version="1.0"?>
<parameters>
	<parameter name="SCAN_LIVERIES" value="false" />
	<parameter name="SCAN_AIRPORTS" value="false" />
	<parameter name="AUTO_RANGE" value="false" /><!-- 40 nm, the feed scenario's area, also on the ground -->
	<parameter name="MSFS_INSTALL_PATH" value="packages" />
</parameters>
)";
}

// Distance in metres on a sphere.
double lf_metres(double lat1, double lon1, double lat2, double lon2)
{
    constexpr double radius = 6371000.0;
    constexpr double rad = 3.14159265358979323846 / 180.0;
    const double dLat = (lat2 - lat1) * rad;
    const double dLon = (lon2 - lon1) * rad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * radius * std::asin(std::sqrt(std::min(1.0, a)));
}

// What the observer saw of one AI aircraft of the model. Frames are judged against the program's
// own passes (on a loaded machine either may fall behind): a still frame is a fault only when the
// program made a pass since the frame before.
struct Track {
    std::string title;
    std::uint64_t firstFrame = 0;
    std::uint64_t lastFrame = 0;
    std::uint32_t lastTick = 0; // the program's pass count when lastFrame was seen
    std::uint32_t firstUpdates = 0;
    std::uint32_t lastUpdates = 0;
    double lat = 0.0;
    double lon = 0.0;
    double altFt = 0.0;
    double travelledMetres = 0.0;
    std::uint64_t firstMove = 0;    // frame of the first change of position once the program sets it
    std::uint64_t tickedFrames = 0; // frames since then with a pass of the program before them
    std::uint64_t stillRun = 0;     // such frames since the last change of position
    std::uint64_t longestStill = 0; // the longest such run between two changes
    std::vector<std::string> jumps;
    bool removed = false;
};

class Observer {
public:
    explicit Observer(std::shared_ptr<SimModel> model) : m_model(std::move(model)) {}

    // One look at the model's world.
    void sample()
    {
        const std::uint64_t frame = m_model->frames();
        const std::uint32_t tick = g_tick.load();
        std::set<std::uint32_t> present;
        for (const SimObjectState& o : m_model->aiObjects()) {
            present.insert(o.id);
            auto [it, added] = m_tracks.try_emplace(o.id);
            Track& t = it->second;
            if (added) {
                t.title = o.title;
                t.firstFrame = frame;
            } else {
                const std::uint64_t frames = frame - t.lastFrame;
                const std::uint64_t passes = tick - t.lastTick;
                const double metres = lf_metres(t.lat, t.lon, o.lat, o.lon);
                const double feet = std::abs(o.altFt - t.altFt);
                // 1200 kt and 12000 ft/min at 30 frames a second, or in the passes made (the
                // program catches up after a stall), with some slack
                const double span = static_cast<double>(std::max<std::uint64_t>(frames, 1));
                if (metres > std::max(25.0 * span, 6.5 * passes) + 5.0 ||
                    feet > std::max(8.0 * span, 2.2 * passes) + 5.0)
                    t.jumps.push_back(fmt::format("{:.0f} m and {:.0f} ft in {} frames and {} passes at frame {}",
                                                  metres, o.altFt - t.altFt, frames, passes, frame));
                // at most one frame per pass
                const std::uint64_t ticked = std::min<std::uint64_t>(frames, passes);
                // before the program holds it the simulator's AI may move it a little
                if ((metres > 0.01 || feet > 0.01) && o.positionUpdates > 0) {
                    if (t.firstMove == 0) {
                        t.firstMove = frame;
                        t.firstUpdates = o.positionUpdates;
                    }
                    t.longestStill = std::max(t.longestStill, t.stillRun);
                    t.stillRun = 0;
                    t.travelledMetres += metres;
                } else if (t.firstMove != 0) {
                    t.stillRun += ticked;
                }
                if (t.firstMove != 0 && t.firstMove != frame)
                    t.tickedFrames += ticked;
            }
            t.lastFrame = frame;
            t.lastTick = tick;
            t.lastUpdates = o.positionUpdates;
            t.lat = o.lat;
            t.lon = o.lon;
            t.altFt = o.altFt;
        }
        for (auto& [id, t] : m_tracks)
            if (!present.count(id))
                t.removed = true;
    }

    const std::map<std::uint32_t, Track>& tracks() const { return m_tracks; }

    // Enough has been seen once `count` aircraft have moved for `frames` frames and one was removed.
    bool seenEnough(std::size_t count, std::uint64_t frames) const
    {
        std::size_t moved = 0;
        bool removed = false;
        for (const auto& [id, t] : m_tracks) {
            if (t.firstMove != 0 && t.lastFrame - t.firstMove >= frames)
                ++moved;
            removed = removed || t.removed;
        }
        return moved >= count && removed;
    }

private:
    std::shared_ptr<SimModel> m_model;
    std::map<std::uint32_t, Track> m_tracks;
};

// One line per track: title, where it was last seen and whether it is gone.
std::vector<std::string> lf_describe(const std::map<std::uint32_t, Track>& tracks)
{
    std::vector<std::string> lines;
    for (const auto& [id, t] : tracks)
        lines.push_back(fmt::format("{} {} at {:.1f} nm{}", id, t.title,
                                    lf_metres(g_userStandLat, g_userStandLon, t.lat, t.lon) / 1852.0,
                                    t.removed ? " removed" : ""));
    return lines;
}

std::set<std::string> lf_shippedTitles()
{
    std::set<std::string> titles;
    const std::string text = lf_readFile(fs::path(TRWK_SOURCE_DIR) / "data" / "output" / "LiveriesScanned.xml");
    const std::string marker = "title=\"";
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
        at += marker.size();
        titles.insert(text.substr(at, text.find('"', at) - at));
    }
    return titles;
}

} // namespace

TEST(WholeRun, TrafficIsCreatedMovedRemovedAndTheCloseBoxEndsTheRun)
{
    testsupport::TempFolder folder;
    lf_layOutProgramFolder();

    auto scenario = feedserver::gf_readScenario(fs::path(TRWK_SOURCE_DIR) / "data" / "feed" / "scenario.json");
    feedserver::FeedServer server(scenario, g_key);
    const int port = server.bind(0);
    std::thread serverThread([&server] { server.run(); });
    folder.setEnv("TRWK_RT_BASE_URL", fmt::format("http://127.0.0.1:{}", port));
    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + (folder.path() / "no-site").string()); // no updates

    auto model = std::make_shared<SimModel>(gf_defaultSimScenario());
    gf_setSimConnectBackend(model);
    auto driver = std::make_unique<SimModelDriver>(model);

    // the program's own start, on the headless back-end
    w32::testing::reset();
    gf_setProgramResources();
    gf_installAppHooks();

    Observer observer(model);
    std::atomic<bool> closePosted{false};
    std::atomic<std::uint32_t> ticks{0};
    fs::file_time_type parametersBeforeClose;
    std::thread user([&] {
        const auto start = std::chrono::steady_clock::now();
        // the run has its window, then up to two minutes of traffic: the aircraft in range are
        // created after the first answers and fly; the one climbing out of the area is removed
        // once its reports have ended
        while (g_mainWindowState.hMainWindow.load() == nullptr && std::chrono::steady_clock::now() - start < 20s)
            std::this_thread::sleep_for(10ms);
        const auto end = start + 120s;
        while (std::chrono::steady_clock::now() < end && !observer.seenEnough(3, 300)) {
            observer.sample();
            ticks = g_tick.load();
            std::this_thread::sleep_for(5ms);
        }
        parametersBeforeClose = fs::last_write_time(g_parametersPath);
        std::this_thread::sleep_for(20ms);
        closePosted = true;
        PostMessageW(g_mainWindowState.hMainWindow.load(), WM_CLOSE, 0, 0);
    });
    const int exitCode = wWinMain(nullptr, nullptr, nullptr, SW_SHOW);
    user.join();
    driver.reset();
    server.stop();
    serverThread.join();
    gf_setSimConnectBackend(nullptr);

    EXPECT_TRUE(closePosted.load()) << "the program ended before the window was closed";
    EXPECT_EQ(exitCode, 0);
    const std::string log = lf_readFile("Log.txt");
    EXPECT_NE(log.find("Exiting: USER CLOSED SIM"), std::string::npos) << log;
    EXPECT_GT(fs::last_write_time(g_parametersPath), parametersBeforeClose) << "parameters.xml was not written";

    // aircraft created with titles of the livery list, which the model has installed
    const auto titles = lf_shippedTitles();
    const auto& tracks = observer.tracks();
    EXPECT_GE(ticks.load(), 100u) << "the run did not reach its tick loop";
    // the airborne flights in range; the ground traffic needs the airport data
    EXPECT_GE(tracks.size(), 3u);
    std::size_t moving = 0;
    for (const auto& [id, t] : tracks) {
        EXPECT_TRUE(titles.count(t.title)) << "object " << id << " has the title " << t.title;
        EXPECT_TRUE(t.jumps.empty()) << t.title << " jumped: " << fmt::format("{}", fmt::join(t.jumps, "; "));
        if (t.firstMove == 0 || t.lastFrame - t.firstMove < 90 || t.travelledMetres < 100.0)
            continue;
        ++moving;
        // a flying aircraft gets a new position every frame with a pass before it once it moves
        EXPECT_LE(t.longestStill, 2u) << t.title;
        EXPECT_GE(t.lastUpdates - t.firstUpdates, t.tickedFrames * 9 / 10) << t.title;
    }
    EXPECT_GE(moving, 3u);
    for (const auto& [id, t] : tracks)
        EXPECT_NE(log.find(t.title), std::string::npos) << "the creation of " << t.title << " is not logged";

    // the flight whose reports ended at the edge of the area is removed there; the others fly on
    std::size_t removed = 0;
    for (const auto& [id, t] : tracks) {
        if (!t.removed)
            continue;
        ++removed;
        EXPECT_GT(lf_metres(g_userStandLat, g_userStandLon, t.lat, t.lon), 39.0 * 1852.0)
            << t.title << " was removed before it left the area";
    }
    EXPECT_EQ(removed, 1u) << fmt::format("{}", fmt::join(lf_describe(tracks), "; "));
}
