// The record parser: each drop rule, the QNH correction and ground rules, the defaults and
// the blocked callsign, on aircraft arrays as the service sends them.
#include "feed_fixture.h"

#include <tuple>

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
    std::optional<FeedRecord> parse(const json& line)
    {
        g_readerBatch.clear();
        processLine(line, context);
        if (g_readerBatch.empty())
            return std::nullopt;
        EXPECT_EQ(g_readerBatch.size(), 1u);
        return g_readerBatch.back();
    }
    // the altitude kept near the park airport at 50 N, 8 E, -1 when dropped
    double altitudeNearPark(json altitude, double speed = 250.0)
    {
        const auto r = parse(goodLine().set(4, std::move(altitude)).set(5, speed).set(1, 50.01).set(2, 8.01));
        return r ? r->sample.altitude : -1.0;
    }
    void setPark(std::optional<double> elevation)
    {
        context.parkAirport = ParkAirportRef{"EDDF", LatLon{50.0, 8.0}, elevation};
    }

    LoggedFolder folder;
    LineContext context;
};

} // namespace

TEST_F(LiveRecords, ACompleteArrayKeepsEveryValue)
{
    const auto r = parse(goodLine());
    ASSERT_TRUE(r);
    EXPECT_EQ(std::tie(r->hexId, r->recordTime), std::make_tuple(0x4b1805u, 1767225590.5));
    EXPECT_EQ(std::tie(r->type, r->registration, r->callsign, r->origin, r->destination, r->airline),
              std::make_tuple("A320", "D-AIZZ", "DLH123", "EDDF", "LEPA", ""));
    const FeedSample& s = r->sample;
    EXPECT_EQ(std::tie(s.lat, s.altitude, s.track, s.verticalRate), std::make_tuple(50.05, 5000.0, 90.0, -640.0));
    EXPECT_NEAR(*s.trueHeading, 91.0 * g_deg2rad, 1e-12);
    EXPECT_EQ(std::tie(s.airborne, s.trueHeadingValid, s.samePosition), std::make_tuple(1, 1, 0));
    EXPECT_DOUBLE_EQ(s.airspeed, 220.0); // default for 5000 ft
    EXPECT_FALSE(s.bank);
}

TEST_F(LiveRecords, EachDropRuleAtItsLimit)
{
    struct Case {
        std::vector<std::pair<std::size_t, json>> changes;
        bool kept;
    };
    const Case cases[] = {
        {{{0, "2710"}}, false}, {{{0, "2711"}}, true}, {{{0, 4921349}}, false}, // 10000
        {{{9, "ABCDEFGHIJKLM"}}, false}, {{{9, "ABCDEFGHIJKL"}}, true},
        {{{8, "ZZZZ"}, {28, ""}}, false}, {{{8, "0"}}, false}, {{{8, nullptr}}, false},
        {{{8, "GLID"}, {28, "null"}}, true}, {{{8, "GLID"}, {28, ""}}, true}, {{{8, "GLID"}, {28, "A1"}}, false},
        {{{8, "A3201"}, {28, "A3"}}, false}, {{{8, "A3201"}, {28, nullptr}}, true},
        {{{28, "B1"}}, false}, {{{28, "B2"}}, false}, {{{28, "B4"}}, false}, {{{28, "C1"}}, false},
        {{{28, "C2"}}, false}, {{{28, "B3"}}, true},
        {{{1, 90.5}}, false}, {{{2, "8.0"}}, false}, // a text reads as 0.0
        {{{1, 50.0 + 19.9 / 60.0}, {2, 8.0}}, true}, {{{1, 50.0 + 20.1 / 60.0}, {2, 8.0}}, false}, // 20 nm
        {{{25, 360}}, true}, {{{25, 360.5}}, false},
        {{{13, "x@y"}, {9, ""}}, false}, {{{13, nullptr}, {9, "null"}}, false},
        {{{13, "ERARMTR0"}}, false}, {{{13, "AIRPORT1"}}, false},
    };
    for (const Case& c : cases) {
        Line line = goodLine();
        for (const auto& [i, value] : c.changes)
            line.set(i, value);
        EXPECT_EQ(parse(line).has_value(), c.kept) << line.json().dump();
    }
    EXPECT_EQ(parse(goodLine().set(9, "null"))->registration, "");
    for (const auto& [text, id] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"a1B2c3", 0xa1b2c3}, {"0x1f", 0}, {"12zz", 0x12}, {" 12", 0}, {"ffffffff", 0xffffffff},
             {"100000000", 0}, {"", 0}})
        EXPECT_EQ(gf_parseHexId(text), id) << text;
    // a position at the null island
    context.refPos = LatLon{0.0, 0.0};
    EXPECT_FALSE(parse(goodLine().set(1, 0.00005).set(2, -0.00009)));
    EXPECT_TRUE(parse(goodLine().set(1, 0.00005).set(2, 0.0002)));
}

TEST_F(LiveRecords, HeadingTrackBankAirspeedAndNames)
{
    // the true heading only from adsb_icao, its 0 as 360 degrees, none below 0
    const auto lt_heading = [&](const Line& line) { return parse(line)->sample.trueHeading.value_or(-1.0); };
    EXPECT_DOUBLE_EQ(lt_heading(goodLine().set(25, nullptr)), g_twoPi);
    EXPECT_DOUBLE_EQ(lt_heading(goodLine().set(25, 360)), g_twoPi);
    EXPECT_EQ(lt_heading(goodLine().set(25, -5)), -1.0);
    EXPECT_EQ(parse(goodLine().set(25, -5))->sample.trueHeadingValid, 0);
    EXPECT_EQ(lt_heading(goodLine().set(17, "mlat").set(25, 90)), -1.0);
    // a track of 0 from the true heading
    EXPECT_DOUBLE_EQ(parse(goodLine().set(3, 0).set(25, 90))->sample.track, 90.0);
    EXPECT_DOUBLE_EQ(parse(goodLine().set(3, 0).set(17, "mlat"))->sample.track, 0.0);

    EXPECT_NEAR(*parse(goodLine().set(23, 15))->sample.bank, -0.2618, 1e-4);
    EXPECT_FALSE(parse(goodLine().set(23, -1))->sample.bank || parse(goodLine().set(23, 0))->sample.bank);
    // {index 20, altitude, airspeed}
    for (const auto& [given, altitude, airspeed] : std::vector<std::tuple<json, int, double>>{
             {-1, 12000, 350.0}, {0, 5000, 0.0}, {301.5, 5000, 301.5}, {nullptr, 1500, 180.0}, {nullptr, 25000, 430.0}})
        EXPECT_DOUBLE_EQ(parse(goodLine().set(20, given).set(4, altitude))->sample.airspeed, airspeed) << altitude;
    EXPECT_EQ(parse(goodLine().set(11, "null").set(12, "null"))->origin, "");
    EXPECT_EQ(parse(goodLine().set(13, "null"))->callsign, "");
    EXPECT_EQ(parse(goodLine().set(13, "x@y"))->callsign, "");
    setPark(0.0); // no bank on the ground
    EXPECT_FALSE(parse(goodLine().set(23, 15).set(4, 0).set(1, 50.01))->sample.bank);
}

TEST_F(LiveRecords, QnhCorrectionAndGroundRules)
{
    context.qnh = 1023;
    EXPECT_DOUBLE_EQ(parse(goodLine().set(4, 3000))->sample.altitude, 3300.0);
    // ground traffic only near the park airport
    const Line onGround = goodLine().set(4, 0).set(5, 10).set(1, 50.0 + 4.9 / 60.0).set(2, 8.0);
    EXPECT_FALSE(parse(onGround));
    context.qnh = 990;
    setPark(std::nullopt);
    EXPECT_EQ(parse(onGround)->sample.airborne, 0);
    EXPECT_FALSE(parse(goodLine().set(4, 0).set(5, 10).set(1, 50.0 + 5.1 / 60.0).set(2, 8.0)));
    EXPECT_DOUBLE_EQ(altitudeNearPark(500), 0.0); // clamped: on the ground

    // index 18 when index 4 is no number
    context.qnh = 1013;
    EXPECT_DOUBLE_EQ(parse(goodLine().set(4, nullptr).set(18, 7000))->sample.altitude, 7000.0);
    EXPECT_DOUBLE_EQ(parse(goodLine().set(4, 0).set(18, 7000).set(1, 50.01).set(2, 8.01))->sample.altitude, 0.0);

    // park airport at 500 ft: {altitude, ground speed, on the ground}
    setPark(500.0);
    const std::tuple<double, double, bool> cases[] = {
        {540, 110, true},  {580, 75, true},   {600, 40, true},   {600, 50, false},
        {450, 200, true},  {9000, 30, true}, // below the airport; the 35 kt rule
        {14500, 150, false}, {14500, 30, true}, // above 14000 ft no height rules
    };
    for (const auto& [altitude, speed, ground] : cases)
        EXPECT_EQ(altitudeNearPark(altitude, speed) == 0.0, ground) << altitude << " ft " << speed << " kt";
    // without a park airport the reference is -1000 ft: only the 35 kt rule
    setPark(std::nullopt);
    EXPECT_GT(altitudeNearPark(540, 110), 0.0);
    EXPECT_EQ(altitudeNearPark(540, 35), 0.0);
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
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(parse(goodLine("4b1807", "BAW9")));
    EXPECT_EQ(pushed, (std::vector<std::uint32_t>{0x4b1805, 0x4b1807}));
    EXPECT_EQ(gf_statusLine().text, "Reader: Live aircraft BAW9 blocked");
    EXPECT_EQ(folder.logLines(), (std::vector<std::string>{"Reader: Live aircraft DLH123 blocked",
                                                           "Reader: Live aircraft DLH123 no longer blocked",
                                                           "Reader: Live aircraft BAW9 blocked"}));
}

TEST_F(LiveRecords, FeedIndexIsFilledOnlyWhileAskedFor)
{
    context.parkAirport = ParkAirportRef{"EDDF", LatLon{10.0, 10.0}, 0.0};
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

TEST_F(LiveRecords, AnswerPartsTakeOnlyArraysOfExactly48AndShapeErrorsLogOneLine)
{
    // 47 and 49 elements, and 48 as an object
    json part{{"a", goodLine("4b1801")}, {"b", goodLine("4b1802")}, {"c", goodLine("4b1803")},
              {"e", goodLine("4b1805")}};
    part["b"].erase(47);
    part["c"].push_back(nullptr);
    for (int i = 0; i < 48; ++i)
        part["d"][std::to_string(i)] = goodLine("4b1804").json()[static_cast<std::size_t>(i)];
    gf_setReaderRefPos(LatLon{50.0, 8.0});
    g_rangeNm = 20.0;
    gf_processAnswerPart(part);
    ASSERT_EQ(g_readerBatch.size(), 2u);
    EXPECT_EQ(g_readerBatch[0].hexId, 0x4b1801u);
    EXPECT_EQ(g_readerBatch[1].hexId, 0x4b1805u);
    EXPECT_TRUE(folder.logLines().empty());

    // given to the parser itself, a short array or an object is dropped with one log line each
    EXPECT_FALSE(parse(json::array({"4b1805", 50.0})));
    EXPECT_FALSE(parse(json::object({{"0", "4b1805"}})));
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("processLine: ", 0), 0u);
}
