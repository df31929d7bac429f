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

// A flight with these keys and path points; a scenario of these flights.
std::string lf_flight(const std::string& keys, const std::string& points = R"({"t": 0, "lat": 50, "lon": 8, "alt": 0},
    {"t": 10, "lat": 50.1, "lon": 8, "alt": 0})")
{
    return "{" + keys + R"(, "path": [)" + points + "]}";
}
std::string lf_flights(const std::string& flights) { return R"({"flights": [)" + flights + "]}"; }

const std::string lf_a1 = R"("hex": "4b1805", "callsign": "A1", "type": "A320")";

} // namespace

TEST(FeedScenario, MalformedScenariosAreRefusedWithTheReason)
{
    const std::pair<std::string, std::string> rows[] = {
        {lf_flights(lf_flight(lf_a1)), "accepted"},
        {"[]", "scenario: the top level must be an object"},
        {lf_flights(lf_flight(R"("callsign": "A1", "type": "A320")")), "scenario: flight 1 needs \"hex\""},
        {lf_flights(lf_flight(R"("hex": "4b18zz", "callsign": "A1")")),
         "scenario: flight 1: \"hex\" must be hexadecimal digits"},
        {lf_flights(lf_flight(R"("hex": "4b1805", "type": "A320")")),
         "scenario: flight 1 needs a callsign or a registration"},
        {lf_flights(lf_flight(lf_a1) + "," + lf_flight(lf_a1)), "scenario: flight hex id 4b1805 is used twice"},
        {lf_flights(lf_flight(lf_a1, R"({"t": 0, "lat": 50, "lon": 8, "alt": 0})")),
         "scenario: flight 1 needs a path of at least two points"},
        {lf_flights(lf_flight(lf_a1, R"({"t": 5, "lat": 50, "lon": 8, "alt": 0},
                                     {"t": 5, "lat": 50.1, "lon": 8, "alt": 0})")),
         "scenario: flight 1: path times must increase"},
        {lf_flights(lf_flight(lf_a1, R"({"t": 0, "lat": 95, "lon": 8, "alt": 0},
                                     {"t": 5, "lat": 50.1, "lon": 8, "alt": 0})")),
         "scenario: flight 1: position out of range"},
        {R"({"stations": [{"icao": "EDDF", "lat": 50, "lon": 8, "qnh": 1200}]})",
         "scenario: station 1: QNH out of range"},
        {R"({"parked": [{"hex": "3c6444", "type": "A320", "lat": 50, "lon": 8}]})",
         "scenario: parked aircraft 1 needs \"stand\""},
        {R"({"service": {"rrl": 0}})", "scenario: the intervals must be positive"},
        {R"({"service": {"type": 3}})", "scenario: \"type\" must be 1 (standard) or 2 (professional)"},
        {R"({"service": {"type": "2"}})", "scenario: \"type\" must be 1 (standard) or 2 (professional)"},
        {R"({"service": {"type": 2}})", "accepted"}};
    for (const auto& [text, reason] : rows)
        EXPECT_EQ(lf_refusal(text), reason) << text;
    EXPECT_EQ(lf_refusal("{\"flights\": [}").rfind("scenario: ", 0), 0u);
    EXPECT_THROW(feedserver::gf_readScenario("no-such-scenario.json"), std::runtime_error);
}

TEST(FeedScenario, APathIsPlayedBetweenItsPoints)
{
    const Scenario s = gf_parseScenario(lf_flights(lf_flight(lf_a1, R"(
        {"t": 0, "lat": 50.00, "lon": 8.00, "alt": 300, "ground": true},
        {"t": 30, "lat": 50.00, "lon": 8.00, "alt": 300, "ground": true},
        {"t": 90, "lat": 50.01, "lon": 8.00, "alt": 300, "ground": true, "heading": 350},
        {"t": 120, "lat": 50.01, "lon": 8.00, "alt": 300, "ground": true, "ias": 0},
        {"t": 180, "lat": 50.04, "lon": 8.00, "alt": 1500, "ias": 160})")));
    const auto lt_at = [&](double t) {
        const auto st = gf_flightStateAt(s.flights.front(), t);
        if (!st)
            return std::string("none");
        return fmt::format("{:.4f} gs {:.3f} track {:.3f} hdg {:.3f} ground {} alt {:.3f} vs {:.3f} ias {:.3f}",
                           st->lat, st->groundSpeedKt, st->trackDeg, st->headingDeg, st->onGround, st->altFt,
                           st->verticalRateFpm, st->airspeedKt);
    };
    // standing before the taxi: the track of the leg that follows, no speed; 0.01 degree north in a minute with
    // no heading given at the start; standing still, the heading given at the leg's start is held, and is the track
    // too; the take-off leg airborne, climbing, the airspeed interpolated from the two points
    const std::pair<double, std::string> rows[] = {
        {-0.1, "none"}, {180.1, "none"},
        {10.0, "50.0000 gs 0.000 track 0.000 hdg 0.000 ground true alt 300.000 vs 0.000 ias 0.000"},
        {60.0, "50.0050 gs 36.000 track 0.000 hdg 0.000 ground true alt 300.000 vs 0.000 ias 36.000"},
        {100.0, "50.0100 gs 0.000 track 350.000 hdg 350.000 ground true alt 300.000 vs 0.000 ias 0.000"},
        {150.0, "50.0250 gs 108.000 track 0.000 hdg 0.000 ground false alt 900.000 vs 1200.000 ias 80.000"},
        {180.0, "50.0400 gs 108.000 track 0.000 hdg 0.000 ground false alt 1500.000 vs 1200.000 ias 160.000"}};
    for (const auto& [t, state] : rows)
        EXPECT_EQ(lt_at(t), state) << t;
}

TEST(FeedScenario, TheDefaultScenarioPassesTheProgramsFiltersOverItsWholeLength)
{
    testsupport::LoggedFolder folder;
    const Scenario s = feedserver::gf_readScenario(TRWK_SOURCE_DIR "/data/feed/scenario.json");
    ASSERT_TRUE(s.flights.size() >= 8 && s.parked.size() >= 8 && !s.stations.empty());
    // standard: a professional account could follow the model simulator's clock, years before the scenario
    EXPECT_EQ(s.accountType, 1);

    // the aircraft types the program knows, from the database it ships
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(TRWK_SOURCE_DIR "/data/plain/dbase.xml"));
    gf_resetDbase();
    gf_readTypeSection(doc, "aircrafts", g_dbase.aircraftTypes, "aircraft");

    const double elevation = -11.0;
    const LatLon eham{52.3086, 4.7639};
    const LineContext context{eham, 200.0, s.stations.front().qnh, ParkAirportRef{"EHAM", eham, elevation}, {}};
    const feedserver::Box wide{60.0, 45.0, -5.0, 15.0};

    double end = 0.0;
    for (const auto& f : s.flights) {
        EXPECT_TRUE(gf_isValidModel(f.type)) << f.callsign << " " << f.type;
        end = std::max(end, f.path.back().t);
    }
    std::map<std::uint32_t, FeedSample> previous;
    for (double t = -40.0; t <= end; t += 1.0) {
        g_readerBatch.clear();
        for (const auto& member : feedserver::gf_liveData(s, wide, feedserver::AskedTime{t, 1767258000.0 + t}))
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
