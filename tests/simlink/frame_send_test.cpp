// The hand-over queues and what each frame sends to the simulator.
#include "simlink_fixture.h"

#include "foundation/shell_state.h"
#include "simlink/frame_send.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_request_error.h"

#include <condition_variable>
#include <fmt/format.h>
#include <future>

using testsupport::SimLinkTest;

namespace {

CreateRequest makeRequest(const std::string& title, const std::string& callsign, std::uint32_t hexId)
{
    CreateRequest r;
    r.initPos = {50.0, 8.0, 0.0, 0.0, 0.0, 90.0, 1, 0};
    r.callsign = callsign;
    r.liveryTitle = title;
    r.hexId = hexId;
    return r;
}

// Holds g_simConnectMutex on a thread of its own, as the tick does, until released.
class MutexHolder {
public:
    MutexHolder()
    {
        std::promise<void> held;
        auto heldFuture = held.get_future();
        m_thread = std::thread([this, held = std::move(held)]() mutable {
            std::lock_guard lock(g_simConnectMutex);
            held.set_value();
            std::unique_lock wait(m_mutex);
            m_cv.wait(wait, [this] { return m_release; });
        });
        heldFuture.wait();
    }
    ~MutexHolder() { release(); }
    void release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_release = true;
        }
        m_cv.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_release = false;
    std::thread m_thread;
};

} // namespace

class FrameSendTest : public SimLinkTest {
protected:
    void SetUp() override
    {
        SimLinkTest::SetUp();
        gf_resetSimClientQueues();
        connect();
        pump();
        g_userObjectId = SimModel::userObjectId; // as the user-data answers set it
    }

    // Creates one own aircraft the way the program does and returns its object id.
    std::uint32_t createOwn(const std::string& callsign, std::uint32_t hexId)
    {
        gf_queueCreate(makeRequest("Airliner A", callsign, hexId));
        frame(4);
        {
            std::lock_guard lock(g_simConnectMutex);
            SimConnect_RequestDataOnSimObjectType(g_hSimConnect, REQ_AC_WITHIN_RANGE, DEF_AC_BY_TYPE, 10000,
                                                  SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
        }
        frame(2);
        for (const auto& e : gf_takeObjectList())
            if (e.hexIdOrOnGround == hexId && e.kind <= OBJ_OWN_STATIC_CREATED)
                return e.objectId;
        ADD_FAILURE() << callsign << " was not reported";
        return 0;
    }

    void handOver(const std::vector<AiPosition>& positions)
    {
        g_posFront->insert(g_posFront->end(), positions.begin(), positions.end());
        std::lock_guard lock(g_simConnectMutex);
        std::swap(g_posFront, g_posBack);
    }
};

TEST_F(FrameSendTest, CreationReachesTheSimulatorOnTheNextFrameAndIsMatchedByItsAtcId)
{
    gf_queueCreate(makeRequest("Airliner A", "TRW123", 0xABCDEF));
    EXPECT_EQ(countCalls("AICreateNonATCAircraft"), 0);
    frame();
    EXPECT_EQ(countCalls(R"(AICreateNonATCAircraft("Airliner A", "TRW123", 50, 8, 0, 1, 104))"), 1);
    EXPECT_TRUE(g_createQueue.empty());
    ASSERT_EQ(g_pendingCreates.size(), 1u);
    EXPECT_GT(g_pendingCreates[0].packetId, 0u);
    EXPECT_EQ(g_pendingCreates[0].hexId, 0xABCDEFu);
    EXPECT_EQ(g_pendingCreates[0].atcId, "TRW123");

    frame(3); // the aircraft appears
    ASSERT_EQ(g_addedObjectIds.size(), 1u);
    const std::uint32_t id = g_addedObjectIds[0];
    {
        std::lock_guard lock(g_simConnectMutex);
        SimConnect_RequestDataOnSimObjectType(g_hSimConnect, REQ_AC_WITHIN_RANGE, DEF_AC_BY_TYPE, 10000,
                                              SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    }
    frame();
    const auto reports = gf_takeObjectList();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].objectId, id);
    EXPECT_EQ(reports[0].hexIdOrOnGround, 0xABCDEFu);
    EXPECT_EQ(reports[0].kind, OBJ_OWN_LIVE_CREATED);
    EXPECT_DOUBLE_EQ(reports[0].valueB, model->aiObject(id)->altAboveGroundFt());
    EXPECT_TRUE(g_pendingCreates.empty());
    EXPECT_TRUE(g_addedObjectIds.empty());
    // frozen: AI control released at once, the freeze events sent by the frame event that followed
    const auto o = model->aiObject(id);
    EXPECT_TRUE(o->releasedControl);
    EXPECT_TRUE(o->freezeLatLon && o->freezeAltitude && o->freezeAttitude);

    // a static aircraft (hex id 10000 or below) is reported as kind 1 without a height
    const auto staticId = createOwn("12345*", 10000);
    EXPECT_NE(staticId, 0u);
}

TEST_F(FrameSendTest, RefusedCreationIsMatchedByItsPacketId)
{
    gf_queueCreate(makeRequest("Airliner A", "OK1", 20000));
    gf_queueCreate(makeRequest("Title Not Installed", "BAD1", 30000));
    frame();
    ASSERT_EQ(g_pendingCreates.size(), 2u);
    EXPECT_EQ(g_pendingCreates[1].packetId, g_pendingCreates[0].packetId + 1); // asking for the packet id sends nothing
    frame();
    const auto reports = gf_takeObjectList();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].objectId, 0u);
    EXPECT_EQ(reports[0].hexIdOrOnGround, 30000u);
    EXPECT_EQ(reports[0].kind, OBJ_CREATE_REFUSED);
    ASSERT_EQ(g_pendingCreates.size(), 1u);
    EXPECT_EQ(g_pendingCreates[0].atcId, "OK1");
}

TEST_F(FrameSendTest, TheCreationOwnsItsTitle)
{
    {
        std::string title = "Bizjet B";
        CreateRequest r = makeRequest(title, "OWN1", 20001);
        title.assign(40, 'x'); // the livery tables change under a waiting creation
        gf_queueCreate(r);
    }
    frame();
    EXPECT_EQ(countCalls(R"(AICreateNonATCAircraft("Bizjet B", "OWN1")"), 1);
}

TEST_F(FrameSendTest, PositionsAreSetOnEveryFrameButNeverOnTheUser)
{
    const auto id = createOwn("POS1", 40000);
    ASSERT_NE(id, 0u);
    handOver({{50.1, 8.1, -0.02, 0.1, 1.5, 1200.0, 5.0, 140.0, id}, {1.0, 1.0, 0, 0, 0, 0, 0, 0, 1}});
    frame();
    auto o = model->aiObject(id);
    EXPECT_DOUBLE_EQ(o->lat, 50.1);
    EXPECT_DOUBLE_EQ(o->altFt, 1200.0);
    EXPECT_NEAR(o->headingDeg, 1.5 * 180.0 / 3.14159265358979323846, 1e-9);
    EXPECT_DOUBLE_EQ(o->trueAirspeedKts, 140.0);
    EXPECT_TRUE(g_posBack->empty());
    handOver({{50.2, 8.2, 0, 0, 0, 1300.0, 0, 150.0, id}});
    frame();
    o = model->aiObject(id);
    EXPECT_DOUBLE_EQ(o->lat, 50.2);
    EXPECT_EQ(o->positionUpdates, 2u);
    EXPECT_EQ(countCalls("SetDataOnSimObject(402, 1,"), 0);
    EXPECT_DOUBLE_EQ(model->userAircraft().lat, 50.0);
}

TEST_F(FrameSendTest, ABusyMutexDropsTheFrameSendAndTheNextFrameSendsEverythingInOrder)
{
    const auto id = createOwn("BUSY1", 40001);
    model->clearCallLog();
    handOver({{50.3, 8.3, 0, 0, 0, 500.0, 0, 0, id}});
    gf_queueClientEvent({id, EVENT_GEAR_SET, 0});
    gf_queueClientEvent({id, EVENT_NAV_LIGHTS, 1});
    {
        MutexHolder tick;
        frame();
        EXPECT_TRUE(model->callLog().empty());
        EXPECT_EQ(g_eventQueue.size(), 2u);
    }
    frame();
    const auto log = model->callLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], fmt::format("SetDataOnSimObject(402, {}, 0, 64)", id));
    EXPECT_EQ(log[1], fmt::format("TransmitClientEvent({}, 219, 0, 301)", id));
    EXPECT_EQ(log[2], fmt::format("TransmitClientEvent({}, 207, 1, 301)", id));
    EXPECT_FALSE(model->aiObject(id)->gearDown);
    EXPECT_TRUE(model->aiObject(id)->navLights);
}

TEST_F(FrameSendTest, FlapsAreSetWithAiControlReleasedAroundThem)
{
    const auto id = createOwn("FLAP1", 40002);
    frame(); // the freeze events
    model->clearCallLog();
    gf_queueClientEvent({id, EVENT_FLAPS_SET, 8000});
    frame();
    const std::vector<std::string> expected{fmt::format("AIReleaseControl({}, 103)", id),
                                            fmt::format("TransmitClientEvent({}, 217, 8000, 301)", id),
                                            fmt::format("AIReleaseControl({}, 103)", id)};
    EXPECT_EQ(model->callLog(), expected);

    model->clearCallLog();
    model->failCall("TransmitClientEvent", 1);
    gf_queueClientEvent({id, EVENT_FLAPS_SET, 0});
    gf_queueClientEvent({id, EVENT_CABIN_LIGHTS, 1});
    frame();
    const std::vector<std::string> failed{fmt::format("AIReleaseControl({}, 103)", id),
                                          fmt::format("TransmitClientEvent({}, 217, 0, 301)", id),
                                          fmt::format("TransmitClientEvent({}, 211, 1, 301)", id)};
    EXPECT_EQ(model->callLog(), failed);
    EXPECT_TRUE(folder.logHas("SimConnect TransmitClientEvent: 217 fails"));
    EXPECT_TRUE(model->aiObject(id)->cabinLights);
    EXPECT_FALSE(g_simRequestError); // a failed event does not end the run
}

TEST_F(FrameSendTest, LightsGoOutInTheirFixedOrder)
{
    const auto id = createOwn("LIGHT1", 40003);
    frame();
    gf_setLights(id, {1, 1, 0, 1, 0, 1, 1});
    ASSERT_EQ(g_eventQueue.size(), 7u);
    const std::vector<std::uint32_t> order{207, 206, 210, 208, 209, 212, 211};
    const std::vector<std::uint32_t> values{1, 1, 0, 1, 0, 1, 1};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(g_eventQueue[i].objectId, id);
        EXPECT_EQ(g_eventQueue[i].eventId, order[i]);
        EXPECT_EQ(g_eventQueue[i].value, values[i]);
    }
    gf_setCabinLights(id, 0);
    frame();
    const auto o = model->aiObject(id);
    EXPECT_TRUE(o->navLights);
    EXPECT_TRUE(o->beaconLights);
    EXPECT_FALSE(o->landingLights);
    EXPECT_TRUE(o->taxiLights);
    EXPECT_FALSE(o->strobeLights);
    EXPECT_TRUE(o->logoLights);
    EXPECT_FALSE(o->cabinLights);
}

TEST_F(FrameSendTest, SpoilersAndThrottlesTakeTheirTriples)
{
    const auto id = createOwn("SPOIL1", 40004);
    const auto triple = [&] {
        const auto o = model->aiObject(id);
        return std::vector<double>{o->spoilersPercent, o->throttle1Percent, o->throttle2Percent};
    };
    gf_setSpoilersAndThrottle(id, true, false);
    EXPECT_EQ(triple(), (std::vector<double>{100, 100, 100}));
    gf_setSpoilersAndThrottle(id, true, true);
    EXPECT_EQ(triple(), (std::vector<double>{100, -100, -100}));
    gf_setSpoilersAndThrottle(id, false, true);
    EXPECT_EQ(triple(), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(countCalls(fmt::format("SetDataOnSimObject(401, {}, 0, 24)", id)), 3);
}

TEST_F(FrameSendTest, RemovalsNeverTouchTheUserAndAFailedOneEndsTheRun)
{
    const auto id = createOwn("REM1", 40005);
    const auto id2 = createOwn("REM2", 40006);
    {
        std::lock_guard lock(g_simConnectMutex);
        g_removeQueue = {0, 1, id};
    }
    frame();
    EXPECT_TRUE(folder.logHas("===> SimConnect call to remove ac with objectid 0"));
    EXPECT_TRUE(folder.logHas("===> SimConnect call to remove ac with objectid 1"));
    EXPECT_EQ(countCalls("AIRemoveObject(1,"), 0);
    frame();
    EXPECT_FALSE(model->aiObject(id).has_value());
    const auto reports = gf_takeObjectList();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].kind, OBJ_REMOVED);
    EXPECT_EQ(reports[0].objectId, id);

    model->failCall("AIRemoveObject", 1);
    gf_queueCreate(makeRequest("Airliner A", "SAME1", 40007));
    {
        std::lock_guard lock(g_simConnectMutex);
        g_removeQueue = {id2};
    }
    frame();
    const auto lines = folder.logLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.rfind("===> ", 0) == 0 &&
               l.find(fmt::format(" !SimConnect call to remove AI ac from sim failed, id {}?", id2)) == 13;
    }));
    EXPECT_TRUE(folder.logHas("SimConnect request error"));
    EXPECT_TRUE(g_simRequestError);
    EXPECT_EQ(g_runState, RunState::SimConnectError);
    EXPECT_EQ(g_restartDelay, 9);
    EXPECT_EQ(countCalls(R"(AICreateNonATCAircraft("Airliner A", "SAME1")"), 1); // the rest of that frame was sent
}

TEST_F(FrameSendTest, AFailedCreationIsLoggedAndEndsTheRun)
{
    model->failCall("AICreateNonATCAircraft", 1);
    gf_queueCreate(makeRequest("Airliner A", "FAIL1", 11259375));
    frame();
    EXPECT_TRUE(folder.logHas(
        "===> ! Simcon call to create ac in sim failed, hexid:11259375, liv: 'Airliner A', callsign: FAIL1)"));
    EXPECT_TRUE(g_pendingCreates.empty());
    EXPECT_TRUE(g_simRequestError);
    EXPECT_EQ(g_runState, RunState::SimConnectError);
}

TEST_F(FrameSendTest, AfterARequestErrorQueuedWorkIsDroppedUnsent)
{
    const auto id = createOwn("DROP1", 40008);
    model->clearCallLog();
    g_simRequestError = true;
    handOver({{50.4, 8.4, 0, 0, 0, 0, 0, 0, id}});
    gf_queueClientEvent({id, EVENT_GEAR_SET, 1});
    gf_queueCreate(makeRequest("Airliner A", "DROP2", 40009));
    {
        std::lock_guard lock(g_simConnectMutex);
        g_removeQueue = {id};
    }
    frame();
    EXPECT_TRUE(model->callLog().empty());
    EXPECT_TRUE(g_posBack->empty());
    EXPECT_TRUE(g_eventQueue.empty());
    EXPECT_TRUE(g_createQueue.empty());
    EXPECT_TRUE(g_removeQueue.empty());
}

TEST_F(FrameSendTest, OnlyTheFirstRequestErrorSetsTheRunState)
{
    gf_onSimConnectRequestError();
    g_restartDelay = 3; // nothing may overwrite it now
    gf_onSimConnectRequestError();
    EXPECT_EQ(g_runState, RunState::SimConnectError);
    EXPECT_EQ(g_restartDelay, 3);
    const auto lines = folder.logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "SimConnect request error"), 2);
    EXPECT_EQ(gf_statusLine().text, "SimConnect request error");
}

TEST_F(FrameSendTest, ResetReservesRoomWithoutEmptyingTheQueues)
{
    gf_queueCreate(makeRequest("Airliner A", "KEEP1", 40010));
    g_simRequestError = true;
    gf_resetSimClientQueues();
    EXPECT_FALSE(g_simRequestError);
    EXPECT_EQ(g_createQueue.size(), 1u);
    EXPECT_GE(g_createQueue.capacity(), 256u);
    EXPECT_GE(g_posBuffers[0].capacity(), 256u);
    EXPECT_GE(g_posBuffers[1].capacity(), 256u);
    EXPECT_GE(g_removeQueue.capacity(), 256u);
    EXPECT_GE(g_pendingCreates.capacity(), 256u);
    EXPECT_GE(g_addedObjectIds.capacity(), 256u);
}
