// The Traffic Reader against the local service: five snapshots, the loop at the service's
// interval, and every misbehaviour of the service ending as it should, never hanging.
#include "feed_fixture.h"

#include "foundation/time_shift.h"

namespace {

// an answer of the loop with one aircraft
std::string lf_loopAnswer(int rrl)
{
    return json{{"status", 200}, {"rrl", rrl}, {"data", {{"4b1805", goodLine("4b1805").json()}}}}.dump();
}

class TrafficReader : public FeedTest {
protected:
    TrafficReader()
    {
        setUser(50.0, 8.0);
        g_rangeNm = 20.0;
        gf_updateQueryBox();
        gf_setReaderRefPos(LatLon{50.0, 8.0});
        login();
    }

    // a buffered answer that the loop's answers follow by default
    void script(const std::string& bufferAnswer, const std::string& loopAnswer)
    {
        server.queue("/v4/traffic", {200, bufferAnswer});
        server.setDefault("/v4/traffic", {200, loopAnswer});
    }
    // a buffered answer without snapshots, then `answer`, then loop answers of one aircraft
    void scriptLoop(const ServiceAnswer& answer)
    {
        server.queue("/v4/traffic", {200, R"({"status":200,"rrl":1000})"});
        server.queue("/v4/traffic", answer);
        server.setDefault("/v4/traffic", {200, lf_loopAnswer(1000)});
    }
    static bool endsByItself() { return waitFor([] { return g_trafficReaderDone.load(); }); }
};

} // namespace

TEST_F(TrafficReader, FiveSnapshotsThenTheLoopAtTheServiceInterval)
{
    json data = json::object();
    data["buffer_4"] = json{{"4b1801", goodLine("4b1801").set(10, 100.0).json()}};
    data["buffer_2"] = json{{"4b1802", goodLine("4b1802").set(10, 112.0).json()},
                            {"4b1803", goodLine("4b1803").set(10, 0.0).set(9, "ABCDEFGHIJKLMN").json()}};
    data["buffer_0"] = json{{"4b1804", goodLine("4b1804").set(10, 124.0).json()}};
    const json loop{{"4b1805", goodLine("4b1805").set(10, 1767225590.0).json()},
                    {"4b1806", goodLine("4b1806", "BAW9").set(10, 1e300).json()}};
    script(json{{"status", 200}, {"rrl", 3000}, {"data", data}}.dump(),
           json{{"status", 200}, {"rrl", 3000}, {"data", loop}}.dump());

    gf_startTrafficReader();
    ASSERT_TRUE(waitFor([&] { return batchCount() >= 8; }));
    EXPECT_TRUE(g_firstReception);
    ASSERT_TRUE(stopReaders());
    EXPECT_FALSE(g_firstReception);

    std::vector<std::uint32_t> delays;
    std::vector<std::size_t> sizes;
    for (const auto& b : batches()) {
        delays.push_back(b.delay);
        sizes.push_back(b.records.size());
    }
    delays.resize(8);
    sizes.resize(6);
    EXPECT_EQ(delays, (std::vector<std::uint32_t>{0, 6, 12, 18, 24, 30, 30, 30}));
    EXPECT_EQ(sizes, (std::vector<std::size_t>{1, 0, 1, 0, 1, 2})); // the over-long registration is dropped
    EXPECT_EQ(g_liveCount, 2);

    const auto requests = server.requests("/v4/traffic");
    ASSERT_GE(requests.size(), 3u);
    // 20 nm around the user: flat latitudes, great-circle longitudes
    const std::string loopBody =
        "GUID=abc&top=50.33&bottom=49.67&left=7.48&right=8.52&querytype=locationtraffic&toffset=0";
    EXPECT_EQ(requests[0].body, loopBody + "&buffercount=5&buffertime=6");
    EXPECT_EQ(requests[1].body, loopBody);
    // the buffered request sleeps its interval, the loop waits it in two halves
    for (std::size_t i = 1; i + 1 < requests.size(); ++i)
        EXPECT_EQ(elapsed(requests[i - 1].at, requests[i].at), 3000ms) << i;

    EXPECT_TRUE(logWith("===>").empty());
    EXPECT_TRUE(folder.logHas("          Traffic Reader connected"));
    EXPECT_EQ(g_trafficLamp, g_lampNotRunning);
    EXPECT_FALSE(g_stop);
}

TEST_F(TrafficReader, OtherStatusesStopTheRunAndA401RestartsIt)
{
    const std::tuple<std::string, std::string, RunState, int> cases[] = {
        {R"({"status":401})", "===> re-authentication to RT API is needed, restart TRWK", RunState::ReaderError, 15},
        {R"({"status":400})", "===> Traffic RT API: parameter fault", RunState::SystemError, 0},
        {R"({"status":403})", "===> Traffic RT API: no data is delivered for this account", RunState::SystemError, 0},
        {R"({"status":500})", "===> Traffic RT API error: 500", RunState::SystemError, 0},
        {R"({"data":{}})", "===> Traffic RT API error: 100", RunState::SystemError, 0},
    };
    for (const auto& [body, logged, state, restartDelay] : cases) {
        gf_resetShellState();
        g_readerStop = false;
        g_weatherStop = false;
        const std::size_t before = server.count("/v4/traffic");
        scriptLoop({200, body});
        gf_startTrafficReader();
        ASSERT_TRUE(endsByItself()) << body;
        EXPECT_TRUE(folder.logHas(logged)) << logged;
        EXPECT_EQ(g_runState, state) << body;
        EXPECT_EQ(g_restartDelay, restartDelay) << body;
        EXPECT_TRUE(g_weatherStop);
        EXPECT_TRUE(g_stop);
        EXPECT_EQ(g_trafficLamp, g_lampNotRunning);
        EXPECT_EQ(server.count("/v4/traffic"), before + 2);
    }
    EXPECT_EQ(logWith("The Traffic Reader has stopped with an error").size(), std::size(cases));
}

TEST_F(TrafficReader, BrokenAnswersAreLoggedAndTheLoopGoesOn)
{
    g_transferLimits.lowSpeedSeconds = 1;
    json wrongLengths = json::object();
    wrongLengths["4b1801"] = goodLine("4b1801").json();
    wrongLengths["4b1801"].erase(0);
    wrongLengths["4b1802"] = goodLine("4b1802").json();
    wrongLengths["4b1802"].push_back(1);
    wrongLengths["4b1803"] = "text";
    // the buffered answer without snapshots; one that closes the connection, one that stalls
    const ServiceAnswer answers[] = {{200, R"({"status":200,"rrl":1000})"},
                                     {200, R"({"status":406,"message":"too many requests","rrl":1})"},
                                     {200, ""}, {200, "{\"status\":200,"}, {200, "", false, true},
                                     {200, "{}", true}, {200, R"({"status":"200"})"},
                                     {200, json{{"status", 200}, {"data", wrongLengths}}.dump()}};
    for (const ServiceAnswer& answer : answers)
        server.queue("/v4/traffic", answer);
    server.setDefault("/v4/traffic", {200, lf_loopAnswer(1000)});
    gf_startTrafficReader();
    ASSERT_TRUE(waitFor([&] { return batchCount() >= 3; }));
    ASSERT_TRUE(stopReaders());
    server.releaseHanging();

    EXPECT_TRUE(folder.logHas("===> buffer failed 0"));
    const auto lines = logWith("curl traffic msg: too many requests");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("===> Thu Jan 01", 0), 0u);
    EXPECT_TRUE(folder.logHas("===> traffic receive: empty content"));
    for (const char* part : {"===> receive: [json.exception.parse_error", "===> receive: [json.exception.type_error",
                             "===> curl traffic code:18 = ", "===> curl traffic code:28 = "})
        EXPECT_EQ(logWith(part).size(), 1u) << part;
    const auto queued = batches();
    EXPECT_EQ(queued[0].delay, 30u);
    EXPECT_EQ(queued[0].records.size(), 0u); // only wrong lengths
    EXPECT_EQ(queued[1].records.size(), 1u);
    // the interval of a 406 answer is not taken over
    const auto requests = server.requests("/v4/traffic");
    EXPECT_EQ(elapsed(requests[1].at, requests[2].at), 1000ms);
    EXPECT_FALSE(g_stop);
    EXPECT_EQ(g_runState, RunState::NotYetSet);
}

TEST_F(TrafficReader, AStopEndsATransferUnderWay)
{
    scriptLoop({200, lf_loopAnswer(1000), true});
    gf_startTrafficReader();
    ASSERT_TRUE(waitFor([&] { return server.hanging() == 1; }));
    g_readerStop = true;
    // ends long before the service would answer (it holds the answer back for 20 s)
    EXPECT_TRUE(waitFor([] { return g_trafficReaderDone.load(); }, 10s));
    EXPECT_EQ(server.hanging(), 1u);
    EXPECT_TRUE(logWith("curl traffic").empty()); // a stop is no failure
    EXPECT_TRUE(logWith("RT API").empty());
    EXPECT_FALSE(g_stop);
    server.releaseHanging();
}

// An answer asked under a shift of three days that comes in after the shift is taken back is of
// another time: it is set aside, and the answers asked after the change are handed over.
TEST_F(TrafficReader, AnAnswerAskedUnderTheShiftBeforeIsSetAside)
{
    struct ThreeDays {
        ThreeDays() { g_timeOffset = 3 * 1440; }
        ~ThreeDays() { g_timeOffset = 0; }
    } shift;
    const json straggler{{"4b1801", goodLine("4b1801").json()}, {"4b1802", goodLine("4b1802", "BAW2").json()}};
    scriptLoop({200, json{{"status", 200}, {"rrl", 1000}, {"data", straggler}}.dump(), true});
    gf_startTrafficReader();
    ASSERT_TRUE(waitFor([&] { return server.hanging() == 1; }));
    g_timeOffset = 0;
    server.releaseHanging();
    ASSERT_TRUE(waitFor([&] { return batchCount() >= 2; }));
    ASSERT_TRUE(stopReaders());

    for (const QueuedBatch& batch : batches()) {
        ASSERT_EQ(batch.records.size(), 1u);
        EXPECT_EQ(batch.records[0].hexId, 0x4b1805u);
    }
    const auto requests = server.requests("/v4/traffic");
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[1].fields.at("toffset"), "4320");
    EXPECT_EQ(requests[2].fields.at("toffset"), "0");
}

TEST_F(TrafficReader, AHugeServiceIntervalDoesNotHoldUpAStop)
{
    // in real time: after the buffered request the service asks for a pause of over three weeks
    platform::setClock(nullptr);
    script(R"({"status":200,"rrl":2000000000,"data":{}})", lf_loopAnswer(1000));
    gf_startTrafficReader();
    ASSERT_TRUE(requestsReach("/v4/traffic", 1));
    EXPECT_TRUE(stopReaders());
    EXPECT_FALSE(g_stop);
}

TEST_F(TrafficReader, AnExceptionLeavingTheThreadStillSetsItsDoneFlag)
{
    gf_queueFeedBatch.install([](std::vector<FeedRecord>&, std::uint32_t, std::int32_t) { throw 42; });
    script(R"({"status":200,"rrl":1000,"data":{"buffer_0":{}}})", lf_loopAnswer(1000));
    gf_startTrafficReader();
    ASSERT_TRUE(endsByItself());
    EXPECT_TRUE(folder.logHas("===> gf_trafficReader: Unknown exception"));
    EXPECT_EQ(g_runState, RunState::SystemError);
    EXPECT_TRUE(g_weatherStop);
    EXPECT_EQ(g_trafficLamp, g_lampNotRunning);
}

TEST_F(TrafficReader, AStdExceptionOfAHandOverOnlyCostsThatTurn)
{
    std::atomic<int> calls{0};
    gf_queueFeedBatch.install([&](std::vector<FeedRecord>& batch, std::uint32_t delay, std::int32_t) {
        if (delay == 30 && calls++ == 0)
            throw std::logic_error("hand-over refused");
        EXPECT_FALSE(batch.empty() && delay == 30);
    });
    scriptLoop({200, lf_loopAnswer(1000)});
    gf_startTrafficReader();
    ASSERT_TRUE(waitFor([&] { return calls >= 3; }));
    ASSERT_TRUE(stopReaders());
    EXPECT_TRUE(folder.logHas("===> receive: hand-over refused"));
    EXPECT_TRUE(g_readerBatch.empty());
}
