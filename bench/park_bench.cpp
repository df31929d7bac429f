#include "park_bench.h"

#include "aircraft/dbase.h"
#include "aircraft/livery_processing.h"
#include "aircraft/livery_tables.h"
#include "airports/park_data.h"
#include "feed/parked_request.h"
#include "foundation/half_hours.h"
#include "foundation/paths.h"
#include "foundation/random.h"
#include "simlink/sim_state.h"
#include "traffic/run_flags.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_jobs.h"

#include <fmt/format.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace parkbench {

namespace {

// One livery of every airline and type the bench uses, through the program's own reading of its
// livery list, written for it into a folder of its own.
void lf_installLiveries()
{
    namespace fs = std::filesystem;
    const fs::path before = fs::current_path();
    const fs::path folder = fs::temp_directory_path() / fmt::format("trwk-bench-{}", ::getpid());
    fs::create_directories(folder / g_outputFolder);
    fs::current_path(folder);
    {
        std::ofstream list(g_liveriesScannedPath);
        list << "<liveries>\n";
        for (const char* airline : g_airlines)
            for (const char* type : g_types)
                list << fmt::format("<liv airl=\"{}\" type=\"{}\" title=\"{} {}\" />\n", airline, type, type, airline);
        list << "</liveries>\n";
    }
    gf_resetLiveryTables();
    gf_processScannedLiveries();
    fs::current_path(before);
    fs::remove_all(folder);
}

} // namespace

void ServiceClock::serve()
{
    ParkedBox box;
    std::uint64_t sequence = 0;
    if (gf_takeParkedRequest(box, sequence))
        gf_deliverParkedAnswer(sequence, 0, copy.empty() ? answer : std::move(copy));
}

void gf_receiveParkedTrafficNow()
{
    gf_requestParkedTraffic();
    gf_serviceClock().serve();
    gf_locateParkedTraffic();
}

ServiceClock& gf_serviceClock()
{
    static ServiceClock clock{platform::SystemTime{} + std::chrono::seconds(g_wednesday1010)};
    return clock;
}

LatLon gf_standAt(int i)
{
    const LatLon row = gf_destinationPoint(LatLon{50.0, 8.0}, 0.0, (i / 20) * 150.0 / 0.3048);
    return gf_destinationPoint(row, 1.5707963267948966, (i % 20) * 50.0 / 0.3048);
}

void gf_buildAirport(int count, bool touching)
{
    std::vector<Stand> stands;
    for (int i = 0; i < count; ++i) {
        std::vector<StandOption> options;
        options.reserve(28);
        for (int day = 1; day <= 7; ++day)
            for (int j = 0; j < 4; ++j) {
                const std::string id = fmt::format("{}{}{}", i, day, j);
                StandOption o{g_airlines[static_cast<std::size_t>(j)], g_types[static_cast<std::size_t>((i + j) % 3)],
                              "R" + id, "C" + id, j == 0 ? "D" + id : "", {},
                              static_cast<std::int32_t>(options.size() + 1), day, 1, j < 3 ? 1 : 0};
                for (int h = 0; h < 6; ++h)
                    o.hh.set(static_cast<std::size_t>((i * 7 + j * 12 + day + h) % 48));
                options.push_back(std::move(o));
            }
        const LatLon at = gf_standAt(i);
        stands.emplace_back(fmt::format("S{}", i), std::move(options), StandPosition{at.lat, at.lon, 0.0}, 20.0, true,
                            true, true);
        stands.back().id = static_cast<std::uint32_t>(i + 1);
        if (touching && i % 20 != 0)
            stands.back().neighbours.push_back(static_cast<std::uint32_t>(i));
        if (touching && i % 20 != 19)
            stands.back().neighbours.push_back(static_cast<std::uint32_t>(i + 2));
    }
    gf_replaceParkStands(std::move(stands));
    parkAirport = Airport{"EDXX", "", 50.0, 8.0, 0.0};
}

void gf_buildParkedTraffic(int count, int onStands)
{
    auto& answer = gf_serviceClock().answer;
    answer.clear();
    for (int i = 0; i < count; ++i) {
        const LatLon at = gf_standAt((i * 37) % onStands * 2);
        const auto slot = static_cast<std::uint32_t>((20 + 48 - i % 24) % 48);
        const std::string cs = fmt::format("P{}", i);
        answer.push_back({g_airlines[static_cast<std::size_t>(i % 4)], "A320", "", "", cs, "", "",
                          fmt::format("PR{}", i), 0, at.lat, at.lon, 0x400000u + static_cast<std::uint32_t>(i), slot,
                          cs});
    }
}

void gf_setUpTraffic(const std::function<void()>& more)
{
    static bool done = false;
    if (done)
        return;
    done = true;
    platform::setClock(&gf_serviceClock());
    gf_initTrafficContainers();
    gf_resetDbase();
    g_dbase.aircraftTypes = {"A320", "B738", "E190"};
    g_dbase.largeTypes = {"A320", "B738", "E190"};
    g_dbase.halfWingspans = {{"A320", 17.9 / 1852.0}, {"B738", 17.9 / 1852.0}, {"E190", 14.4 / 1852.0}};
    lf_installLiveries();
    gf_randomGenerator().seed(7u);
    g_simRequestError = true; // no simulator behind the bench
    more();
}

void gf_at(std::int64_t seconds)
{
    gf_serviceClock().setSystemTime(platform::SystemTime{} + std::chrono::seconds(seconds));
    g_timeSlot = gf_slotAndWeekdayNow();
}

std::vector<StaticAc> gf_staticsOfPlan()
{
    std::vector<StaticAc> statics;
    std::uint32_t serial = 0;
    const WeekPoint now = gf_unpackWeekPoint(g_timeSlot);
    for (const StaticPlanEntry& e : g_staticPlan) {
        const Stand& stand = g_parkStands[e.standId - 1];
        StaticAc& s = statics.emplace_back(AcBase(e.airline, e.type, "", "", gf_displayedCallsign(e), e.callsign,
                                                  e.secondCallsign, e.registration),
                                           stand.id, stand.latitude, stand.longitude, 0.0, false);
        s.hexid = ++serial;
        s.objectId = 100 + serial;
        s.acState = AcState::active;
        s.noRealHexid = e.noRealHexid;
        s.realHexid = e.hexId;
        const WeekPoint parked = gf_halfHoursBack(now, static_cast<std::uint32_t>(e.age));
        s.parkedSlot = {parked.day, parked.slot};
    }
    return statics;
}

} // namespace parkbench
