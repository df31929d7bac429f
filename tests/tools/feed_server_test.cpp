// The local feed server's answers read by the program's own client and parsers: the key check,
// live records as the scenario says, the box, the buffered snapshots, parked traffic, weather.
#include "feed_server_fixture.h"

#include "aircraft/dbase.h"
#include "feed/live_records.h"
#include "feed/parked_records.h"
#include "feed/reader_state.h"
#include "feed/session.h"
#include "feed/traffic_client.h"
#include "feed/weather_client.h"
#include "foundation/geometry.h"
#include "foundation/half_hours.h"

#include <cmath>
#include <map>

using testsupport::FeedServerTest;
using testsupport::g_testKey;
using testsupport::g_wideBox;

namespace {

// What the traffic manager would judge the records against: Frankfurt as park airport at the
// scenario's QNH, a range that takes in every flight.
LineContext lf_frankfurtContext()
{
    return {LatLon{50.1, 8.3}, 200.0, 1023, ParkAirportRef{"EDDF", LatLon{50.033, 8.570}, 364.0}, {}};
}

// The program's records of one answer part, by hex id.
std::map<std::uint32_t, FeedRecord> lf_parse(const nlohmann::json& part, const LineContext& context)
{
    g_readerBatch.clear();
    for (const auto& member : part) {
        EXPECT_EQ(member.size(), 48u);
        processLine(member, context);
    }
    std::map<std::uint32_t, FeedRecord> records;
    for (FeedRecord& r : g_readerBatch)
        records[r.hexId] = std::move(r);
    g_readerBatch.clear();
    return records;
}

} // namespace

TEST_F(FeedServerTest, LoginChecksTheKeyAsTheServiceDoes)
{
    AuthRefusal refusal;
    EXPECT_FALSE(authenticate(refusal, "key-4711"));
    EXPECT_EQ(refusal.status, 404);
    EXPECT_TRUE(g_sessionGuid.empty());

    refusal = {};
    ASSERT_TRUE(authenticate(refusal, g_testKey));
    EXPECT_EQ(refusal.status, 0);
    const std::string guid = g_sessionGuid.get();
    EXPECT_FALSE(guid.empty());
    EXPECT_EQ(gf_weatherClient().wrrl, 3000);
    EXPECT_TRUE(folder.logHas("Authenticated at RT server 'local-test'"));
    EXPECT_TRUE(g_professionalAccount) << "the scenario's account type";

    // the session opens the service's paths; an unknown one asks for a new login
    EXPECT_EQ(traffic(guid, g_wideBox)["status"], 200);
    EXPECT_EQ(traffic("abc", g_wideBox)["status"], 401);
    EXPECT_EQ(post("/v4/weather", "GUID=abc&querytype=locwx&toffset=0&lat=50&lon=8&alt=0&airports=")["status"], 401);
    EXPECT_EQ(post("/v4/auth", "software=TRWK")["status"], 400);

    // the logout ends the session
    gf_trafficClient().guid.set(guid);
    deauthenticate(gf_trafficClient());
    EXPECT_TRUE(gf_trafficClient().guid.empty());
    EXPECT_EQ(traffic(guid, g_wideBox)["status"], 401);
}

TEST_F(FeedServerTest, LiveRecordsComeOutOfTheProgramsParserAsTheScenarioSays)
{
    const std::string guid = login();
    advance(50.0);
    const double asked = epochNow();
    const auto answer = traffic(guid, g_wideBox);
    ASSERT_EQ(answer["status"], 200);
    EXPECT_EQ(answer["rrl"], 2500);
    const auto records = lf_parse(answer["data"], lf_frankfurtContext());
    ASSERT_EQ(records.size(), 2u) << answer.dump(); // the third flight has not started

    // half way along the first leg; sent as a pressure altitude, corrected back with the QNH of the answer's
    // station; at the speed the positions move at, indicated lower than that up there
    const FeedRecord& swr = records.at(0x4b1805);
    const FeedSample& a = swr.sample;
    const double legKt = gf_distanceNm(LatLon{50.20, 8.00}, LatLon{50.20, 8.20}) / 100.0 * 3600.0;
    EXPECT_EQ(fmt::format("{} {} {} {} {} {:.4f} {:.4f} alt {} up {} track {:.1f} vs {:.0f} hdg {:.3f} bank {}",
                          swr.callsign, swr.registration, swr.type, swr.origin, swr.destination, a.lat, a.lon,
                          a.altitude, a.airborne, a.track, a.verticalRate, a.trueHeading.value_or(-1.0) / g_deg2rad,
                          a.bank.has_value()),
              "SWR123 HB-JLT A320 LSZH EGLL 50.2000 8.1000 alt 6500 up 1 track 90.0 vs 1800 hdg 90.000 bank false");
    EXPECT_NEAR(swr.recordTime, asked, 0.01);
    EXPECT_NEAR(a.groundSpeed, legKt, legKt * 0.01);
    EXPECT_TRUE(a.airspeed > 0.0 && a.airspeed < a.groundSpeed);

    // pushed back: moving west, nose east, on the ground at the park airport
    const FeedSample& dlh = records.at(0x3c4b21).sample;
    EXPECT_EQ(fmt::format("alt {} up {} track {:.1f} hdg {:.3f} moving {}", dlh.altitude, dlh.airborne, dlh.track,
                          dlh.trueHeading.value_or(-1.0) / g_deg2rad, dlh.groundSpeed > 0.5),
              "alt 0 up 0 track 270.0 hdg 90.000 moving true");

    // later: the first flight banks on its last leg (0 to 10 degrees, half way; north: a true heading of 0 reads
    // as 360), the second stands still, then is gone; at 350 s only the third flight
    const auto lt_later = [&](double seconds) {
        advance(seconds);
        std::string out;
        for (const auto& [hex, r] : lf_parse(traffic(guid, g_wideBox)["data"], lf_frankfurtContext()))
            out += fmt::format("{} {:.6f} {:.6f} track {:.1f} bank {:.6f}; ", r.callsign, r.sample.lat, r.sample.lon,
                               std::fmod(r.sample.track, 360.0), r.sample.bank.value_or(0.0) / g_deg2rad);
        return out;
    };
    EXPECT_EQ(lt_later(100.0), "SWR123 50.250000 8.200000 track 0.0 bank -5.000000; ");
    EXPECT_EQ(lt_later(200.0), "RYR1 50.100000 8.400000 track 90.0 bank 0.000000; ");
}

TEST_F(FeedServerTest, TheScenarioStartsAtTheFirstLogin)
{
    advance(50.0); // the program's start-up
    const std::string guid = login();
    const auto lt_lon = [&] {
        return lf_parse(traffic(guid, g_wideBox)["data"], lf_frankfurtContext()).at(0x4b1805).sample.lon;
    };
    advance(25.0);
    EXPECT_NEAR(lt_lon(), 8.05, 1e-6); // a quarter along the first leg, not 75 s into it
    advance(25.0);
    login(); // a later login (a restarted run) goes on where the scenario is
    EXPECT_NEAR(lt_lon(), 8.10, 1e-6);
}

TEST_F(FeedServerTest, OnlyFlightsInsideTheBoxAreAnsweredAndTheTimeOffsetAsksForAnEarlierTime)
{
    const std::string guid = login();
    advance(50.0);
    const auto lt_hexes = [&](const char* box) {
        std::string hexes;
        const auto answer = traffic(guid, box);
        for (const auto& [hex, line] : answer["data"].items())
            hexes += hex + " ";
        return hexes;
    };
    EXPECT_EQ(lt_hexes("top=50.10&bottom=50.00&left=8.50&right=8.60"), "3c4b21 "); // around the airport only
    // the first flight sits on the box's northern edge at 50.20
    EXPECT_EQ(lt_hexes("top=50.20&bottom=50.19&left=8.00&right=8.20"), "4b1805 ");
    EXPECT_EQ(lt_hexes("top=50.19&bottom=50.10&left=8.00&right=8.20"), "");
    EXPECT_EQ(lt_hexes("top=-10.00&bottom=-11.00&left=8.00&right=9.00"), "");
    // a box that is no box is a parameter fault
    EXPECT_EQ(traffic(guid, "top=50.00&bottom=51.00&left=8.00&right=9.00")["status"], 400);
    EXPECT_EQ(traffic(guid, "top=51.00&bottom=50.00&left=8.00")["status"], 400);

    advance(60.0); // a minute back is 50 s into the scenario
    const auto now = lf_parse(traffic(guid, g_wideBox)["data"], lf_frankfurtContext()).at(0x4b1805);
    const auto earlier = lf_parse(traffic(guid, g_wideBox, 1)["data"], lf_frankfurtContext()).at(0x4b1805);
    EXPECT_NEAR(earlier.sample.lon, 8.10, 1e-6);
    EXPECT_NEAR(now.recordTime - earlier.recordTime, 60.0, 0.01);
    EXPECT_EQ(traffic(guid, g_wideBox, 40321)["status"], 400);
}

TEST_F(FeedServerTest, TheProgramsFirstRequestGetsFiveSnapshots)
{
    AuthRefusal refusal;
    ASSERT_TRUE(authenticate(refusal, g_testKey));
    std::int32_t status = 0;
    RtTrafficClient& client = gf_trafficClient();
    client.guid.set(g_sessionGuid.get());
    client.updateQueryBox(LatLon{50.1, 8.3}, 40.0);
    gf_setReaderRefPos(LatLon{50.1, 8.3});
    g_rangeNm = 40.0;
    g_qnh = 1023;
    gf_parkAirport.install([] { return lf_frankfurtContext().parkAirport; });
    std::vector<std::pair<std::uint32_t, std::vector<FeedRecord>>> batches;
    gf_queueFeedBatch.install([&](std::vector<FeedRecord>& batch, std::uint32_t delay, std::int32_t) {
        batches.emplace_back(delay, batch);
    });

    advance(60.0);
    const double asked = epochNow();
    const double scenarioTime = scenarioSeconds(); // the login has waited its interval too
    ASSERT_TRUE(client.buffer(status));
    EXPECT_EQ(client.rrl, 2500);
    ASSERT_EQ(batches.size(), 5u);
    for (std::size_t i = 0; i < batches.size(); ++i) {
        const auto& [delay, records] = batches[i];
        EXPECT_EQ(delay, 6 * i);
        ASSERT_EQ(records.size(), 2u) << "snapshot " << i;
        const int back = 24 - 6 * static_cast<int>(i); // buffer_4 first, 24 s before the time asked
        for (const FeedRecord& r : records) {
            EXPECT_NEAR(r.recordTime, asked - back, 0.01);
            if (r.hexId == 0x4b1805) {
                EXPECT_NEAR(r.sample.lon, 8.00 + 0.002 * (scenarioTime - back), 1e-6);
            }
        }
    }
}

TEST_F(FeedServerTest, ParkedRecordsComeOutOfTheProgramsParser)
{
    gf_resetDbase();
    g_dbase.aircraftTypes = {"A320", "B738", "B748"};
    g_dbase.largeTypes = {"A320", "B738"};
    gf_sizeClassEnabledHook.install([](SizeClass) { return true; });
    const std::string guid = login();
    advance(30.0);
    const double asked = epochNow();
    // the box the program asks for: 3 nm around the park airport
    const auto answer = post("/v4/traffic", fmt::format("GUID={}&top=50.08&bottom=49.98&left=8.49&right=8.65"
                                                        "&querytype=parkedtraffic&toffset=0",
                                                        guid));
    ASSERT_EQ(answer["status"], 200);
    ASSERT_EQ(answer["data"].size(), 1u) << "only the aircraft inside the box";
    std::vector<ParkedTrafficRecord> records;
    for (const auto& [key, line] : answer["data"].items())
        processParkedTrafficLine(key, line, ParkedLineContext{}, records);
    ASSERT_EQ(records.size(), 1u);
    const ParkedTrafficRecord& r = records.front();
    EXPECT_EQ(fmt::format("{:x} {} {} {} {} {} {}", r.hexId, r.stand, r.type, r.registration, r.callsign, r.lat, r.lon),
              "3c6444 V12 A320 D-AIPX DLH4AB 50.0481 8.5702");
    EXPECT_EQ(r.slot, static_cast<std::uint32_t>(gf_halfHourSlot(static_cast<std::int64_t>(asked) - 1800)));
    gf_resetDbase();
}

TEST_F(FeedServerTest, WeatherAndNearestMetarForTheProgramsWeatherClient)
{
    AuthRefusal refusal;
    ASSERT_TRUE(authenticate(refusal, g_testKey));
    std::int32_t status = 0;
    gf_userSnapshot.install([] { return UserPosition{48.5, 11.5, 1200.0}; });
    RtWeatherClient& weather = gf_weatherClient();
    ASSERT_TRUE(weather.nearestmetar(status));
    EXPECT_EQ(weather.metarStation, "EDDM");

    const auto lt_ask = [this](const char* query) {
        return post("/v4/weather", fmt::format("GUID={}&toffset=0&lat=48.5&lon=11.5&{}", g_sessionGuid.get(), query));
    };
    const auto answer = lt_ask("querytype=locwx&alt=1200&airports=EDDM");
    ASSERT_EQ(answer["status"], 200);
    EXPECT_EQ(answer["wrrl"], 3000);
    EXPECT_EQ(extractQNH(answer["data"]), 1009);
    // the station asked for wins over the nearest one
    EXPECT_EQ(extractQNH(lt_ask("querytype=locwx&alt=0&airports=EDDF")["data"]), 1023);
    EXPECT_EQ(lt_ask("querytype=metar")["status"], 400);
}
