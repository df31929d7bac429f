// The parked-traffic request between the control thread and the Traffic Reader against the
// local service: ages around the day's wrap, filters, duplicates, statuses, and a late answer
// that must not reach the next request.
#include "feed_fixture.h"

#include <cmath>
#include <stdexcept>

namespace {

constexpr std::int64_t lf_day = 1767225600; // Jan 01 2026 00:00:00 UTC
const std::string lf_parkedPath = "/v4/traffic#parkedtraffic";

// The manual clock, except that sleeps of the test thread first wait, in real time, until the
// gate opens: so the waiting side's ten seconds pass only once the reader has done its part.
class GatedClock : public platform::Clock {
public:
    explicit GatedClock(platform::ManualClock& inner) : m_inner(inner), m_owner(std::this_thread::get_id()) {}
    platform::SystemTime systemNow() override { return m_inner.systemNow(); }
    platform::SteadyTime steadyNow() override { return m_inner.steadyNow(); }
    void sleepUntil(platform::SteadyTime deadline) override
    {
        if (std::this_thread::get_id() == m_owner) {
            std::function<bool()> gate;
            {
                std::lock_guard lock(m_mutex);
                gate = m_gate;
            }
            if (gate && !waitFor(gate))
                ADD_FAILURE() << "the gate never opened";
        }
        m_inner.sleepUntil(deadline);
    }
    void setGate(std::function<bool()> gate)
    {
        std::lock_guard lock(m_mutex);
        m_gate = std::move(gate);
    }

private:
    platform::ManualClock& m_inner;
    std::thread::id m_owner;
    std::mutex m_mutex;
    std::function<bool()> m_gate;
};

using Received = std::vector<std::pair<std::uint32_t, std::uint32_t>>; // hex id, age in half hours

class ParkedRequest : public FeedTest {
protected:
    ParkedRequest() : clock(time.clock())
    {
        fillParkedDbase();
        gf_resetParkedTraffic();
        gf_parkAirport.install([] { return ParkAirportRef{"EDDF", LatLon{50.0, 8.0}, std::nullopt}; });
        gf_sizeClassEnabledHook.install([](SizeClass) { return true; });
        time.set(lf_day + 40 * 60); // 00:40 UTC, half hour 1
        platform::setClock(&clock);
        login();
        // live answers without aircraft at the shortest interval
        server.setDefault("/v4/traffic", {200, R"({"status":200,"rrl":1})"});
        gf_startTrafficReader();
    }
    ~ParkedRequest() override
    {
        goOn = true;
        stopReaders();
        platform::setClock(&time.clock());
        // the server's handlers read the clock under its lock: taking it orders their last use
        // before the gated clock goes
        (void)server.count("");
        gf_resetParkedTraffic();
        gf_resetDbase();
    }

    // the request, its ten seconds passing only once the reader has answered (or, with a gate
    // given, once that opens)
    bool receive(std::function<bool()> gate = [] { return g_parkedStatus.load() != -1; })
    {
        clock.setGate(std::move(gate));
        const bool received = gf_receiveParkedTraffic();
        clock.setGate(nullptr);
        return received;
    }

    void answerParked(const json& data)
    {
        server.queue(lf_parkedPath, {200, json{{"status", 200}, {"rrl", 1}, {"data", data}}.dump()});
    }
    static Received received()
    {
        Received result;
        for (const auto& r : g_parkedRecords)
            result.emplace_back(r.hexId, r.slot);
        return result;
    }

    GatedClock clock;
    std::atomic<bool> secondAnswerReached{false};
    std::atomic<bool> goOn{false};
};

json lf_wrapAnswer()
{
    const std::int64_t t0010 = lf_day + 10 * 60;  // half hour 0
    const std::int64_t t2350 = lf_day - 10 * 60;  // yesterday, half hour 47
    const std::int64_t t2210 = lf_day - 110 * 60; // yesterday, half hour 44
    const std::int64_t t0110 = lf_day + 70 * 60;  // later today, half hour 2
    return json{
        {"4b0001", parkedLine("A1", "A320", t0010, "DLH1")},
        {"4b0002", parkedLine("A1", "A320", t2350, "DLH2")}, // same stand, older
        {"4b0003", parkedLine("B1", "A320", t2350, "DLH1")}, // same callsign, older
        {"4b0004", parkedLine("C1", "A320", t2350)},
        {"4b0005", parkedLine("C2", "A320", t2350)},
        {"4b0006", parkedLine("", "A320", t0010, "X6")},
        {"4b0007", parkedLine("", "A320", t2350, "X7")}, // no stand either
        {"4b0008", parkedLine("D1", "A320", t2210, "X8")},
        {"4b0009", parkedLine("D2", "A320", t0110, "X9")},
    };
}

} // namespace

TEST_F(ParkedRequest, RecordsAroundTheDayWrapAreAgedFilteredAndDeduplicated)
{
    MAX_FIT.value = 4;
    answerParked(lf_wrapAnswer());
    ASSERT_TRUE(receive());
    EXPECT_EQ(received(), (Received{{0x4b0001, 1}, {0x4b0006, 1}, {0x4b0004, 2}, {0x4b0005, 2}}));

    const auto requests = server.requests(lf_parkedPath);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body,
              "GUID=abc&top=50.05&bottom=49.95&left=7.92&right=8.08&querytype=parkedtraffic&toffset=0");

    // parked traffic only: no age limit
    RT_PARKTRAFFIC_ONLY.value = true;
    answerParked(lf_wrapAnswer());
    ASSERT_TRUE(receive());
    EXPECT_EQ(received(), (Received{{0x4b0001, 1}, {0x4b0006, 1}, {0x4b0004, 2}, {0x4b0005, 2}, {0x4b0008, 5},
                                    {0x4b0009, 47}}));

    // three miles around the airport
    const ParkedBox box = gf_parkedBox(LatLon{50.0, 8.0});
    EXPECT_NEAR(box.top - 50.0, 0.04996402877697842, 1e-12);
    EXPECT_NEAR(50.0 - box.bottom, 0.04996402877697842, 1e-12);
    EXPECT_NEAR(box.right - 8.0, 3.0 / 60.0 / std::cos(50.0 * g_deg2rad), 1e-5); // at 50 degrees north
    EXPECT_NEAR(8.0 - box.left, box.right - 8.0, 1e-9);
}

TEST_F(ParkedRequest, StatusesOfTheAnswer)
{
    const std::tuple<std::string, bool, std::string> cases[] = {
        {R"({"status":406,"message":"too many requests"})", true, "===> parkedtraffic msg: too many requests"},
        {R"({"status":401})", false, "===> RT Parkedtraffic: re-authentication to RT API is needed TRWK"},
        {R"({"rrl":1})", false, "===> RT Parkedtraffic error status: 100"}, // no status: 100
        {"{not json", false, "===> parkedtraffic: invalid JSON"},
        {"", false, "===> parkedtraffic: empty content"},
    };
    for (const auto& [body, answered, logged] : cases) {
        server.queue(lf_parkedPath, {200, body});
        EXPECT_EQ(receive(), answered) << body;
        EXPECT_TRUE(g_parkedRecords.empty());
        EXPECT_EQ(logWith(logged).size(), 1u) << logged;
    }
    for (const char* body : {R"({"status":400})", R"({"status":403})"}) {
        server.queue(lf_parkedPath, {200, body});
        EXPECT_THROW(receive(), std::runtime_error) << body;
    }

    // the reader lives on through all of them
    answerParked(json{{"4b0001", parkedLine("A1", "A320", lf_day + 600, "DLH1")}});
    EXPECT_TRUE(receive());
    EXPECT_EQ(received(), (Received{{0x4b0001, 1}}));
    EXPECT_FALSE(g_trafficReaderDone);
}

TEST_F(ParkedRequest, ALateAnswerNeverReachesTheNextRequest)
{
    // the first answer is held back by the service until the waiting side has given up
    ServiceAnswer held{200,
                       json{{"status", 200}, {"data", {{"4b0aaa", parkedLine("L1", "A320", lf_day + 600)}}}}.dump()};
    held.hang = true;
    server.queue(lf_parkedPath, held);
    answerParked(json{{"4b0bbb", parkedLine("N1", "B744", lf_day + 600, "NEW1")}});
    // the reader stops inside the second answer until the test has looked at the hand-over
    gf_sizeClassEnabledHook.install([this](SizeClass sizeClass) {
        if (sizeClass == SizeClass::Heavy) {
            secondAnswerReached = true;
            waitFor([&] { return goOn.load(); });
        }
        return true;
    });

    const auto start = clock.steadyNow();
    EXPECT_FALSE(receive([this] { return server.hanging() >= 1; }));
    EXPECT_GE(clock.steadyNow() - start, 10s);
    EXPECT_TRUE(folder.logHas("ParkedTraffic receiving timed out after 10 seconds"));
    EXPECT_TRUE(g_parkedRecords.empty());

    // the next request is raised while the reader still waits for the late answer
    ASSERT_TRUE(receive([this] {
        server.releaseHanging();
        // the late answer is in by now: it must not have been taken for this request
        if (secondAnswerReached)
            goOn = true;
        return g_parkedStatus.load() != -1;
    }));
    EXPECT_EQ(received(), (Received{{0x4b0bbb, 1}}));
    EXPECT_EQ(server.count(lf_parkedPath), 2u);
}
