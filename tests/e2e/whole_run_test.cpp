// The whole program in this process: its window on the headless back-end, its threads, the
// local feed server on 127.0.0.1 playing the shipped scenario, the shipped download site and the
// simulator model in real time, with the user aircraft on a stand of the park airport EHAM until
// the test lets it fly away. What the run did is read from the model and from Log.txt.
#include "feed_server.h"
#include "scenario.h"

#include "app/app_hooks.h"
#include "app/main_window.h"
#include "app/main_window_state.h"
#include "foundation/paths.h"
#include "simconnect/sim_backend.h"
#include "simconnect/sim_model.h"
#include "simconnect/sim_model_driver.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "support/temp_folder.h"
#include "traffic/run_flags.h"
#include "w32/testing.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* g_key = "e2e-local-key";
// where the model's user aircraft stands during the test: stand D52
constexpr double g_userStandLat = 52.30953;
constexpr double g_userStandLon = 4.760917;
// of the feed scenario: lands on 36R and stops at E22, coming in 60 degrees off the stand's
// heading; pushes back from B17 and takes off
constexpr const char* g_arrival = "KLM1786";
constexpr const char* g_departure = "KLM1351";

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
    fs::create_directories("site/MSFS/archive/stock"); // the download site: EHAM's parking file only
    fs::copy_file(source / "data" / "site" / "MSFS" / "archive" / "stock" / "EHAM.xml",
                  "site/MSFS/archive/stock/EHAM.xml");
    gf_initDataPaths();
    fs::create_directories(g_dataFolder);
    std::ofstream(g_dataFolder / "rt_license.txt") << g_key << "\n";
    std::ofstream(g_parametersPath) << R"(<?xml version="1.0"?>
<parameters>
	<parameter name="SCAN_LIVERIES" value="false" />
	<parameter name="SCAN_AIRPORTS" value="false" />
	<parameter name="AUTO_RANGE" value="false" /><!-- 40 nm, the feed scenario's area, also on the ground -->
	<parameter name="MSFS_INSTALL_PATH" value="packages" />
	<parameter name="AIRP_RANGE" value="5" />
	<parameter name="AIRP_HEIGHT" value="2000" />
	<parameter name="CUSTOM_PARKING_PERCENTAGE" value="60" />
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

// Metres that one knot covers in one pass of the program (10 ms).
constexpr double g_metresPerKnotPass = 1852.0 / 3600.0 / 100.0;

// The fastest that each flight of the feed moves, knots: its fastest leg.
std::map<std::string, double> lf_feedSpeeds(const feedserver::Scenario& scenario)
{
    std::map<std::string, double> knots;
    for (const feedserver::Flight& f : scenario.flights)
        for (const feedserver::LegMotion& leg : f.legs)
            knots[f.callsign] = std::max(knots[f.callsign], leg.groundSpeedKt);
    return knots;
}

// What the observer saw of one AI aircraft of the model: its look, sampled now and then, and every
// position the program handed over, with the pass that made it. Motion is judged on the passes
// alone: the program moves its aircraft by the pass, so no thread that falls behind (the frame
// send's among them) makes a fault of a sound run.
struct Track {
    std::string title;
    std::string callsign;
    SimObjectState last; // as last sampled
    bool removed = false;
    // the hand-overs
    SimObjectState handed; // the latest position handed over, as the model took it
    std::uint32_t handOvers = 0;
    std::uint32_t firstPass = 0;
    std::uint32_t lastPass = 0;
    double travelledMetres = 0.0;
    double fastestShare = 0.0; // the largest move per pass against what its feed speed covers
    std::size_t faultCount = 0;
    std::vector<std::string> faults; // the first few
    // the phases, in passes: when first lower than 100, 50, 15 and 1 ft above the ground
    std::array<double, 4> below{-1.0, -1.0, -1.0, -1.0};
    bool flared = false, landed = false, wasAirborne = false, wasOnGround = false; // airborne: above 100 ft
    // on the ground since landing, on the ground tail first, above the ground after having been on it
    double rolledMetres = 0.0, pushedMetres = 0.0, climbedFt = 0.0;
};

double lf_aboveGroundFt(const SimObjectState& o) { return o.altFt - o.groundAltFt - o.staticCgFt; }

void lf_fault(Track& t, std::string text)
{
    if (t.faultCount++ < 5)
        t.faults.push_back(std::move(text));
}

// The phases of landing, push-back and take-off from a hand-over `metres` away from the last one.
void lf_follow(Track& t, const SimObjectState& o, std::uint32_t pass, double metres)
{
    const double agl = lf_aboveGroundFt(o);
    const double before = lf_aboveGroundFt(t.handed);
    // the flare: the last 15 ft take more than twice as long as they would at the sink rate
    // between 100 and 50 ft; a height is passed where the line between two hand-overs crosses it
    for (std::size_t i = 0; i < t.below.size(); ++i) {
        const double height = std::array{100.0, 50.0, 15.0, 1.0}[i];
        if (t.below[i] < 0.0 && agl < height && before >= height)
            t.below[i] = t.lastPass + (pass - t.lastPass) * (before - height) / (before - agl);
    }
    if (t.wasAirborne && o.onGround && !t.landed && t.below[3] > t.below[2] && t.below[1] > t.below[0])
        t.flared = (t.below[3] - t.below[2]) / 14.0 > 2.0 * (t.below[1] - t.below[0]) / 50.0;
    t.landed = t.landed || (t.wasAirborne && o.onGround);
    t.wasAirborne = t.wasAirborne || agl > 100.0;
    if (t.landed && o.onGround)
        t.rolledMetres += metres;
    // moving away from where the nose points
    const double course =
        std::atan2((o.lon - t.handed.lon) * std::cos(o.lat * 0.0174533), o.lat - t.handed.lat) * 57.29578;
    if (o.onGround && metres > 0.01 && std::abs(std::remainder(course - o.headingDeg, 360.0)) > 135.0)
        t.pushedMetres += metres;
    if (t.wasOnGround)
        t.climbedFt = std::max(t.climbedFt, agl);
}

class Observer {
public:
    Observer(std::shared_ptr<SimModel> model, std::map<std::string, double> feedKnots)
        : m_model(std::move(model)), m_feedKnots(std::move(feedKnots))
    {
    }

    // One look at the model's world: which aircraft are there, and how they look.
    void sample()
    {
        const auto objects = m_model->aiObjects();
        std::lock_guard lock(m_mutex);
        std::set<std::uint32_t> present;
        for (const SimObjectState& o : objects) {
            present.insert(o.id);
            lf_track(o).last = o;
        }
        for (auto& [id, t] : m_tracks)
            if (!present.count(id))
                t.removed = true;
    }

    // A position the program made in `pass` and handed over, as the model took it; `finite`:
    // every value handed over was a number.
    void handedOver(const SimObjectState& o, std::uint32_t pass, bool finite)
    {
        std::lock_guard lock(m_mutex);
        Track& t = lf_track(o);
        if (!finite)
            lf_fault(t, fmt::format("a value that is no number in pass {}", pass));
        if (lf_aboveGroundFt(o) < -1.0)
            lf_fault(t, fmt::format("{:.1f} ft under the ground in pass {}", -lf_aboveGroundFt(o), pass));
        if (t.handOvers++ == 0) {
            t.firstPass = pass;
        } else {
            // no farther than twice the fastest speed of its feed covers in the passes between,
            // and a metre; a parked aircraft of the feed stands
            const double metres = lf_metres(t.handed.lat, t.handed.lon, o.lat, o.lon);
            const auto known = m_feedKnots.find(o.atcId);
            const double reach =
                (known == m_feedKnots.end() ? 0.0 : known->second) * g_metresPerKnotPass * (pass - t.lastPass);
            if (metres > 2.0 * reach + 1.0)
                lf_fault(t, fmt::format("{:.1f} m in {} passes from pass {}, at most {:.1f}", metres, pass - t.lastPass,
                                        t.lastPass, 2.0 * reach + 1.0));
            if (reach > 0.0)
                t.fastestShare = std::max(t.fastestShare, metres / reach);
            lf_follow(t, o, pass, metres);
            t.travelledMetres += metres;
        }
        t.wasOnGround = t.wasOnGround || o.onGround;
        t.handed = o;
        t.lastPass = pass;
    }

    std::map<std::uint32_t, Track> tracks()
    {
        std::lock_guard lock(m_mutex);
        return m_tracks;
    }
    std::optional<Track> find(const std::string& callsign)
    {
        std::lock_guard lock(m_mutex);
        const auto it =
            std::find_if(m_tracks.begin(), m_tracks.end(), [&](auto& e) { return e.second.callsign == callsign; });
        return it == m_tracks.end() ? std::nullopt : std::optional<Track>(it->second);
    }

    // Enough has been seen once `count` aircraft have flown `passes` passes and one was removed.
    bool seenEnough(std::size_t count, std::uint32_t passes)
    {
        std::lock_guard lock(m_mutex);
        std::size_t flown = 0;
        bool removed = false;
        for (const auto& [id, t] : m_tracks) {
            if (!t.wasOnGround && t.handOvers > 1 && t.lastPass - t.firstPass >= passes)
                ++flown;
            removed = removed || t.removed;
        }
        return flown >= count && removed;
    }

private:
    Track& lf_track(const SimObjectState& o)
    {
        auto [it, added] = m_tracks.try_emplace(o.id);
        if (added) {
            it->second.title = o.title;
            it->second.callsign = o.atcId;
        }
        return it->second;
    }

    std::shared_ptr<SimModel> m_model;
    const std::map<std::string, double> m_feedKnots;
    std::mutex m_mutex;
    std::map<std::uint32_t, Track> m_tracks;
};

// The model with an eye on the frame send: each position handed over goes to the observer with
// the pass that made it, read while the frame send holds the hand-over lock.
class WatchedModel : public SimModel {
public:
    using SimModel::SimModel;
    Observer* observer = nullptr;

    HRESULT setDataOnSimObject(HSIMCONNECT handle, SIMCONNECT_DATA_DEFINITION_ID defineId,
                               SIMCONNECT_OBJECT_ID objectId, std::uint32_t arrayCount, std::uint32_t unitSize,
                               const void* data) override
    {
        const HRESULT result = SimModel::setDataOnSimObject(handle, defineId, objectId, arrayCount, unitSize, data);
        if (defineId != DEF_AI_POSITION || observer == nullptr || data == nullptr)
            return result;
        std::array<double, 8> values{};
        std::memcpy(values.data(), data, std::min<std::size_t>(unitSize, sizeof values));
        const bool finite = std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
        if (const auto o = aiObject(objectId))
            observer->handedOver(*o, g_posBackTick, finite);
        return result;
    }
};

// One line per track: title, where it was last seen and whether it is gone.
std::vector<std::string> lf_describe(const std::map<std::uint32_t, Track>& tracks)
{
    std::vector<std::string> lines;
    for (const auto& [id, t] : tracks)
        lines.push_back(fmt::format("{} {} at {:.1f} nm{}", id, t.title,
                                    lf_metres(g_userStandLat, g_userStandLon, t.last.lat, t.last.lon) / 1852.0,
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

// A stand of the download site's parking file; radius in metres, heading in degrees.
struct SiteStand {
    std::string name;
    double lat, lon, radius, heading;
};
std::vector<SiteStand> lf_siteStands()
{
    pugi::xml_document doc;
    doc.load_file("site/MSFS/archive/stock/EHAM.xml");
    std::vector<SiteStand> stands;
    for (const auto& p : doc.child("parkpositions").children("parkpos"))
        stands.push_back({p.attribute("id").value(), p.attribute("latitude").as_double(),
                          p.attribute("longitude").as_double(), p.attribute("radius").as_double(),
                          p.attribute("heading").as_double()});
    return stands;
}
const SiteStand& lf_nearestStand(const std::vector<SiteStand>& stands, double lat, double lon)
{
    return *std::min_element(stands.begin(), stands.end(), [&](const SiteStand& a, const SiteStand& b) {
        return lf_metres(a.lat, a.lon, lat, lon) < lf_metres(b.lat, b.lon, lat, lon);
    });
}

bool lf_isStatic(const Track& t) { return !t.callsign.empty() && t.callsign.back() == '*'; }

// How far the aircraft last seen points from the stand's heading, degrees.
double lf_offStandHeading(const Track& t, const SiteStand& stand)
{
    return std::abs(std::remainder(t.last.headingDeg - stand.heading, 360.0));
}

// Parked as a live aircraft parks: engines off, throttle and flaps 0, nav and logo lights only.
bool lf_parkedAt(const Track& t, const SiteStand& stand)
{
    const SimObjectState& o = t.last;
    return o.onGround && lf_metres(o.lat, o.lon, stand.lat, stand.lon) <= 2.0 && !o.enginesRunning &&
           o.throttle1Percent == 0.0 && o.flapsPercent == 0.0 && (o.lightMask() & 0x11F) == 0x101;
}

// Off the stand to the north-west and steeply up: out of sight (above 2000 ft) within seconds.
std::vector<SimWaypoint> lf_flyAway()
{
    const double g = gf_defaultSimScenario().groundAltitudeFt;
    const double lat = g_userStandLat, lon = g_userStandLon;
    return {{0.0, "takeoff", lat, lon, g, true, 300.0, 0x21F},
            {4.0, "takeoff", lat + 0.001, lon - 0.002, g, true, std::nan(""), 0x21F},
            {12.0, "climb", lat + 0.004, lon - 0.010, g + 2600.0, false, std::nan(""), 0x213},
            {600.0, "cruise", lat + 0.5, lon - 1.0, g + 9000.0, false, std::nan(""), 0x213}};
}

} // namespace

TEST(WholeRun, TrafficFliesLandsParksAndLeavesWithTheUserAndTheCloseBoxEndsTheRun)
{
    testsupport::TempFolder folder;
    lf_layOutProgramFolder();

    auto scenario = feedserver::gf_readScenario(fs::path(TRWK_SOURCE_DIR) / "data" / "feed" / "scenario.json");
    feedserver::FeedServer server(scenario, g_key);
    const int port = server.bind(0);
    std::thread serverThread([&server] { server.run(); });
    folder.setEnv("TRWK_RT_BASE_URL", fmt::format("http://127.0.0.1:{}", port));
    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + (folder.path() / "site").string() + "/");

    SimScenario simScenario = gf_defaultSimScenario();
    simScenario.userPath = {
        {0.0, "stand", g_userStandLat, g_userStandLon, simScenario.groundAltitudeFt, true, 300.0, 0x203}};
    auto model = std::make_shared<WatchedModel>(simScenario);
    Observer observer(model, lf_feedSpeeds(scenario));
    model->observer = &observer;
    gf_setSimConnectBackend(model);
    auto driver = std::make_unique<SimModelDriver>(model);

    // the program's own start, on the headless back-end
    w32::testing::reset();
    gf_setProgramResources();
    gf_installAppHooks();

    const auto stands = lf_siteStands();
    const SiteStand& arrivalStand = lf_nearestStand(stands, 52.303971, 4.773883); // E22
    std::atomic<bool> closePosted{false};
    std::atomic<std::uint32_t> ticks{0};
    fs::file_time_type parametersBeforeClose;
    // what stood or taxied on the ground when the park airport was left (its learned file
    // written); an aircraft touching down then is still flying for the program, and one that
    // lands later is traffic of no park airport
    std::set<std::uint32_t> groundWhenLeft;
    const auto lt_stillThere = [&model, &groundWhenLeft] {
        const auto objects = model->aiObjects();
        return std::count_if(objects.begin(), objects.end(), [&](auto& o) { return groundWhenLeft.count(o.id) != 0; });
    };
    std::ptrdiff_t leftOnTheGround = 0;
    bool learnedWritten = false;
    const fs::path learnedFile = g_learnedFolder / "stock" / "EHAM.xml";
    std::thread user([&] {
        const auto start = std::chrono::steady_clock::now();
        while (g_mainWindowState.hMainWindow.load() == nullptr && std::chrono::steady_clock::now() - start < 20s)
            std::this_thread::sleep_for(10ms);
        // samples the world until the condition holds (looked at twice a second) or the time is up
        const auto lt_watch = [&](const std::function<bool()>& done, std::chrono::seconds limit,
                                  const std::function<void()>& each = {}) {
            for (int i = 0; std::chrono::steady_clock::now() - start < limit; ++i) {
                observer.sample();
                ticks = g_tick.load();
                if (each)
                    each();
                if (i % 10 == 0 && done())
                    return;
                std::this_thread::sleep_for(50ms);
            }
        };
        // at the park airport: the arrival has landed and parked, the departure has pushed back
        // and climbs away (the statics stood long before)
        lt_watch([&] {
            const auto arrival = observer.find(g_arrival);
            const auto departure = observer.find(g_departure);
            return arrival && lf_parkedAt(*arrival, arrivalStand) && departure && departure->climbedFt >= 100.0;
        }, 420s);
        // the user aircraft flies away: everything on the ground leaves, the learned file is
        // written; the flight at the edge of the area is removed there
        model->setUserPath(lf_flyAway());
        lt_watch([&] { return learnedWritten && lt_stillThere() == 0 && observer.seenEnough(3, 1000); }, 600s, [&] {
            if (learnedWritten || !fs::exists(learnedFile))
                return;
            learnedWritten = true;
            for (const SimObjectState& o : model->aiObjects())
                if (o.onGround && o.groundSpeedKts < 40.0)
                    groundWhenLeft.insert(o.id);
        });
        leftOnTheGround = lt_stillThere();
        parametersBeforeClose = fs::last_write_time(g_parametersPath);
        std::this_thread::sleep_for(20ms);
        closePosted = true;
        PostMessageW(g_mainWindowState.hMainWindow.load(), WM_CLOSE, 0, 0);
    });
    const int exitCode = wWinMain(nullptr, nullptr, nullptr, SW_SHOW);
    user.join();
    driver.reset();
    model->observer = nullptr;
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
    const auto tracks = observer.tracks();
    EXPECT_GE(ticks.load(), 100u) << "the run did not reach its tick loop";
    std::size_t flying = 0;
    double fastestShare = 0.0;
    for (const auto& [id, t] : tracks) {
        EXPECT_TRUE(titles.count(t.title)) << "object " << id << " has the title " << t.title;
        EXPECT_EQ(t.faultCount, 0u) << t.callsign << ": " << fmt::format("{}", fmt::join(t.faults, "; "));
        EXPECT_NE(log.find(t.title), std::string::npos) << "the creation of " << t.title << " is not logged";
        if (!t.wasOnGround && t.lastPass - t.firstPass >= 1000 && t.travelledMetres >= 100.0)
            ++flying;
        fastestShare = std::max(fastestShare, t.fastestShare);
    }
    EXPECT_GE(flying, 3u);
    RecordProperty("fastestShareOfFeedSpeed", fmt::format("{:.2f}", fastestShare));

    // the statics: each on a stand of the site's file, on its own, clear of the others and of the
    // user's stand
    std::vector<const SiteStand*> taken;
    for (const auto& [id, t] : tracks) {
        if (!lf_isStatic(t))
            continue;
        const SiteStand& stand = lf_nearestStand(stands, t.last.lat, t.last.lon);
        EXPECT_LE(lf_metres(stand.lat, stand.lon, t.last.lat, t.last.lon), 1.0) << t.callsign;
        EXPECT_LE(lf_offStandHeading(t, stand), 1.0) << t.callsign << " on " << stand.name;
        EXPECT_NE(stand.name, "D52") << t.callsign << " stands on the user's stand";
        for (const SiteStand* other : taken)
            EXPECT_LE(stand.radius + other->radius, 1.1 * lf_metres(stand.lat, stand.lon, other->lat, other->lon))
                << t.callsign << " on " << stand.name << " overlaps " << other->name;
        taken.push_back(&stand);
    }
    EXPECT_GE(taken.size(), 20u) << "statics";

    // the arrival lands, rolls, taxis and parks; the departure pushes back and takes off
    const auto arrival = observer.find(g_arrival);
    ASSERT_TRUE(arrival) << fmt::format("{}", fmt::join(lf_describe(tracks), "; "));
    EXPECT_TRUE(arrival->flared && arrival->landed) << "flared " << arrival->flared << ", landed " << arrival->landed;
    EXPECT_GE(arrival->rolledMetres, 300.0);
    EXPECT_TRUE(lf_parkedAt(*arrival, arrivalStand)) << arrival->last.lat << " " << arrival->last.lon;
    EXPECT_LE(lf_offStandHeading(*arrival, arrivalStand), 2.0) << arrival->last.headingDeg;
    EXPECT_NE(log.find(fmt::format("{:8}: {:8} arrived at stand", "E22", g_arrival)), std::string::npos);
    const auto departure = observer.find(g_departure);
    ASSERT_TRUE(departure);
    EXPECT_GE(departure->pushedMetres, 20.0);
    EXPECT_GE(departure->climbedFt, 100.0);

    // leaving the park airport: nothing that stood on the ground stays, the learned file is
    // written; in the air, the flight whose reports ended at the edge of the area is removed there
    EXPECT_NE(log.find("out of sight"), std::string::npos);
    EXPECT_TRUE(learnedWritten);
    EXPECT_GE(groundWhenLeft.size(), 20u); // the statics at least
    EXPECT_EQ(leftOnTheGround, 0);
    std::size_t removedInTheAir = 0;
    for (const auto& [id, t] : tracks) {
        if (!t.removed || t.last.altFt - t.last.groundAltFt < 1000.0)
            continue;
        ++removedInTheAir;
        EXPECT_GT(lf_metres(g_userStandLat, g_userStandLon, t.last.lat, t.last.lon), 39.0 * 1852.0)
            << t.callsign << " was removed before it left the area";
    }
    EXPECT_EQ(removedInTheAir, 1u) << fmt::format("{}", fmt::join(lf_describe(tracks), "; "));
}
