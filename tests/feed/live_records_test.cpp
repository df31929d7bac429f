// The record parser: each drop rule, the QNH correction and ground rules, the defaults and
// the blocked callsign, on aircraft arrays as the service sends them.
#include "feed_fixture.h"

#include "feed/live_records.h"
#include "foundation/status_line.h"

#include <cmath>
#include <gtest/gtest.h>

using testsupport::goodLine;
using testsupport::Line;

namespace {

class LiveRecords : public ::testing::Test {
protected:
    LiveRecords()
    {
        g_readerBatch.clear();
        gf_resetFeedHooks();
        gf_clearFeedIndex();
        g_announceBlock = true;
        context.refPos = LatLon{50.0, 8.0};
        context.rangeNm = 20.0;
    }
    ~LiveRecords() override
    {
        g_readerBatch.clear();
        gf_resetFeedHooks();
    }

    // the record kept from one array, or nullopt when it was dropped
    std::optional<FeedRecord> parse(const nlohmann::json& line)
    {
        g_readerBatch.clear();
        processLine(line, context);
        if (g_readerBatch.empty())
            return std::nullopt;
        EXPECT_EQ(g_readerBatch.size(), 1u);
        return g_readerBatch.back();
    }

    void setPark(double lat, double lon, std::optional<double> elevation)
    {
        context.parkAirport = ParkAirportRef{"EDDF", LatLon{lat, lon}, elevation};
    }

    testsupport::LoggedFolder folder;
    LineContext context;
};

} // namespace

TEST_F(LiveRecords, ACompleteArrayKeepsEveryValue)
{
    const auto r = parse(goodLine());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->hexId, 0x4b1805u);
    EXPECT_EQ(r->type, "A320");
    EXPECT_EQ(r->registration, "D-AIZZ");
    EXPECT_EQ(r->callsign, "DLH123");
    EXPECT_EQ(r->origin, "EDDF");
    EXPECT_EQ(r->destination, "LEPA");
    EXPECT_TRUE(r->airline.empty());
    EXPECT_DOUBLE_EQ(r->recordTime, 1767225590.5);
    EXPECT_DOUBLE_EQ(r->sample.lat, 50.05);
    EXPECT_DOUBLE_EQ(r->sample.altitude, 5000.0);
    EXPECT_EQ(r->sample.airborne, 1);
    EXPECT_DOUBLE_EQ(r->sample.track, 90.0);
    EXPECT_DOUBLE_EQ(r->sample.verticalRate, -640.0);
    EXPECT_NEAR(*r->sample.trueHeading, 91.0 * g_deg2rad, 1e-12);
    EXPECT_EQ(r->sample.trueHeadingValid, 1);
    EXPECT_DOUBLE_EQ(r->sample.airspeed, 220.0); // default for 5000 ft
    EXPECT_FALSE(r->sample.bank);
    EXPECT_EQ(r->sample.samePosition, 0);
}

TEST_F(LiveRecords, HexIdsAreLeadingHexDigitsAbove10000)
{
    EXPECT_EQ(gf_parseHexId("a1B2c3"), 0xa1b2c3u);
    EXPECT_EQ(gf_parseHexId("0x1f"), 0u);
    EXPECT_EQ(gf_parseHexId("12zz"), 0x12u);
    EXPECT_EQ(gf_parseHexId(" 12"), 0u);
    EXPECT_EQ(gf_parseHexId("ffffffff"), 0xffffffffu);
    EXPECT_EQ(gf_parseHexId("100000000"), 0u);
    EXPECT_EQ(gf_parseHexId(""), 0u);

    EXPECT_FALSE(parse(goodLine("0x1f")));
    EXPECT_FALSE(parse(goodLine("2710"))); // 10000
    EXPECT_TRUE(parse(goodLine("2711")));  // 10001
    EXPECT_FALSE(parse(goodLine("4b1805").set(0, 4921349)));
}

TEST_F(LiveRecords, RegistrationTypeAndCategoryFilters)
{
    EXPECT_FALSE(parse(goodLine().set(9, "ABCDEFGHIJKLM")));
    EXPECT_EQ(parse(goodLine().set(9, "ABCDEFGHIJKL"))->registration, "ABCDEFGHIJKL");
    EXPECT_EQ(parse(goodLine().set(9, "null"))->registration, "");

    EXPECT_FALSE(parse(goodLine().set(8, "ZZZZ").set(28, "")));
    EXPECT_FALSE(parse(goodLine().set(8, "0")));
    EXPECT_FALSE(parse(goodLine().set(8, nullptr)));
    EXPECT_TRUE(parse(goodLine().set(8, "GLID").set(28, "null")));
    EXPECT_TRUE(parse(goodLine().set(8, "GLID").set(28, "")));
    EXPECT_FALSE(parse(goodLine().set(8, "GLID").set(28, "A1")));
    EXPECT_FALSE(parse(goodLine().set(8, "A3201").set(28, "A3")));
    EXPECT_TRUE(parse(goodLine().set(8, "A3201").set(28, nullptr)));
    for (const char* category : {"B1", "B2", "B4", "C1", "C2"})
        EXPECT_FALSE(parse(goodLine().set(28, category))) << category;
    EXPECT_TRUE(parse(goodLine().set(28, "B3")));
}

TEST_F(LiveRecords, PositionAndDistanceFilters)
{
    context.refPos = LatLon{0.0, 0.0};
    EXPECT_FALSE(parse(goodLine().set(1, 0.00005).set(2, -0.00009)));
    EXPECT_TRUE(parse(goodLine().set(1, 0.00005).set(2, 0.0002)));
    EXPECT_FALSE(parse(goodLine().set(1, 90.5)));
    EXPECT_FALSE(parse(goodLine().set(2, "8.0"))); // a text reads as 0.0

    context.refPos = LatLon{50.0, 8.0};
    context.rangeNm = 10.0;
    // a record at the box edge: 9.9 nm north is kept, 10.1 nm is not
    EXPECT_TRUE(parse(goodLine().set(1, 50.0 + 9.9 / 60.0).set(2, 8.0)));
    EXPECT_FALSE(parse(goodLine().set(1, 50.0 + 10.1 / 60.0).set(2, 8.0)));
}

TEST_F(LiveRecords, TrueHeadingOnlyFromAdsbIcao)
{
    EXPECT_DOUBLE_EQ(*parse(goodLine().set(25, nullptr))->sample.trueHeading, g_twoPi);
    EXPECT_DOUBLE_EQ(*parse(goodLine().set(25, 360))->sample.trueHeading, g_twoPi);
    EXPECT_FALSE(parse(goodLine().set(25, 360.5)));
    const auto negative = parse(goodLine().set(25, -5));
    EXPECT_FALSE(negative->sample.trueHeading);
    EXPECT_EQ(negative->sample.trueHeadingValid, 0);
    EXPECT_FALSE(parse(goodLine().set(17, "mlat").set(25, 90))->sample.trueHeading);

    EXPECT_DOUBLE_EQ(parse(goodLine().set(3, 0).set(25, 90))->sample.track, 90.0);
    EXPECT_DOUBLE_EQ(parse(goodLine().set(3, 0).set(17, "mlat"))->sample.track, 0.0);
}

TEST_F(LiveRecords, QnhCorrectionAndGroundRules)
{
    context.qnh = 1023;
    EXPECT_DOUBLE_EQ(parse(goodLine().set(4, 3000))->sample.altitude, 3300.0);
    context.qnh = 990;
    setPark(50.0, 8.0, std::nullopt);
    const auto clamped = parse(goodLine().set(4, 500).set(1, 50.01).set(2, 8.01));
    EXPECT_DOUBLE_EQ(clamped->sample.altitude, 0.0);
    EXPECT_EQ(clamped->sample.airborne, 0);

    // index 18 when index 4 is no number
    context.qnh = 1013;
    EXPECT_DOUBLE_EQ(parse(goodLine().set(4, nullptr).set(18, 7000))->sample.altitude, 7000.0);
    EXPECT_DOUBLE_EQ(parse(goodLine().set(4, 0).set(18, 7000).set(1, 50.01).set(2, 8.01))->sample.altitude, 0.0);

    // park airport at 500 ft
    setPark(50.0, 8.0, 500.0);
    auto ground = [&](double altitude, double speed) {
        const auto r = parse(goodLine().set(4, altitude).set(5, speed).set(1, 50.01).set(2, 8.01));
        return r && r->sample.altitude == 0.0;
    };
    EXPECT_TRUE(ground(540, 110));
    EXPECT_TRUE(ground(580, 75));
    EXPECT_TRUE(ground(600, 40));
    EXPECT_FALSE(ground(600, 50));
    EXPECT_TRUE(ground(450, 200));   // below the airport
    EXPECT_TRUE(ground(9000, 30));   // the 35 kt rule
    EXPECT_FALSE(ground(14500, 150)); // above 14000 ft no height rules
    EXPECT_TRUE(ground(14500, 30));

    // without a park airport the reference is -1000 ft: only the 35 kt rule
    setPark(50.0, 8.0, std::nullopt);
    EXPECT_FALSE(ground(540, 110));
    EXPECT_TRUE(ground(540, 35));
}

TEST_F(LiveRecords, GroundTrafficOnlyNearTheParkAirport)
{
    const Line onGround = goodLine().set(4, 0).set(5, 10).set(1, 50.0 + 4.9 / 60.0).set(2, 8.0);
    EXPECT_FALSE(parse(onGround)); // no park airport
    setPark(50.0, 8.0, 300.0);
    const auto kept = parse(onGround);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->sample.airborne, 0);
    EXPECT_FALSE(parse(goodLine().set(4, 0).set(5, 10).set(1, 50.0 + 5.1 / 60.0).set(2, 8.0)));
}

TEST_F(LiveRecords, BankAirspeedOriginAndCallsignRules)
{
    EXPECT_NEAR(*parse(goodLine().set(23, 15))->sample.bank, -0.2618, 1e-4);
    EXPECT_FALSE(parse(goodLine().set(23, -1))->sample.bank);
    EXPECT_FALSE(parse(goodLine().set(23, 0))->sample.bank);
    setPark(50.0, 8.0, 0.0);
    EXPECT_FALSE(parse(goodLine().set(23, 15).set(4, 0).set(1, 50.01))->sample.bank);

    EXPECT_DOUBLE_EQ(parse(goodLine().set(20, -1).set(4, 12000))->sample.airspeed, 350.0);
    EXPECT_DOUBLE_EQ(parse(goodLine().set(20, 0))->sample.airspeed, 0.0);
    EXPECT_DOUBLE_EQ(parse(goodLine().set(20, 301.5))->sample.airspeed, 301.5);
    EXPECT_DOUBLE_EQ(parse(goodLine().set(4, 1500))->sample.airspeed, 180.0);
    EXPECT_DOUBLE_EQ(parse(goodLine().set(4, 25000))->sample.airspeed, 430.0);

    EXPECT_EQ(parse(goodLine().set(11, "null").set(12, "null"))->origin, "");
    EXPECT_EQ(parse(goodLine().set(13, "null"))->callsign, "");
    EXPECT_EQ(parse(goodLine().set(13, "x@y"))->callsign, "");
    EXPECT_FALSE(parse(goodLine().set(13, "x@y").set(9, "")));
    EXPECT_FALSE(parse(goodLine().set(13, nullptr).set(9, "null")));
    EXPECT_FALSE(parse(goodLine().set(13, "ERARMTR0")));
    EXPECT_FALSE(parse(goodLine().set(13, "AIRPORT1")));
}

TEST_F(LiveRecords, BlockedCallsignIsAnnouncedOnceAndReleasedOnChange)
{
    std::vector<std::uint32_t> pushed;
    gf_feedObjectListHook.install([&](std::uint32_t objectId, std::uint32_t hexId, std::uint32_t kind) {
        EXPECT_EQ(objectId, 0u);
        EXPECT_EQ(kind, 5u);
        pushed.push_back(hexId);
    });
    context.blockCallsign = "DLH123";
    EXPECT_FALSE(parse(goodLine("4b1805", "DLH123")));
    EXPECT_FALSE(parse(goodLine("4b1805", "DLH123")));
    EXPECT_TRUE(parse(goodLine("4b1806", "DLH124")));
    EXPECT_EQ(pushed, std::vector<std::uint32_t>{0x4b1805});

    context.blockCallsign = "BAW9";
    EXPECT_FALSE(parse(goodLine("4b1807", "BAW9")));
    EXPECT_FALSE(parse(goodLine("4b1807", "BAW9")));
    EXPECT_FALSE(parse(goodLine("4b1807", "BAW9")));
    EXPECT_EQ(pushed, (std::vector<std::uint32_t>{0x4b1805, 0x4b1807}));
    EXPECT_EQ(gf_statusLine().text, "Reader: Live aircraft BAW9 blocked");

    const auto lines = folder.logLines();
    const std::vector<std::string> expected{"Reader: Live aircraft DLH123 blocked",
                                            "Reader: Live aircraft DLH123 no longer blocked",
                                            "Reader: Live aircraft BAW9 blocked"};
    EXPECT_EQ(lines, expected);
}

TEST_F(LiveRecords, FeedIndexIsFilledOnlyWhileAskedFor)
{
    setPark(10.0, 10.0, 0.0);
    parse(goodLine("4b1801", "AAA1"));
    g_collectFeedIndex = true;
    parse(goodLine("4b1802", "AAA2"));
    // on the ground far from the park airport: dropped, but indexed
    EXPECT_FALSE(parse(goodLine("4b1803", "AAA3").set(4, 0)));
    parse(goodLine("4b1804", "").set(13, nullptr));
    const FeedIndex index = gf_takeFeedIndex();
    EXPECT_FALSE(g_collectFeedIndex);
    EXPECT_EQ(index.callsigns, (std::unordered_set<std::string>{"AAA2", "AAA3"}));
    EXPECT_EQ(index.hexIds, (std::unordered_set<std::uint32_t>{0x4b1802, 0x4b1803, 0x4b1804}));
    parse(goodLine("4b1805", "AAA5"));
    EXPECT_TRUE(gf_takeFeedIndex().hexIds.empty());
}

TEST_F(LiveRecords, ShapeErrorsDropTheRecordWithOneLogLine)
{
    EXPECT_FALSE(parse(nlohmann::json::array({"4b1805", 50.0})));
    EXPECT_FALSE(parse(nlohmann::json::object({{"0", "4b1805"}})));
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("processLine: ", 0), 0u);
}

TEST_F(LiveRecords, AnswerPartsTakeOnlyArraysOfExactly48)
{
    nlohmann::json part = nlohmann::json::object();
    part["a"] = goodLine("4b1801").json();
    nlohmann::json short47 = goodLine("4b1802").json();
    short47.erase(47);
    part["b"] = short47;
    nlohmann::json long49 = goodLine("4b1803").json();
    long49.push_back(nullptr);
    part["c"] = long49;
    nlohmann::json object48 = nlohmann::json::object();
    for (int i = 0; i < 48; ++i)
        object48[std::to_string(i)] = goodLine("4b1804").json()[static_cast<std::size_t>(i)];
    part["d"] = object48;
    part["e"] = goodLine("4b1805").json();
    g_readerBatch.clear();
    gf_setReaderRefPos(LatLon{50.0, 8.0});
    g_rangeNm = 20.0;
    gf_processAnswerPart(part);
    ASSERT_EQ(g_readerBatch.size(), 2u);
    EXPECT_EQ(g_readerBatch[0].hexId, 0x4b1801u);
    EXPECT_EQ(g_readerBatch[1].hexId, 0x4b1805u);
    EXPECT_TRUE(folder.logLines().empty());
}
