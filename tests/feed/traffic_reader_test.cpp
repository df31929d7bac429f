// The Traffic Reader against the local service: five snapshots, the loop at the service's
// interval, and every misbehaviour of the service ending as it should, never hanging.
#include "feed_fixture.h"

#include "feed/query_box.h"
#include "feed/session.h"
#include "feed/traffic_client.h"
#include "foundation/shell_state.h"
#include "foundation/utc_time.h"
#include "platform/clock.h"

#include <gtest/gtest.h>

using testsupport::FeedTest;
using testsupport::goodLine;
using testsupport::ServiceAnswer;
using namespace std::chrono_literals;
using nlohmann::json;

namespace {

std::string lf_loopAnswer(int rrl, const std::vector<std::string>& hexIds, double recordTime = 1767225590.0)
{
    json data = json::object();
    for (const auto& hex : hexIds)
        data[hex] = goodLine(hex).set(10, recordTime).json();
    return json{{"status", 200}, {"rrl", rrl}, {"data", data}}.dump();
}

class TrafficReader : public FeedTest {
protected:
    TrafficReader()
    {
        setUser(50.0, 8.0);
        g_rangeNm = 20.0;
        gf_updateQueryBox();
        gf_setReaderRefPos(LatLon{50.0, 8.0});
        server.queue("/v4/auth", {200, R"({"status":200,"GUID":"abc","wrrl":2000})"});
        gf_authenticater();
    }

    // a buffered answer that the loop's answers follow by default
    void script(const std::string& bufferAnswer, const std::string& loopAnswer)
    {
        server.queue("/v4/traffic", {200, bufferAnswer});
        server.setDefault("/v4/traffic", {200, loopAnswer});
    }
    void scriptLoop(const ServiceAnswer& answer)
    {
        server.queue("/v4/traffic", {200, R"({"status":200,"rrl":1000})"});
        server.queue("/v4/traffic", answer);
        server.setDefault("/v4/traffic", {200, lf_loopAnswer(1000, {"4b1805"})});
    }
    bool requestsReach(std::size_t n)
    {
        return testsupport::waitFor([&] { return server.count("/v4/traffic") >= n; });
    }
    // the reader ended by itself (not by a stop)
    bool endsByItself()
    {
        return testsupport::waitFor([] { return g_trafficReaderDone.load(); });
    }
};

} // namespace

TEST_F(TrafficReader, FiveSnapshotsThenTheLoopAtTheServiceInterval)
{
    json data = json::object();
    data["buffer_4"] = json{{"4b1801", goodLine("4b1801").set(10, 100.0).json()}};
    data["buffer_2"] = json{{"4b1802", goodLine("4b1802").set(10, 112.0).json()},
                            {"4b1803", goodLine("4b1803").set(10, 0.0).set(9, "ABCDEFGHIJKLMN").json()}};
    data["buffer_0"] = json{{"4b1804", goodLine("4b1804").set(10, 124.0).json()}};
    script(json{{"status", 200}, {"rrl", 3000}, {"data", data}}.dump(),
           lf_loopAnswer(3000, {"4b1805", "4b1806"}, 1767225590.0));

    startTraffic();
    ASSERT_TRUE(testsupport::waitFor([&] { return batchCount() >= 8; }));
    EXPECT_TRUE(g_firstReception);
    ASSERT_TRUE(stopReaders());
    EXPECT_FALSE(g_firstReception);

    const auto queued = batches();
    std::vector<std::uint32_t> delays;
    for (const auto& b : queued)
        delays.push_back(b.delay);
    EXPECT_EQ(std::vector<std::uint32_t>(delays.begin(), delays.begin() + 8),
              (std::vector<std::uint32_t>{0, 6, 12, 18, 24, 30, 30, 30}));
    EXPECT_EQ(queued[0].records.size(), 1u);
    EXPECT_EQ(queued[1].records.size(), 0u);
    EXPECT_EQ(queued[2].records.size(), 1u); // the over-long registration is dropped
    EXPECT_EQ(queued[3].records.size(), 0u);
    EXPECT_EQ(queued[4].records.size(), 1u);
    EXPECT_EQ(queued[5].records.size(), 2u);
    EXPECT_EQ(g_liveCount, 2);
    EXPECT_DOUBLE_EQ(g_latestFeedTime.load(), 1767225590.0);

    const auto requests = server.requests("/v4/traffic");
    ASSERT_GE(requests.size(), 3u);
    const QueryBox box = gf_trafficClient().queryBox();
    const std::string loopBody =
        fmt::format("GUID=abc&top={:.2f}&bottom={:.2f}&left={:.2f}&right={:.2f}&querytype=locationtraffic&toffset=0",
                    box.top, box.bottom, box.left, box.right);
    EXPECT_EQ(requests[0].body, loopBody + "&buffercount=5&buffertime=6");
    EXPECT_EQ(requests[1].body, loopBody);
    EXPECT_EQ(requests[0].fields.at("top"), "50.33");
    EXPECT_EQ(requests[0].fields.at("left"), "7.48");
    // the buffered request sleeps its interval, the loop waits it in two halves
    for (std::size_t i = 1; i + 1 < requests.size(); ++i)
        EXPECT_EQ(manualElapsed(requests[i - 1].at, requests[i].at), 3000ms) << i;

    EXPECT_TRUE(logWith("===>").empty());
    EXPECT_TRUE(folder.logHas("          Traffic Reader connected"));
    EXPECT_EQ(g_trafficLamp, g_lampNotRunning);
    EXPECT_FALSE(g_stop);
}

TEST_F(TrafficReader, LoginLoopAndLogoutInOneRun)
{
    script(R"({"status":200,"rrl":2000,"data":{}})", lf_loopAnswer(2000, {"4b1805"}));
    startTraffic();
    ASSERT_TRUE(testsupport::waitFor([&] { return batchCount() >= 2; }));
    ASSERT_TRUE(stopReaders());
    // an empty buffered answer is logged and the loop starts all the same
    EXPECT_TRUE(folder.logHas("===> buffer failed 0"));
    EXPECT_EQ(batches().front().delay, 30u);

    server.queue("/v4/deauth", {200, R"({"status":200,"message":"bye","server":"s"})"});
    deauthenticate(gf_trafficClient());
    EXPECT_EQ(server.requests("/v4/deauth").at(0).body, "GUID=abc");
    EXPECT_TRUE(gf_trafficClient().guid.empty());
}

TEST_F(TrafficReader, Status406IsLoggedAndTheLoopGoesOn)
{
    scriptLoop({200, R"({"status":406,"message":"too many requests","rrl":1})"});
    startTraffic();
    ASSERT_TRUE(requestsReach(4));
    ASSERT_TRUE(stopReaders());
    const auto lines = logWith("curl traffic msg: too many requests");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("===> Thu Jan 01", 0), 0u);
    EXPECT_FALSE(g_stop);
    // the interval of a 406 answer is not taken over
    const auto requests = server.requests("/v4/traffic");
    EXPECT_EQ(manualElapsed(requests[1].at, requests[2].at), 1000ms);
}

TEST_F(TrafficReader, Status401RestartsTheRun)
{
    scriptLoop({200, R"({"status":401})"});
    startTraffic();
    ASSERT_TRUE(endsByItself());
    EXPECT_TRUE(folder.logHas("===> re-authentication to RT API is needed, restart TRWK"));
    EXPECT_TRUE(folder.logHas("The Traffic Reader has stopped with an error"));
    EXPECT_TRUE(g_weatherStop);
    EXPECT_TRUE(g_stop);
    EXPECT_EQ(g_runState, RunState::ReaderError);
    EXPECT_EQ(g_restartDelay, 15);
    EXPECT_EQ(g_trafficLamp, g_lampNotRunning);
    EXPECT_EQ(server.count("/v4/traffic"), 2u);
}

TEST_F(TrafficReader, OtherStatusesStopTheRunWithoutRestart)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {R"({"status":400})", "===> Traffic RT API: parameter fault"},
        {R"({"status":403})", "===> Traffic RT API: no data is delivered for this account"},
        {R"({"status":500})", "===> Traffic RT API error: 500"},
        {R"({"data":{}})", "===> Traffic RT API error: 100"},
    };
    for (const auto& [body, logged] : cases) {
        gf_resetShellState();
        g_readerStop = false;
        g_weatherStop = false;
        scriptLoop({200, body});
        startTraffic();
        ASSERT_TRUE(endsByItself()) << body;
        EXPECT_TRUE(folder.logHas(logged)) << logged;
        EXPECT_EQ(g_runState, RunState::SystemError) << body;
        EXPECT_EQ(g_restartDelay, 0);
        EXPECT_TRUE(g_weatherStop);
    }
}

TEST_F(TrafficReader, BrokenAnswersAreLoggedAndTheLoopGoesOn)
{
    server.queue("/v4/traffic", {200, R"({"status":200,"rrl":1000})"});
    server.queue("/v4/traffic", {200, ""});
    server.queue("/v4/traffic", {200, "{\"status\":200,"});
    server.queue("/v4/traffic", {200, "", false, true});
    server.queue("/v4/traffic", {200, R"({"status":"200"})"});
    json wrongLengths = json::object();
    json a47 = goodLine("4b1801").json();
    a47.erase(0);
    json a49 = goodLine("4b1802").json();
    a49.push_back(1);
    wrongLengths["4b1801"] = a47;
    wrongLengths["4b1802"] = a49;
    wrongLengths["4b1803"] = "text";
    server.queue("/v4/traffic", {200, json{{"status", 200}, {"data", wrongLengths}}.dump()});
    server.setDefault("/v4/traffic", {200, lf_loopAnswer(1000, {"4b1805"})});
    startTraffic();
    ASSERT_TRUE(testsupport::waitFor([&] { return batchCount() >= 3; }));
    ASSERT_TRUE(stopReaders());

    EXPECT_TRUE(folder.logHas("===> traffic receive: empty content"));
    EXPECT_EQ(logWith("===> receive: [json.exception.parse_error").size(), 1u);
    EXPECT_EQ(logWith("===> receive: [json.exception.type_error").size(), 1u);
    EXPECT_EQ(logWith("===> curl traffic code:18 = ").size(), 1u);
    const auto queued = batches();
    EXPECT_EQ(queued[0].records.size(), 0u); // only wrong lengths
    EXPECT_EQ(queued[1].records.size(), 1u);
    EXPECT_FALSE(g_stop);
    EXPECT_EQ(g_runState, RunState::NotYetSet);
}

TEST_F(TrafficReader, AnIntervalOfZeroOrLessKeepsThePreviousOne)
{
    server.queue("/v4/traffic", {200, R"({"status":200,"rrl":4000})"});
    server.queue("/v4/traffic", {200, lf_loopAnswer(0, {"4b1805"})});
    server.queue("/v4/traffic", {200, lf_loopAnswer(-50, {"4b1805"})});
    server.setDefault("/v4/traffic", {200, lf_loopAnswer(0, {"4b1805"})});
    startTraffic();
    ASSERT_TRUE(requestsReach(5));
    ASSERT_TRUE(stopReaders());
    const auto requests = server.requests("/v4/traffic");
    for (std::size_t i = 1; i < 5; ++i)
        EXPECT_EQ(manualElapsed(requests[i - 1].at, requests[i].at), 4000ms) << i;
}

TEST_F(TrafficReader, AStopEndsATransferUnderWay)
{
    scriptLoop({200, lf_loopAnswer(1000, {"4b1805"}), true});
    startTraffic();
    ASSERT_TRUE(testsupport::waitFor([&] { return server.hanging() == 1; }));
    g_readerStop = true;
    // ends long before the service would answer (it holds the answer back for 20 s)
    EXPECT_TRUE(testsupport::waitFor([] { return g_trafficReaderDone.load(); }, 10s));
    EXPECT_EQ(server.hanging(), 1u);
    EXPECT_TRUE(logWith("curl traffic").empty()); // a stop is no failure
    EXPECT_TRUE(logWith("RT API").empty());
    EXPECT_FALSE(g_stop);
    server.releaseHanging();
}

TEST_F(TrafficReader, AHugeServiceIntervalDoesNotHoldUpAStop)
{
    // in real time: after the buffered request the service asks for a pause of over three weeks
    platform::setClock(nullptr);
    script(R"({"status":200,"rrl":2000000000,"data":{}})", lf_loopAnswer(1000, {"4b1805"}));
    startTraffic();
    ASSERT_TRUE(requestsReach(1));
    EXPECT_TRUE(stopReaders());
    EXPECT_FALSE(g_stop);
}

TEST_F(TrafficReader, AStalledServiceIsGivenUpAndTheLoopGoesOn)
{
    g_transferLimits.lowSpeedSeconds = 1;
    scriptLoop({200, "{}", true});
    startTraffic();
    ASSERT_TRUE(testsupport::waitFor([&] { return batchCount() >= 1; }));
    ASSERT_TRUE(stopReaders());
    EXPECT_EQ(logWith("===> curl traffic code:28 = ").size(), 1u);
    server.releaseHanging();
}

TEST_F(TrafficReader, AnExceptionLeavingTheThreadStillSetsItsDoneFlag)
{
    gf_queueFeedBatch.install([](std::vector<FeedRecord>&, std::uint32_t) { throw 42; });
    script(R"({"status":200,"rrl":1000,"data":{"buffer_0":{}}})", lf_loopAnswer(1000, {"4b1805"}));
    startTraffic();
    ASSERT_TRUE(endsByItself());
    EXPECT_TRUE(folder.logHas("===> gf_trafficReader: Unknown exception"));
    EXPECT_EQ(g_runState, RunState::SystemError);
    EXPECT_TRUE(g_weatherStop);
    EXPECT_EQ(g_trafficLamp, g_lampNotRunning);
}

TEST_F(TrafficReader, AStdExceptionOfAHandOverOnlyCostsThatTurn)
{
    std::atomic<int> calls{0};
    gf_queueFeedBatch.install([&](std::vector<FeedRecord>& batch, std::uint32_t delay) {
        if (delay == 30 && calls++ == 0)
            throw std::logic_error("hand-over refused");
        EXPECT_FALSE(batch.empty() && delay == 30);
    });
    scriptLoop({200, lf_loopAnswer(1000, {"4b1805"})});
    startTraffic();
    ASSERT_TRUE(testsupport::waitFor([&] { return calls >= 3; }));
    ASSERT_TRUE(stopReaders());
    EXPECT_TRUE(folder.logHas("===> receive: hand-over refused"));
    EXPECT_TRUE(g_readerBatch.empty());
}

TEST_F(TrafficReader, ARecordTimeBeyondTheClockNeverBecomesTheFeedTime)
{
    json data = json::object();
    data["4b1805"] = goodLine("4b1805").set(10, 1767225590.0).json();
    data["4b1806"] = goodLine("4b1806", "BAW9").set(10, 1e300).json();
    script(R"({"status":200,"rrl":1000,"data":{"buffer_0":{}}})",
           json{{"status", 200}, {"rrl", 1000}, {"data", data}}.dump());
    startTraffic();
    ASSERT_TRUE(testsupport::waitFor([&] {
        const auto queued = batches();
        return std::any_of(queued.begin(), queued.end(), [](const auto& b) { return b.records.size() == 2; });
    }));
    ASSERT_TRUE(stopReaders());
    // the shifted clock follows the feed time; a garbled record time must not break it
    EXPECT_DOUBLE_EQ(g_latestFeedTime.load(), 1767225590.0);
    g_timeShifted = true;
    EXPECT_NO_THROW(EXPECT_EQ(gf_now(), 1767225590));
    g_timeShifted = false;
}
