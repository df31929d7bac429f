#pragma once
// A deterministic bench for the traffic manager: a tick driver that never sleeps, a fake
// simulator link behind the simulator interface, and synthetic feeds sampled from straight
// trajectories and delivered as reader batches.
#include "feed/feed_record.h"
#include "simconnect/sim_backend.h"
#include "simlink/sim_records.h"
#include "support/logged_folder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace traffictest {

// The simulator as the traffic manager meets it: each frame drains the create, removal, event
// and position queues; creations get object ids and are reported (kind 0/1) when the next
// in-range request is answered, refused titles as kind 6, removals as kind 2, ground contact as
// kind 3 and static CG answers as kind 4. The terrain is flat at `groundFt`.
class FakeSimLink : public SimConnectBackend {
public:
    struct Object {
        std::uint32_t id = 0;
        std::uint32_t hexId = 0;
        std::string callsign;
        std::string title;
        double lat = 0.0;
        double lon = 0.0;
        double altitude = 0.0;
        bool reported = false;
        bool removed = false;
    };
    struct Call {
        std::uint32_t tick;
        std::uint32_t request;
    };

    // configuration
    std::set<std::string> refusedTitles;
    double groundFt = 0.0;
    double staticCgFt = 8.0;
    double staticPitchRad = 0.01;

    // One frame of the simulator thread; call it after each tick pass.
    void frame();

    // what the simulator saw
    std::map<std::uint32_t, std::vector<AiPosition>> positions; // per object id, in order
    std::vector<ClientEvent> events;                            // queued and transmitted, in order
    std::vector<CreateRequest> creates;                         // in order of arrival
    std::vector<std::uint32_t> createTicks;                     // g_tick when each arrived
    std::vector<std::uint32_t> removals;
    std::vector<std::uint32_t> removalTicks;
    std::vector<Call> requests; // requests on objects and by type
    std::map<std::uint32_t, Object> objects;

    const Object* objectOfHex(std::uint32_t hexId) const;
    std::vector<ClientEvent> eventsOf(std::uint32_t objectId) const;

    // SimConnectBackend
    static constexpr HRESULT ok = SIMCONNECT_OK;
    HRESULT open(HSIMCONNECT* handle, const char* name) override;
    HRESULT close(HSIMCONNECT) override { return ok; }
    HRESULT callDispatch(HSIMCONNECT, DispatchProc, void*) override { return ok; }
    HRESULT subscribeToSystemEvent(HSIMCONNECT, SIMCONNECT_CLIENT_EVENT_ID, const char*) override { return ok; }
    HRESULT addToDataDefinition(HSIMCONNECT, SIMCONNECT_DATA_DEFINITION_ID, const char*, const char*,
                                SIMCONNECT_DATATYPE, float, std::uint32_t) override { return ok; }
    HRESULT mapClientEventToSimEvent(HSIMCONNECT, SIMCONNECT_CLIENT_EVENT_ID, const char*) override { return ok; }
    HRESULT addClientEventToNotificationGroup(HSIMCONNECT, SIMCONNECT_NOTIFICATION_GROUP_ID, SIMCONNECT_CLIENT_EVENT_ID,
                                              bool) override { return ok; }
    HRESULT setNotificationGroupPriority(HSIMCONNECT, SIMCONNECT_NOTIFICATION_GROUP_ID, std::uint32_t) override
    {
        return ok;
    }
    HRESULT requestDataOnSimObject(HSIMCONNECT, SIMCONNECT_DATA_REQUEST_ID requestId, SIMCONNECT_DATA_DEFINITION_ID,
                                   SIMCONNECT_OBJECT_ID objectId, SIMCONNECT_PERIOD) override;
    HRESULT requestDataOnSimObjectType(HSIMCONNECT, SIMCONNECT_DATA_REQUEST_ID requestId, SIMCONNECT_DATA_DEFINITION_ID,
                                       std::uint32_t, SIMCONNECT_SIMOBJECT_TYPE) override;
    HRESULT setDataOnSimObject(HSIMCONNECT, SIMCONNECT_DATA_DEFINITION_ID, SIMCONNECT_OBJECT_ID, std::uint32_t,
                               std::uint32_t, const void*) override { return ok; }
    HRESULT transmitClientEvent(HSIMCONNECT, SIMCONNECT_OBJECT_ID objectId, SIMCONNECT_CLIENT_EVENT_ID eventId,
                                std::uint32_t data, SIMCONNECT_NOTIFICATION_GROUP_ID) override;
    HRESULT aiCreateNonAtcAircraft(HSIMCONNECT, const char*, const char*, const SIMCONNECT_DATA_INITPOSITION&,
                                   SIMCONNECT_DATA_REQUEST_ID) override { return ok; }
    HRESULT getLastSentPacketId(HSIMCONNECT, std::uint32_t* packetId) override { return *packetId = 0, ok; }
    HRESULT aiReleaseControl(HSIMCONNECT, SIMCONNECT_OBJECT_ID, SIMCONNECT_DATA_REQUEST_ID) override { return ok; }
    HRESULT aiRemoveObject(HSIMCONNECT, SIMCONNECT_OBJECT_ID, SIMCONNECT_DATA_REQUEST_ID) override { return ok; }
    HRESULT aiSetAircraftFlightPlan(HSIMCONNECT, SIMCONNECT_OBJECT_ID, const char*, SIMCONNECT_DATA_REQUEST_ID) override
    {
        return ok;
    }

private:
    mutable std::mutex m_mutex;
    std::uint32_t m_nextId = 100;
    bool m_inRangeAsked = false;
    std::vector<std::uint32_t> m_staticCgAsked;
};

// A straight, level or steadily climbing flight, sampled at any feed time.
struct Trajectory {
    std::uint32_t hexId = 0x4b1805;
    std::string callsign = "DLH123";
    std::string type = "A320";
    std::string registration = "D-AIPX";
    std::string origin = "EDDF";
    std::string destination = "EGLL";
    double lat = 50.0;
    double lon = 8.0;
    double trackDeg = 90.0;
    double groundSpeedKt = 250.0;
    double altitudeFt = 8000.0; // 0 = on the ground
    double verticalRateFpm = 0.0;
    double startTime = 0.0; // feed time at (lat, lon)

    FeedRecord at(double recordTime) const;
};

// A trajectory from feed time 1.7e9 on.
Trajectory trackOf(std::uint32_t hexId, const std::string& callsign, double lat = 50.0, double lon = 8.0);
// Applies `count` samples of the trajectory at its start time + 5 s x i, due from firstDue on, 500 ticks apart.
void applySamples(const Trajectory& t, int count, std::uint32_t firstDue);

// Feed time t of a record is due at tick (t - epoch) x 100: the start-up snapshots are sampled at
// epoch + 0, 6, 12, 18, 24 s, a loop batch delivered at tick g at epoch + 30 + g / 100.
class SyntheticFeed {
public:
    explicit SyntheticFeed(double epoch = 1.7e9) : m_epoch(epoch) {}
    std::vector<Trajectory> tracks;
    bool stopped = false; // the loop delivers nothing more

    double epoch() const { return m_epoch; }
    std::vector<FeedRecord> snapshot(double recordTime) const;
    // The five start-up snapshots through the feed's hand-over (g_tick at 0 for a first run).
    void deliverStartup() const;
    // The loop answer of this pass when g_tick is a multiple of 200.
    void deliverLoop() const;

private:
    double m_epoch;
};

// Runs tick passes back to back: the traffic pass, then one simulator frame.
class TickDriver {
public:
    explicit TickDriver(FakeSimLink& sim) : m_sim(sim) {}
    std::function<void()> beforePass; // e.g. a feed's delivery
    std::function<void()> afterPass;  // e.g. observations

    void pass();
    void run(int passes);
    // Passes until the condition holds (checked after each pass); false after `limit` passes.
    bool runUntil(const std::function<bool()>& condition, int limit);

private:
    FakeSimLink& m_sim;
};

// Every test: its own folder and log, options at their defaults, a small aircraft database and
// livery tables, the fake simulator installed, a fresh traffic state with g_tick 0, the
// simulator running and the run going; the user aircraft parked 20 nm west of 50 N 8 E.
class TrafficTest : public ::testing::Test {
protected:
    TrafficTest();
    ~TrafficTest() override;

    void setUser(double lat, double lon, double altitudeFt, bool onGround);
    // A fresh traffic state with g_tick 0 for a second run in the same test, as at the start.
    void restart();

    testsupport::LoggedFolder folder;
    std::shared_ptr<FakeSimLink> sim = std::make_shared<FakeSimLink>();
    TickDriver driver{*sim};
};

// Distance in metres between two positions handed to the simulator.
double metresBetween(const AiPosition& a, const AiPosition& b);

} // namespace traffictest
