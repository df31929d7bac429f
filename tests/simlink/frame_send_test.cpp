// The hand-over queues and what each frame sends to the simulator.
#include "simlink_fixture.h"

#include "foundation/shell_state.h"
#include "simlink/frame_send.h"
#include "simlink/sim_request_error.h"

#include <fmt/format.h>
#include <latch>

using testsupport::makeRequest;
using testsupport::Report;
using testsupport::SimLinkTest;
using testsupport::takeReports;

namespace {

// Holds g_simConnectMutex on a thread of its own, as the tick does, while it lives.
struct MutexHolder {
    MutexHolder() { held.wait(); }
    ~MutexHolder() { release.count_down(); }
    std::latch held{1};
    std::latch release{1};
    std::jthread thread{[this] {
        std::lock_guard lock(g_simConnectMutex);
        held.count_down();
        release.wait();
    }};
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

    void handOver(const std::vector<AiPosition>& positions)
    {
        g_posFront->insert(g_posFront->end(), positions.begin(), positions.end());
        std::lock_guard lock(g_simConnectMutex);
        std::swap(g_posFront, g_posBack);
    }
    void queueRemovals(const std::vector<std::uint32_t>& ids)
    {
        std::lock_guard lock(g_simConnectMutex);
        g_removeQueue = ids;
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
    EXPECT_EQ((std::tuple{g_pendingCreates[0].hexId, g_pendingCreates[0].atcId}), (std::tuple{0xABCDEFu, "TRW123"}));

    frame(3); // the aircraft appears
    ASSERT_EQ(g_addedObjectIds.size(), 1u);
    const std::uint32_t id = g_addedObjectIds[0];
    requestInRange();
    frame();
    const auto o = model->aiObject(id);
    EXPECT_EQ(takeReports(), (std::vector<Report>{{id, 0xABCDEF, OBJ_OWN_LIVE_CREATED, 0.0, o->altAboveGroundFt()}}));
    EXPECT_TRUE(g_pendingCreates.empty() && g_addedObjectIds.empty());
    // frozen: AI control released at once, the freeze events sent by the frame event that followed
    EXPECT_TRUE(o->releasedControl && o->freezeLatLon && o->freezeAltitude && o->freezeAttitude);

    // a static aircraft (hex id 10000 or below) is reported as kind 1 without a height
    EXPECT_NE(createOwn("12345*", 10000), 0u);
}

TEST_F(FrameSendTest, RefusedCreationIsMatchedByItsPacketId)
{
    gf_queueCreate(makeRequest("Airliner A", "OK1", 20000));
    gf_queueCreate(makeRequest("Title Not Installed", "BAD1", 30000));
    frame();
    ASSERT_EQ(g_pendingCreates.size(), 2u);
    EXPECT_EQ(g_pendingCreates[1].packetId, g_pendingCreates[0].packetId + 1); // asking for the packet id sends nothing
    frame();
    EXPECT_EQ(takeReports(), (std::vector<Report>{{0, 30000, OBJ_CREATE_REFUSED, 0.0, 0.0}}));
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
    EXPECT_EQ((std::tuple{o->lat, o->lon, o->altFt, o->verticalSpeedFps, o->trueAirspeedKts}),
              (std::tuple{50.1, 8.1, 1200.0, 5.0, 140.0}));
    constexpr double degPerRad = 180.0 / 3.14159265358979323846;
    EXPECT_NEAR(o->pitchDeg, -0.02 * degPerRad, 1e-9);
    EXPECT_NEAR(o->bankDeg, 0.1 * degPerRad, 1e-9);
    EXPECT_NEAR(o->headingDeg, 1.5 * degPerRad, 1e-9);
    EXPECT_TRUE(g_posBack->empty());
    handOver({{50.2, 8.2, 0, 0, 0, 1300.0, 0, 150.0, id}});
    frame();
    o = model->aiObject(id);
    EXPECT_EQ((std::tuple{o->lat, o->positionUpdates}), (std::tuple{50.2, 2u}));
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
    EXPECT_EQ(model->callLog(), (std::vector<std::string>{fmt::format("SetDataOnSimObject(402, {}, 0, 64)", id),
                                                          fmt::format("TransmitClientEvent({}, 219, 0, 301)", id),
                                                          fmt::format("TransmitClientEvent({}, 207, 1, 301)", id)}));
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
    const std::string release = fmt::format("AIReleaseControl({}, 103)", id);
    EXPECT_EQ(model->callLog(), (std::vector<std::string>{
                                    release, fmt::format("TransmitClientEvent({}, 217, 8000, 301)", id), release}));

    model->clearCallLog();
    model->failCall("TransmitClientEvent", 1);
    gf_queueClientEvent({id, EVENT_FLAPS_SET, 0});
    gf_queueClientEvent({id, EVENT_CABIN_LIGHTS, 1});
    frame();
    EXPECT_EQ(model->callLog(),
              (std::vector<std::string>{release, fmt::format("TransmitClientEvent({}, 217, 0, 301)", id),
                                        fmt::format("TransmitClientEvent({}, 211, 1, 301)", id)}));
    EXPECT_TRUE(folder.logHas("SimConnect TransmitClientEvent: 217 fails"));
    EXPECT_TRUE(model->aiObject(id)->cabinLights);
    EXPECT_FALSE(g_simRequestError); // a failed event does not end the run
}

TEST_F(FrameSendTest, LightsGoOutInTheirFixedOrder)
{
    const auto id = createOwn("LIGHT1", 40003);
    frame();
    gf_setLights(id, {1, 1, 0, 1, 0, 1, 1}); // nav, beacon, landing, taxi, strobe, logo, cabin
    std::vector<std::uint32_t> queued;
    for (const ClientEvent& e : g_eventQueue)
        queued.push_back(e.objectId == id ? e.eventId : 0);
    EXPECT_EQ(queued, (std::vector<std::uint32_t>{207, 206, 210, 208, 209, 212, 211}));
    gf_setCabinLights(id, 0);
    frame();
    const auto o = model->aiObject(id);
    EXPECT_EQ((std::array{o->navLights, o->beaconLights, o->landingLights, o->taxiLights, o->strobeLights,
                          o->logoLights, o->cabinLights}),
              (std::array{true, true, false, true, false, true, false}));
}

TEST_F(FrameSendTest, EngineSpoilerThrottleAndToggleEventsReachTheirControls)
{
    const auto id = createOwn("ENG1", 40011);
    const auto controls = [&](std::uint32_t event, std::uint32_t value) {
        gf_queueClientEvent({id, event, value});
        frame();
        const auto o = model->aiObject(id);
        return std::tuple{o->enginesRunning, o->spoilersPercent, o->throttle1Percent, o->navLights};
    };
    EXPECT_EQ(controls(EVENT_ENGINE_AUTO_START, 0), (std::tuple{true, 0.0, 0.0, false}));
    EXPECT_EQ(controls(EVENT_SPOILERS_SET, 16383), (std::tuple{true, 100.0, 0.0, false}));
    EXPECT_EQ(controls(EVENT_THROTTLE_SET, 16383), (std::tuple{true, 100.0, 100.0, false}));
    EXPECT_EQ(controls(EVENT_ALL_LIGHTS_TOGGLE, 0), (std::tuple{true, 100.0, 100.0, true}));
    EXPECT_EQ(controls(EVENT_ENGINE_AUTO_SHUTDOWN, 0), (std::tuple{false, 100.0, 100.0, true}));
}

TEST_F(FrameSendTest, SpoilersAndThrottlesTakeTheirTriples)
{
    const auto id = createOwn("SPOIL1", 40004);
    const auto triple = [&](bool on, bool reverse) {
        gf_setSpoilersAndThrottle(id, on, reverse);
        const auto o = model->aiObject(id);
        return std::array{o->spoilersPercent, o->throttle1Percent, o->throttle2Percent};
    };
    EXPECT_EQ(triple(true, false), (std::array{100.0, 100.0, 100.0}));
    EXPECT_EQ(triple(true, true), (std::array{100.0, -100.0, -100.0}));
    EXPECT_EQ(triple(false, true), (std::array{0.0, 0.0, 0.0}));
    EXPECT_EQ(countCalls(fmt::format("SetDataOnSimObject(401, {}, 0, 24)", id)), 3);
}

TEST_F(FrameSendTest, RemovalsNeverTouchTheUserAndAFailedOneEndsTheRun)
{
    const auto id = createOwn("REM1", 40005);
    const auto id2 = createOwn("REM2", 40006);
    queueRemovals({0, 1, id});
    frame();
    EXPECT_TRUE(folder.logHas("===> SimConnect call to remove ac with objectid 0"));
    EXPECT_TRUE(folder.logHas("===> SimConnect call to remove ac with objectid 1"));
    EXPECT_EQ(countCalls("AIRemoveObject(1,"), 0);
    frame();
    EXPECT_FALSE(model->aiObject(id).has_value());
    EXPECT_EQ(takeReports(), (std::vector<Report>{{id, 0, OBJ_REMOVED, 0.0, 0.0}}));

    model->failCall("AIRemoveObject", 1);
    gf_queueCreate(makeRequest("Airliner A", "SAME1", 40007));
    queueRemovals({id2});
    frame();
    const auto lines = folder.logLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.rfind("===> ", 0) == 0 &&
               l.find(fmt::format(" !SimConnect call to remove AI ac from sim failed, id {}?", id2)) == 13;
    }));
    EXPECT_TRUE(folder.logHas("SimConnect request error"));
    EXPECT_EQ((std::tuple{g_simRequestError.load(), g_runState.load(), g_restartDelay.load()}),
              (std::tuple{true, RunState::SimConnectError, 9}));
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
    EXPECT_EQ((std::tuple{g_simRequestError.load(), g_runState.load()}), (std::tuple{true, RunState::SimConnectError}));
}

TEST_F(FrameSendTest, AfterARequestErrorQueuedWorkIsDroppedUnsent)
{
    const auto id = createOwn("DROP1", 40008);
    model->clearCallLog();
    g_simRequestError = true;
    handOver({{50.4, 8.4, 0, 0, 0, 0, 0, 0, id}});
    gf_queueClientEvent({id, EVENT_GEAR_SET, 1});
    gf_queueCreate(makeRequest("Airliner A", "DROP2", 40009));
    queueRemovals({id});
    frame();
    EXPECT_TRUE(model->callLog().empty());
    EXPECT_TRUE(g_posBack->empty() && g_eventQueue.empty() && g_createQueue.empty() && g_removeQueue.empty());
}

TEST_F(FrameSendTest, OnlyTheFirstRequestErrorSetsTheRunState)
{
    gf_onSimConnectRequestError();
    g_restartDelay = 3; // nothing may overwrite it now
    gf_onSimConnectRequestError();
    EXPECT_EQ((std::tuple{g_runState.load(), g_restartDelay.load()}), (std::tuple{RunState::SimConnectError, 3}));
    const auto lines = folder.logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "SimConnect request error"), 2);
    EXPECT_EQ(gf_statusLine().text, "SimConnect request error");
}

TEST_F(FrameSendTest, ResetClearsTheRequestErrorWithoutEmptyingTheQueues)
{
    gf_queueCreate(makeRequest("Airliner A", "KEEP1", 40010));
    g_simRequestError = true;
    gf_resetSimClientQueues();
    EXPECT_FALSE(g_simRequestError);
    EXPECT_EQ(g_createQueue.size(), 1u);
}
