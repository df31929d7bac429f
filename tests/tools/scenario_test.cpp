// Scenario files: what the reader refuses, how a path is played between its points, and the
// default scenario as the program's parsers and filters see it over its whole length.
#include "answers.h"
#include "flight_state.h"
#include "scenario.h"

#include "aircraft/dbase.h"
#include "aircraft/dbase_lookup.h"
#include "aircraft/dbase_reader.h"
#include "feed/feed_hooks.h"
#include "feed/live_records.h"
#include "feed/parked_records.h"
#include "foundation/geometry.h"
#include "support/logged_folder.h"

#include <algorithm>
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <set>
#include <string>

using feedserver::gf_flightStateAt;
using feedserver::gf_parseScenario;
using feedserver::Scenario;

namespace {

std::string lf_refusal(const std::string& text)
{
    try {
        gf_parseScenario(text);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "accepted";
}

std::string lf_flights(const std::string& flights) { return R"({"flights": [)" + flights + "]}"; }

constexpr const char* lf_twoPoints = R"("path": [{"t": 0, "lat": 50, "lon": 8, "alt": 0}, {"t": 10, "lat": 50.1, "lon": 8, "alt": 0}])";

} // namespace

TEST(FeedScenario, MalformedScenariosAreRefusedWithTheReason)
{
    const std::string flight = std::string(R"({"hex": "4b1805", "callsign": "A1", "type": "A320", )") + lf_twoPoints + "}";
    EXPECT_EQ(lf_refusal(lf_flights(flight)), "accepted");
    EXPECT_EQ(lf_refusal("[]"), "scenario: the top level must be an object");
    EXPECT_EQ(lf_refusal("{\"flights\": [}").rfind("scenario: ", 0), 0u);
    EXPECT_EQ(lf_refusal(lf_flights(std::string(R"({"callsign": "A1", "type": "A320", )") + lf_twoPoints + "}")),
              "scenario: flight 1 needs \"hex\"");
    EXPECT_EQ(lf_refusal(lf_flights(std::string(R"({"hex": "4b18zz", "callsign": "A1", "type": "A320", )") + lf_twoPoints + "}")),
              "scenario: flight 1: \"hex\" must be hexadecimal digits");
    EXPECT_EQ(lf_refusal(lf_flights(std::string(R"({"hex": "4b1805", "type": "A320", )") + lf_twoPoints + "}")),
              "scenario: flight 1 needs a callsign or a registration");
    EXPECT_EQ(lf_refusal(lf_flights(flight + "," + flight)), "scenario: flight hex id 4b1805 is used twice");
    EXPECT_EQ(lf_refusal(lf_flights(R"({"hex": "4b1805", "callsign": "A1", "type": "A320",
        "path": [{"t": 0, "lat": 50, "lon": 8, "alt": 0}]})")),
              "scenario: flight 1 needs a path of at least two points");
    EXPECT_EQ(lf_refusal(lf_flights(R"({"hex": "4b1805", "callsign": "A1", "type": "A320",
        "path": [{"t": 5, "lat": 50, "lon": 8, "alt": 0}, {"t": 5, "lat": 50.1, "lon": 8, "alt": 0}]})")),
              "scenario: flight 1: path times must increase");
    EXPECT_EQ(lf_refusal(lf_flights(R"({"hex": "4b1805", "callsign": "A1", "type": "A320",
        "path": [{"t": 0, "lat": 95, "lon": 8, "alt": 0}, {"t": 5, "lat": 50.1, "lon": 8, "alt": 0}]})")),
              "scenario: flight 1: position out of range");
    EXPECT_EQ(lf_refusal(R"({"stations": [{"icao": "EDDF", "lat": 50, "lon": 8, "qnh": 1200}]})"),
              "scenario: station 1: QNH out of range");
    EXPECT_EQ(lf_refusal(R"({"parked": [{"hex": "3c6444", "type": "A320", "lat": 50, "lon": 8}]})"),
              "scenario: parked aircraft 1 needs \"stand\"");
    EXPECT_EQ(lf_refusal(R"({"service": {"rrl": 0}})"), "scenario: the intervals must be positive");
    EXPECT_THROW(feedserver::gf_readScenario("no-such-scenario.json"), std::runtime_error);
}

TEST(FeedScenario, APathIsPlayedBetweenItsPoints)
{
    const Scenario s = gf_parseScenario(lf_flights(R"({"hex": "4b1805", "callsign": "A1", "type": "A320", "path": [
        {"t": 0, "lat": 50.00, "lon": 8.00, "alt": 300, "ground": true},
        {"t": 30, "lat": 50.00, "lon": 8.00, "alt": 300, "ground": true},
        {"t": 90, "lat": 50.01, "lon": 8.00, "alt": 300, "ground": true, "heading": 350},
        {"t": 120, "lat": 50.01, "lon": 8.00, "alt": 300, "ground": true, "ias": 0},
        {"t": 180, "lat": 50.04, "lon": 8.00, "alt": 1500, "ias": 160}]})"));
    const auto& flight = s.flights.front();
    EXPECT_FALSE(gf_flightStateAt(flight, -0.1));
    EXPECT_FALSE(gf_flightStateAt(flight, 180.1));

    // standing before the taxi: the track of the leg that follows, no speed
    auto st = gf_flightStateAt(flight, 10.0);
    ASSERT_TRUE(st);
    EXPECT_EQ(st->groundSpeedKt, 0.0);
    EXPECT_NEAR(st->trackDeg, 0.0, 1e-9);
    EXPECT_TRUE(st->onGround);

    st = gf_flightStateAt(flight, 60.0);
    EXPECT_NEAR(st->lat, 50.005, 1e-9);
    EXPECT_NEAR(st->groundSpeedKt, 0.6 / 60.0 * 3600.0, 1e-6); // 0.01 degree north in a minute
    EXPECT_NEAR(st->headingDeg, 0.0, 1e-9);                    // no heading given at the start

    // standing still, the heading given at the leg's start is held, and is the track too
    st = gf_flightStateAt(flight, 100.0);
    EXPECT_NEAR(st->headingDeg, 350.0, 1e-9);
    EXPECT_EQ(st->groundSpeedKt, 0.0);
    EXPECT_NEAR(st->trackDeg, 350.0, 1e-9);

    // the take-off leg: airborne, climbing, the airspeed interpolated from the two points
    st = gf_flightStateAt(flight, 150.0);
    EXPECT_FALSE(st->onGround);
    EXPECT_EQ(fmt::format("{:.6f} {:.6f} {:.6f}", st->altFt, st->verticalRateFpm, st->airspeedKt),
              "900.000000 1200.000000 80.000000");
    EXPECT_NEAR(gf_flightStateAt(flight, 180.0)->lat, 50.04, 1e-12);
}

TEST(FeedScenario, TheDefaultScenarioPassesTheProgramsFiltersOverItsWholeLength)
{
    testsupport::LoggedFolder folder;
    const Scenario s = feedserver::gf_readScenario(TRWK_SOURCE_DIR "/data/feed/scenario.json");
    ASSERT_TRUE(s.flights.size() >= 8 && s.parked.size() >= 8 && !s.stations.empty());

    // the aircraft types the program knows, from the database it ships
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(TRWK_SOURCE_DIR "/data/plain/dbase.xml"));
    gf_resetDbase();
    gf_readTypeSection(doc, "aircrafts", g_dbase.aircraftTypes, "aircraft");

    const double elevation = -11.0;
    LineContext context;
    context.refPos = LatLon{52.3086, 4.7639};
    context.rangeNm = 200.0;
    context.qnh = s.stations.front().qnh;
    context.parkAirport = ParkAirportRef{"EHAM", context.refPos, elevation};
    const feedserver::Box wide{60.0, 45.0, -5.0, 15.0};

    double end = 0.0;
    for (const auto& f : s.flights) {
        EXPECT_TRUE(gf_isValidModel(f.type)) << f.callsign << " " << f.type;
        end = std::max(end, f.path.back().t);
    }
    std::map<std::uint32_t, FeedSample> previous;
    for (double t = -40.0; t <= end; t += 1.0) {
        g_readerBatch.clear();
        const auto data = feedserver::gf_liveData(s, wide, feedserver::AskedTime{t, 1767258000.0 + t});
        for (const auto& member : data)
            processLine(member, context);
        std::size_t active = 0;
        for (const auto& f : s.flights) {
            const auto state = gf_flightStateAt(f, t);
            if (!state)
                continue;
            ++active;
            const auto r = std::find_if(g_readerBatch.begin(), g_readerBatch.end(),
                                        [&](const FeedRecord& x) { return x.callsign == f.callsign; });
            ASSERT_NE(r, g_readerBatch.end()) << f.callsign << " dropped at " << t;
            // on the ground where the scenario has it there, airborne well above it
            if (state->onGround || state->altFt - elevation > 150.0) {
                EXPECT_EQ(r->sample.airborne, !state->onGround) << f.callsign << " at " << t;
            }
            // no jumps: one second moves no farther than the speeds reported allow
            const auto before = previous.find(r->hexId);
            if (before != previous.end()) {
                const double nm = gf_distanceNm(LatLon{before->second.lat, before->second.lon},
                                                LatLon{r->sample.lat, r->sample.lon});
                const double allowed = std::max(before->second.groundSpeed, r->sample.groundSpeed) / 3600.0;
                EXPECT_LE(nm, allowed * 1.02 + 1e-4) << f.callsign << " at " << t;
            }
            previous[r->hexId] = r->sample;
        }
        EXPECT_EQ(g_readerBatch.size(), active) << "at " << t;
    }
    g_readerBatch.clear();

    // every parked aircraft is kept, each on a stand of its own
    gf_sizeClassEnabledHook.install([](SizeClass) { return true; });
    std::vector<ParkedTrafficRecord> parked;
    const auto parkedData = feedserver::gf_parkedData(s, wide, 1767258000.0);
    for (const auto& [key, line] : parkedData.items())
        processParkedTrafficLine(key, line, ParkedLineContext{}, parked);
    EXPECT_EQ(parked.size(), s.parked.size());
    std::set<std::string> stands;
    for (const auto& p : parked) {
        EXPECT_TRUE(stands.insert(p.stand).second) << p.stand;
        EXPECT_LE(gf_distanceNm(context.refPos, LatLon{p.lat, p.lon}), 3.0) << p.stand;
    }
    gf_resetFeedHooks();
    gf_resetDbase();
}
