// The Weather Reader against the local service, and the QNH read out of weather answers.
#include "feed_fixture.h"

#include <limits>

namespace {

const std::string lf_station = R"({"status":200,"data":[{"ICAO":"EDDF","dist":3.2}]})";

std::string lf_weather(const json& qnh, int wrrl = 2000)
{
    return json{{"status", 200}, {"wrrl", wrrl}, {"data", {{"QNH", qnh}, {"ICAO", "EDDF"}}}}.dump();
}

class WeatherReader : public FeedTest {
protected:
    WeatherReader()
    {
        setUser(50.12346, 8.0, 1234.9);
        login();
        server.setDefault("/v4/nearestmetar", {200, lf_station});
    }
};

} // namespace

TEST(Qnh, ExtractedFromWeatherData)
{
    LoggedFolder folder;
    const std::pair<json, std::int32_t> values[] = {
        {1013, 1013}, {2992, 1013}, {1080, 1080}, {1081, 366}, {1012.5, 1013}, {-1012.5, -1013}, {"1009.8", 1009},
        {"-20x", -20}, {1e300, 338653070},
        {std::numeric_limits<std::uint64_t>::max(), std::numeric_limits<std::int32_t>::max()},
    };
    for (const auto& [qnh, hPa] : values)
        EXPECT_EQ(extractQNH(json{{"QNH", qnh}}), hPa) << qnh;
    EXPECT_TRUE(folder.logLines().empty());

    for (const json& data : {json{{"QNH", "abc"}}, json{{"QNH", "99999999999"}}, json{{"QNH", nullptr}},
                             json{{"qnh", 1000}}, json::array({1000}), json()})
        EXPECT_EQ(extractQNH(data), 1013) << data;
    const std::vector<std::string> expected{"===> extractQNH: abc", "===> extractQNH: 99999999999",
                                            "===> No QNH found in data", "===> No QNH found in data",
                                            "===> No QNH found in data", "===> No QNH found in data"};
    EXPECT_EQ(folder.logLines(), expected);
}

TEST(AnswerNumbers, TypeAndRangeComeFirst)
{
    struct Case {
        const char* answer;
        std::int32_t status, interval; // the interval after one of 1500
    };
    const Case cases[] = {
        {R"({"status":200,"wrrl":3000})", 200, 3000},
        {R"({})", 100, 2000},
        {R"({"status":200.9,"wrrl":2500.5})", 200, 2500},
        {R"({"status":1e300,"wrrl":-1e300})", 100, 2000},     // no number a 32-bit field can hold
        {R"({"status":4294967496,"wrrl":4294969296})", 100, 2000}, // 2^32 + 200, 2^32 + 2000
        {R"({"status":-2147483648,"wrrl":0})", -2147483648, 1500}, // none of 0 or less
        {R"({"wrrl":-50})", 100, 1500},
    };
    for (const Case& c : cases) {
        const json answer = json::parse(c.answer);
        EXPECT_EQ(gf_answerStatus(answer), c.status) << c.answer;
        EXPECT_EQ(gf_answerInterval(answer, "wrrl", 1500), c.interval) << c.answer;
    }
    EXPECT_THROW(gf_answerStatus(json::parse(R"({"status":"200"})")), json::type_error);
}

TEST_F(WeatherReader, StationThenQnhAtTheServiceIntervalAndOnlyAPlausibleOne)
{
    server.queue("/v4/weather", {200, lf_weather(1023, 3000)});
    server.queue("/v4/weather", {200, lf_weather(1080, 3000)}); // the highest plausible, twice
    server.queue("/v4/weather", {200, lf_weather(1080, 3000)});
    server.queue("/v4/weather", {200, lf_weather(3192, 3000)}); // 31.92 inHg, 1081 hPa
    server.queue("/v4/weather", {200, R"({"status":500,"message":"db"})"});
    server.setDefault("/v4/weather", {200, R"({"status":406,"message":"slow down"})"});
    g_weatherLamp = g_lampNoData;
    gf_startWeatherReader();
    ASSERT_TRUE(requestsReach("/v4/weather", 7));
    ASSERT_TRUE(stopReaders());

    EXPECT_EQ(g_qnh, 1080);
    EXPECT_EQ(g_trafficQnh, 1080);
    EXPECT_EQ(g_windowQnh, 1080);
    EXPECT_EQ(gf_weatherClient().metarStation, "EDDF");
    EXPECT_EQ(g_weatherLamp, g_lampNotRunning);
    EXPECT_EQ(logWith("===> Strange QNH 1081 found in ").size(), 1u);
    // statuses 406 and 500 go on without data
    EXPECT_FALSE(logWith("===> 406 json weather slow down").empty());
    EXPECT_TRUE(folder.logHas("===> 500 json weather db"));
    EXPECT_FALSE(g_stop);

    const auto metar = server.requests("/v4/nearestmetar");
    const auto weather = server.requests("/v4/weather");
    EXPECT_EQ(metar[0].body, "GUID=abc&toffset=0&lat=50.1235&lon=8.0000");
    EXPECT_EQ(weather[0].body, "GUID=abc&querytype=locwx&toffset=0&lat=50.1235&lon=8.0000&alt=1234&airports=EDDF");
    // every request is followed by one interval: 2000 before the first weather answer, then 3000
    EXPECT_EQ(elapsed(metar[0].at, weather[0].at), 2000ms);
    EXPECT_EQ(elapsed(weather[0].at, metar[1].at), 3000ms);
    EXPECT_EQ(elapsed(metar[1].at, weather[1].at), 3000ms);
}

TEST_F(WeatherReader, BrokenAnswersAreLoggedAndTheLoopGoesOn)
{
    setUser(-33.9, 151.2, -12.7);
    for (const ServiceAnswer& answer : {ServiceAnswer{200, R"({"status":200,"data":{"ICAO":"EDDF"}})"},
                                        ServiceAnswer{200, ""}, ServiceAnswer{200, "nope"},
                                        ServiceAnswer{200, R"({"status":200,"data":[]})"},
                                        ServiceAnswer{200, R"({"status":406,"message":"later"})"},
                                        ServiceAnswer{200, "", false, true}})
        server.queue("/v4/nearestmetar", answer);
    // the last nested far too deep for any walk of the document: refused as unreadable
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string padded = json{{"status", 200}, {"pad", std::string(100000, 'p')}, {"data", {{"QNH", 900}}}}.dump();
    for (const std::string& body : {std::string(), std::string("{{"), std::string(R"({"status":200})"),
                                    R"({"status":200,"data":)" + deep + "}", padded})
        server.queue("/v4/weather", {200, body});
    server.setDefault("/v4/weather", {200, lf_weather(1020)});
    gf_startWeatherReader();
    ASSERT_TRUE(waitFor([] { return g_qnh == 1020; }));
    ASSERT_TRUE(stopReaders());
    EXPECT_EQ(logWith("===> nearestmetar: [json.exception.type_error").size(), 1u);
    EXPECT_TRUE(folder.logHas("===> nearest metar: empty content"));
    EXPECT_TRUE(folder.logHas("===> nearest metar: invalid JSON"));
    EXPECT_TRUE(folder.logHas("===> 406 json nearestmetar later"));
    EXPECT_EQ(logWith(" nearestmetar code: ").size(), 1u);
    EXPECT_TRUE(folder.logHas("===> Empty content?, no QNH to be found"));
    EXPECT_TRUE(folder.logHas("===> Invalid JSON: {{"));
    EXPECT_EQ(logWith("===> Invalid JSON: {\"status\":200,\"data\":[[[").size(), 1u);
    EXPECT_TRUE(folder.logHas("===> No QNH found in data"));
    EXPECT_EQ(logWith("===> Strange QNH 900 found in {\"data\":{\"QNH\":900},\"pad\":\"ppp").size(), 1u);
    // the log repeats a long answer only in part, cut short with "..."
    for (const std::string& line : folder.logLines())
        EXPECT_LE(line.size(), 320u) << line.substr(0, 80);
    EXPECT_EQ(logWith("[[[...").size() + logWith("ppp...").size(), 2u);
    EXPECT_EQ(g_qnh, 1020);
    EXPECT_FALSE(g_stop);
    // a negative altitude is sent as 0
    EXPECT_EQ(server.requests("/v4/weather")[0].fields.at("alt"), "0");
    EXPECT_EQ(server.requests("/v4/weather")[0].fields.at("lat"), "-33.9000");
    // a weather request only follows a station found (the stop may fall between the two)
    const auto metar = server.count("/v4/nearestmetar");
    const auto weather = server.count("/v4/weather");
    EXPECT_GE(metar, weather + 6);
    EXPECT_LE(metar, weather + 7);
}

TEST_F(WeatherReader, StatusesThatEndBothReaders)
{
    // a 401 of the station's request restarts the run; other statuses of the weather stop it
    server.queue("/v4/nearestmetar", {200, R"({"status":401})"});
    gf_startWeatherReader();
    ASSERT_TRUE(waitFor([] { return g_weatherReaderDone.load(); }));
    EXPECT_TRUE(folder.logHas("===> re-authentication to RT API is needed, restart TRWK"));
    EXPECT_TRUE(folder.logHas("The Weather Reader has stopped with an error"));
    EXPECT_TRUE(g_readerStop);
    EXPECT_EQ(g_runState, RunState::ReaderError);
    EXPECT_EQ(g_restartDelay, 15);
    EXPECT_EQ(server.count("/v4/weather"), 0u);

    gf_resetShellState();
    g_readerStop = false;
    server.queue("/v4/weather", {200, R"({"status":403})"});
    gf_startWeatherReader();
    ASSERT_TRUE(waitFor([] { return g_weatherReaderDone.load(); }));
    EXPECT_TRUE(folder.logHas("===> Weather RT API: no data is delivered for this account"));
    EXPECT_EQ(g_runState, RunState::SystemError);
    EXPECT_TRUE(g_readerStop);
}

TEST_F(WeatherReader, AStopEndsATransferUnderWay)
{
    server.queue("/v4/weather", {200, lf_weather(1013), true});
    gf_startWeatherReader();
    ASSERT_TRUE(waitFor([&] { return server.hanging() == 1; }));
    g_weatherStop = true;
    EXPECT_TRUE(waitFor([] { return g_weatherReaderDone.load(); }, 10s));
    EXPECT_EQ(server.hanging(), 1u);
    EXPECT_TRUE(logWith("===>").empty());
    server.releaseHanging();
}

TEST_F(WeatherReader, LampsFollowTheDataOnlyWhileTheSessionIsActive)
{
    std::atomic<int> repaints{0};
    gf_repaintHeaderArea.install([&] { ++repaints; });
    const auto lt_lamps = [] {
        gf_updateRtLamps();
        return std::pair(g_weatherLamp.load(), g_trafficLamp.load());
    };
    g_weatherLamp = g_lampNoData;
    g_trafficLamp = g_lampNoData;
    gf_weatherClient().weatherDataShown = false;
    gf_trafficClient().trafficDataShown = false;
    gf_weatherClient().weatherData = true;
    g_liveCount = 3;
    EXPECT_EQ(lt_lamps(), std::pair(g_lampReceiving, g_lampReceiving));
    const int afterFirst = repaints;
    lt_lamps();
    EXPECT_EQ(repaints, afterFirst); // no change, no repaint
    g_liveCount = 0;
    gf_weatherClient().weatherData = false;
    EXPECT_EQ(lt_lamps(), std::pair(g_lampNoData, g_lampNoData));
    g_sessionActive = false;
    g_liveCount = 5;
    EXPECT_EQ(lt_lamps().second, g_lampNoData);
}
