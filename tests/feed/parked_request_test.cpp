// The parked-traffic request between the control thread and the Traffic Reader against the
// local service: ages around the day's wrap, filters, duplicates, statuses, and a late answer
// that must not reach the next request.
#include "feed_fixture.h"
#include "parked_support.h"

#include "feed/parked_request.h"
#include "feed/session.h"
#include "foundation/option_table.h"

#include <gtest/gtest.h>
#include <stdexcept>

using nlohmann::json;
using testsupport::parkedLine;
using testsupport::ServiceAnswer;

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
            if (gate && !testsupport::waitFor(gate))
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

class ParkedRequest : public testsupport::FeedTest {
protected:
    ParkedRequest() : clock(time.clock())
    {
        testsupport::fillParkedDbase();
        gf_resetParkedTraffic();
        gf_parkAirport.install([] { return ParkAirportRef{"EDDF", LatLon{50.0, 8.0}, std::nullopt}; });
        gf_sizeClassEnabledHook.install([](SizeClass) { return true; });
        time.set(lf_day + 40 * 60); // 00:40 UTC, half hour 1
        platform::setClock(&clock);
        server.queue("/v4/auth", {200, R"({"status":200,"GUID":"abc","wrrl":2000})"});
        gf_authenticater();
        // live answers without aircraft at the shortest interval
        server.setDefault("/v4/traffic", {200, R"({"status":200,"rrl":1})"});
        startTraffic();
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

    // the request, its ten seconds passing only once the reader has answered
    bool receive()
    {
        clock.setGate([] { return g_parkedStatus.load() != -1; });
        struct Ungate {
            GatedClock& c;
            ~Ungate() { c.setGate(nullptr); }
        } ungate{clock};
        return gf_receiveParkedTraffic();
    }

    void answerParked(const json& data)
    {
        server.queue(lf_parkedPath, {200, json{{"status", 200}, {"rrl", 1}, {"data", data}}.dump()});
    }
    std::vector<std::uint32_t> hexIds() const
    {
        std::vector<std::uint32_t> ids;
        for (const auto& r : g_parkedRecords)
            ids.push_back(r.hexId);
        return ids;
    }
    std::vector<std::uint32_t> slots() const
    {
        std::vector<std::uint32_t> result;
        for (const auto& r : g_parkedRecords)
            result.push_back(r.slot);
        return result;
    }

    GatedClock clock;
    std::atomic<bool> secondAnswerReached{false};
    std::atomic<bool> goOn{false};
};

json lf_wrapAnswer()
{
    const std::int64_t t0010 = lf_day + 10 * 60;          // half hour 0
    const std::int64_t t2350 = lf_day - 10 * 60;          // yesterday, half hour 47
    const std::int64_t t2210 = lf_day - 110 * 60;         // yesterday, half hour 44
    const std::int64_t t0110 = lf_day + 70 * 60;          // later today, half hour 2
    json data = json::object();
    data["4b0001"] = parkedLine(50.0, 8.0, "A1", "A320", "", t0010, "DLH1");
    data["4b0002"] = parkedLine(50.0, 8.0, "A1", "A320", "", t2350, "DLH2"); // same stand, older
    data["4b0003"] = parkedLine(50.0, 8.0, "B1", "A320", "", t2350, "DLH1"); // same callsign, older
    data["4b0004"] = parkedLine(50.0, 8.0, "C1", "A320", "", t2350, "");
    data["4b0005"] = parkedLine(50.0, 8.0, "C2", "A320", "", t2350, "");
    data["4b0006"] = parkedLine(50.0, 8.0, "", "A320", "", t0010, "X6");
    data["4b0007"] = parkedLine(50.0, 8.0, "", "A320", "", t2350, "X7"); // no stand either
    data["4b0008"] = parkedLine(50.0, 8.0, "D1", "A320", "", t2210, "X8");
    data["4b0009"] = parkedLine(50.0, 8.0, "D2", "A320", "", t0110, "X9");
    return data;
}

} // namespace

TEST_F(ParkedRequest, RecordsAroundTheDayWrapAreAgedFilteredAndDeduplicated)
{
    MAX_FIT.value = 4;
    answerParked(lf_wrapAnswer());
    ASSERT_TRUE(receive());
    EXPECT_EQ(hexIds(), (std::vector<std::uint32_t>{0x4b0001, 0x4b0006, 0x4b0004, 0x4b0005}));
    EXPECT_EQ(slots(), (std::vector<std::uint32_t>{1, 1, 2, 2}));

    const auto requests = server.requests(lf_parkedPath);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body,
              "GUID=abc&top=50.05&bottom=49.95&left=7.92&right=8.08&querytype=parkedtraffic&toffset=0");

    // parked traffic only: no age limit
    RT_PARKTRAFFIC_ONLY.value = true;
    answerParked(lf_wrapAnswer());
    ASSERT_TRUE(receive());
    EXPECT_EQ(hexIds(), (std::vector<std::uint32_t>{0x4b0001, 0x4b0006, 0x4b0004, 0x4b0005, 0x4b0008, 0x4b0009}));
    EXPECT_EQ(slots(), (std::vector<std::uint32_t>{1, 1, 2, 2, 5, 47}));
}

TEST(ParkedBoxTest, ThreeMilesAroundTheAirport)
{
    const ParkedBox box = gf_parkedBox(LatLon{50.0, 8.0});
    EXPECT_NEAR(box.top - 50.0, 0.04996402877697842, 1e-12);
    EXPECT_NEAR(50.0 - box.bottom, 0.04996402877697842, 1e-12);
    // 3 nm of longitude at 50 degrees north
    EXPECT_NEAR(box.right - 8.0, 3.0 / 60.0 / std::cos(50.0 * g_deg2rad), 1e-5);
    EXPECT_NEAR(8.0 - box.left, box.right - 8.0, 1e-9);
}

TEST_F(ParkedRequest, StatusesOfTheAnswer)
{
    server.queue(lf_parkedPath, {200, R"({"status":406,"message":"too many requests"})"});
    EXPECT_TRUE(receive());
    EXPECT_TRUE(g_parkedRecords.empty());
    EXPECT_EQ(logWith("===> parkedtraffic msg: too many requests").size(), 1u);

    server.queue(lf_parkedPath, {200, R"({"status":401})"});
    EXPECT_FALSE(receive());
    EXPECT_TRUE(folder.logHas("===> RT Parkedtraffic: re-authentication to RT API is needed TRWK"));

    server.queue(lf_parkedPath, {200, R"({"status":400})"});
    EXPECT_THROW(receive(), std::runtime_error);
    server.queue(lf_parkedPath, {200, R"({"status":403})"});
    EXPECT_THROW(receive(), std::runtime_error);

    server.queue(lf_parkedPath, {200, R"({"rrl":1})"}); // no status: 100
    EXPECT_FALSE(receive());
    EXPECT_TRUE(folder.logHas("===> RT Parkedtraffic error status: 100"));

    server.queue(lf_parkedPath, {200, "{not json"});
    EXPECT_FALSE(receive());
    EXPECT_TRUE(folder.logHas("===> parkedtraffic: invalid JSON"));
    server.queue(lf_parkedPath, {200, ""});
    EXPECT_FALSE(receive());
    EXPECT_TRUE(folder.logHas("===> parkedtraffic: empty content"));

    // the reader lives on through all of them
    answerParked(json{{"4b0001", parkedLine(50.0, 8.0, "A1", "A320", "", lf_day + 600, "DLH1")}});
    EXPECT_TRUE(receive());
    EXPECT_EQ(hexIds(), std::vector<std::uint32_t>{0x4b0001});
    EXPECT_FALSE(g_trafficReaderDone);
}

TEST_F(ParkedRequest, ALateAnswerNeverReachesTheNextRequest)
{
    // the first answer is held back by the service until the waiting side has given up
    json late = json::object();
    late["4b0aaa"] = parkedLine(50.0, 8.0, "L1", "A320", "", lf_day + 600, "LATE1");
    ServiceAnswer held{200, json{{"status", 200}, {"rrl", 1}, {"data", late}}.dump()};
    held.hang = true;
    server.queue(lf_parkedPath, held);
    answerParked(json{{"4b0bbb", parkedLine(50.0, 8.0, "N1", "B744", "", lf_day + 600, "NEW1")}});
    // the reader stops inside the second answer until the test has looked at the hand-over
    gf_sizeClassEnabledHook.install([this](SizeClass sizeClass) {
        if (sizeClass == SizeClass::Heavy) {
            secondAnswerReached = true;
            testsupport::waitFor([&] { return goOn.load(); });
        }
        return true;
    });

    clock.setGate([this] { return server.hanging() >= 1; });
    EXPECT_FALSE(gf_receiveParkedTraffic());
    clock.setGate(nullptr);
    EXPECT_TRUE(folder.logHas("ParkedTraffic receiving timed out after 10 seconds"));
    EXPECT_TRUE(g_parkedRecords.empty());

    // the next request is raised while the reader still waits for the late answer
    clock.setGate([this] {
        server.releaseHanging();
        // the late answer is in by now: it must not have been taken for this request
        if (secondAnswerReached)
            goOn = true;
        return g_parkedStatus.load() != -1;
    });
    const bool answered = gf_receiveParkedTraffic();
    clock.setGate(nullptr);
    ASSERT_TRUE(answered);
    EXPECT_EQ(hexIds(), std::vector<std::uint32_t>{0x4b0bbb});
    EXPECT_EQ(server.count(lf_parkedPath), 2u);
}

TEST(ParkedRequestWithoutReader, TimesOutAfterTenSeconds)
{
    testsupport::LoggedFolder folder;
    testsupport::ManualTime time(lf_day);
    gf_resetParkedTraffic();
    const auto start = platform::clock().steadyNow();
    EXPECT_FALSE(gf_receiveParkedTraffic());
    EXPECT_GE(platform::clock().steadyNow() - start, std::chrono::seconds(10));
    EXPECT_TRUE(folder.logHas("ParkedTraffic receiving timed out after 10 seconds"));
    gf_resetParkedTraffic();
}
