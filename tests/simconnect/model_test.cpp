// The embedded simulator model as a client sees it through the interface.
#include "model_support.h"

#include "simconnect/sim_model.h"
#include "support/temp_folder.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>

using testsupport::ModelClient;
using testsupport::Received;
using testsupport::testScenario;

namespace {

constexpr double g_radPerDeg = 3.14159265358979323846 / 180.0;

SIMCONNECT_DATA_INITPOSITION initPos(double lat, double lon, bool onGround, double alt = 0.0)
{
    SIMCONNECT_DATA_INITPOSITION p{};
    p.Latitude = lat;
    p.Longitude = lon;
    p.Altitude = alt;
    p.Heading = 270.0;
    p.OnGround = onGround ? 1 : 0;
    p.Airspeed = onGround ? 0 : 250;
    return p;
}

// Creates an aircraft through `client` and steps until it appears; returns its object id.
std::uint32_t createAircraft(SimModel& model, ModelClient& client, const char* title, const char* tail, double lat,
                             double lon)
{
    EXPECT_GE(model.aiCreateNonAtcAircraft(client.handle(), title, tail, initPos(lat, lon, true), 104), 0);
    for (int i = 0; i < 10; ++i)
        for (const auto& r : client.step())
            if (r.id() == SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID)
                return r.as<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>().dwObjectID;
    ADD_FAILURE() << "aircraft " << tail << " never appeared";
    return 0;
}

// Definition 402 as the program sends an AI object's pose: lat, lon (degrees), pitch, bank,
// heading (radians), altitude (ft), vertical speed (ft/s), true airspeed (kt).
void definePose(SimModel& model, HSIMCONNECT h)
{
    for (const char* v : {"Plane Latitude", "Plane Longitude"})
        model.addToDataDefinition(h, 402, v, "degree", SIMCONNECT_DATATYPE_FLOAT64, 0, SIMCONNECT_UNUSED);
    for (const char* v : {"Plane Pitch degrees", "Plane Bank degrees", "Plane Heading degrees true"})
        model.addToDataDefinition(h, 402, v, "radians", SIMCONNECT_DATATYPE_FLOAT64, 0, SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 402, "Plane Altitude", "feet", SIMCONNECT_DATATYPE_FLOAT64, 0, SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 402, "Vertical Speed", "feet per second", SIMCONNECT_DATATYPE_FLOAT64, 0,
                              SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 402, "Airspeed True", "knots", SIMCONNECT_DATATYPE_FLOAT64, 0, SIMCONNECT_UNUSED);
}

std::vector<SIMCONNECT_RECV_EXCEPTION> exceptionsOf(const std::vector<Received>& got)
{
    std::vector<SIMCONNECT_RECV_EXCEPTION> result;
    for (const auto& r : ModelClient::only(got, SIMCONNECT_RECV_ID_EXCEPTION))
        result.push_back(r.as<SIMCONNECT_RECV_EXCEPTION>());
    return result;
}

} // namespace

TEST(SimModel, OpenAnswersWithTheScenarioSimulatorAndClosedHandlesFail)
{
    SimModel model(testScenario());
    ModelClient client(model);
    ASSERT_NE(client.handle(), nullptr);
    const auto got = client.dispatch();
    ASSERT_EQ(got.size(), 1u);
    const auto open = got[0].as<SIMCONNECT_RECV_OPEN>();
    EXPECT_EQ(open.dwID, SIMCONNECT_RECV_ID_OPEN);
    EXPECT_EQ(open.dwSize, sizeof(SIMCONNECT_RECV_OPEN));
    EXPECT_STREQ(open.szApplicationName, "KittyHawk");
    EXPECT_EQ(open.dwApplicationVersionMajor, 11u);
    EXPECT_EQ(open.dwApplicationBuildMajor, 282174u);
    EXPECT_EQ(open.dwApplicationBuildMinor, 999u);

    EXPECT_GE(model.close(client.handle()), 0);
    EXPECT_LT(model.close(client.handle()), 0);
    EXPECT_LT(model.subscribeToSystemEvent(client.handle(), 1, "Frame"), 0);
    EXPECT_LT(model.callDispatch(client.handle(), [](SIMCONNECT_RECV*, std::uint32_t, void*) {}, nullptr), 0);
    std::uint32_t packet = 0;
    EXPECT_LT(model.getLastSentPacketId(client.handle(), &packet), 0);
    EXPECT_LT(model.subscribeToSystemEvent(reinterpret_cast<HSIMCONNECT>(std::uintptr_t{0x5150}), 1, "Sim"), 0);
}

TEST(SimModel, UnreachableSimulatorRefusesEveryOpen)
{
    SimModel model(testScenario());
    model.setReachable(false);
    ModelClient refused(model);
    EXPECT_EQ(refused.handle(), nullptr);
    EXPECT_EQ(model.openSessions(), 0);
    model.setReachable(true);
    ModelClient accepted(model);
    EXPECT_NE(accepted.handle(), nullptr);
    EXPECT_EQ(model.openAttempts(), 2);
}

TEST(SimModel, PacketIdsAreCountedPerSession)
{
    SimModel model(testScenario());
    ModelClient a(model);
    ModelClient b(model);
    model.subscribeToSystemEvent(a.handle(), 1, "Frame");
    model.subscribeToSystemEvent(a.handle(), 2, "Sim");
    model.mapClientEventToSimEvent(a.handle(), 3, "GEAR_SET");
    model.subscribeToSystemEvent(b.handle(), 1, "Frame");
    std::uint32_t packetA = 0;
    std::uint32_t packetB = 0;
    ASSERT_GE(model.getLastSentPacketId(a.handle(), &packetA), 0);
    ASSERT_GE(model.getLastSentPacketId(b.handle(), &packetB), 0);
    EXPECT_EQ(packetA, packetB + 2);
    // a call made to fail sends nothing
    model.failCall("MapClientEventToSimEvent", 1);
    EXPECT_LT(model.mapClientEventToSimEvent(a.handle(), 4, "FLAPS_SET"), 0);
    EXPECT_GE(model.mapClientEventToSimEvent(a.handle(), 4, "FLAPS_SET"), 0);
    std::uint32_t after = 0;
    model.getLastSentPacketId(a.handle(), &after);
    EXPECT_EQ(after, packetA + 1);
}

TEST(SimModel, SimStateComesAtOnceAndOnEveryChange)
{
    SimModel model(testScenario());
    ModelClient client(model);
    client.dispatch();
    model.subscribeToSystemEvent(client.handle(), 201, "Sim");
    auto got = client.dispatch(); // no frame needed
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].as<SIMCONNECT_RECV_EVENT>().uEventID, 201u);
    EXPECT_EQ(got[0].as<SIMCONNECT_RECV_EVENT>().dwData, 1u);
    model.setSimRunning(false);
    model.setSimRunning(false); // no change, no message
    got = client.dispatch();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].as<SIMCONNECT_RECV_EVENT>().dwData, 0u);
    // while the simulator is stopped its clock stands still
    const double before = model.simSeconds();
    model.step(5);
    EXPECT_EQ(model.simSeconds(), before);
}

TEST(SimModel, FramesCarryTheFrameRateAndOtherSystemEventsArrive)
{
    SimModel model(testScenario());
    ModelClient client(model);
    client.dispatch();
    model.subscribeToSystemEvent(client.handle(), 204, "Frame");
    model.subscribeToSystemEvent(client.handle(), 205, "FlightLoaded");
    model.subscribeToSystemEvent(client.handle(), 9, "NoSuchEvent");
    std::uint32_t badPacket = 0;
    model.getLastSentPacketId(client.handle(), &badPacket);
    auto got = client.step(2);
    const auto exceptions = exceptionsOf(got);
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_EQ(exceptions[0].dwException, SIMCONNECT_EXCEPTION_NAME_UNRECOGNIZED);
    EXPECT_EQ(exceptions[0].dwSendID, badPacket);
    auto frames = ModelClient::only(got, SIMCONNECT_RECV_ID_EVENT_FRAME);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].as<SIMCONNECT_RECV_EVENT_FRAME>().fFrameRate, 10.0f);
    EXPECT_EQ(frames[0].as<SIMCONNECT_RECV_EVENT_FRAME>().uEventID, 204u);
    model.setFrameRate(45.0f);
    frames = ModelClient::only(client.step(), SIMCONNECT_RECV_ID_EVENT_FRAME);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].as<SIMCONNECT_RECV_EVENT_FRAME>().fFrameRate, 45.0f);

    model.loadFlight("C:\\flights\\next.FLT");
    got = client.dispatch();
    ASSERT_EQ(got.size(), 1u);
    const auto file = got[0].as<SIMCONNECT_RECV_EVENT_FILENAME>();
    EXPECT_EQ(file.dwID, SIMCONNECT_RECV_ID_EVENT_FILENAME);
    EXPECT_EQ(file.uEventID, 205u);
    EXPECT_STREQ(file.szFileName, "C:\\flights\\next.FLT");
}

TEST(SimModel, DataIsAnsweredInMemberOrderAndUnits)
{
    SimModel model(testScenario());
    ModelClient client(model);
    client.dispatch();
    const auto h = client.handle();
    model.addToDataDefinition(h, 7, "Plane Latitude", "degree", SIMCONNECT_DATATYPE_FLOAT64, 0, SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 7, "PLANE HEADING DEGREES TRUE", "radians", SIMCONNECT_DATATYPE_FLOAT64, 0,
                              SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 7, "Plane Altitude", "meters", SIMCONNECT_DATATYPE_FLOAT64, 0, SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 7, "SIM ON GROUND", "Bool", SIMCONNECT_DATATYPE_INT64, 0, SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 7, "ATC ID", nullptr, SIMCONNECT_DATATYPE_STRING32, 0, SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 7, "TITLE", nullptr, SIMCONNECT_DATATYPE_STRINGV, 0, SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 7, "Plane Bank degrees", "furlongs", SIMCONNECT_DATATYPE_FLOAT64, 0,
                              SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 7, "No Such Variable", "feet", SIMCONNECT_DATATYPE_FLOAT64, 0, SIMCONNECT_UNUSED);
    EXPECT_EQ(exceptionsOf(client.dispatch()).size(), 2u); // the unit and the name refused, nothing added
    model.requestDataOnSimObject(h, 33, 7, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_ONCE);
    EXPECT_TRUE(client.dispatch().empty()); // answers come with the next frame
    const auto answers = ModelClient::only(client.step(), SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
    ASSERT_EQ(answers.size(), 1u);
    const auto& a = answers[0];
    const auto head = a.as<SIMCONNECT_RECV_SIMOBJECT_DATA>();
    EXPECT_EQ(head.dwRequestID, 33u);
    EXPECT_EQ(head.dwObjectID, SimModel::userObjectId);
    EXPECT_EQ(head.dwDefineID, 7u);
    EXPECT_EQ(head.dwDefineCount, 6u);
    EXPECT_DOUBLE_EQ(a.member<double>(0), 50.0);
    EXPECT_NEAR(a.member<double>(8), 90.0 * g_radPerDeg, 1e-12);
    EXPECT_DOUBLE_EQ(a.member<double>(16), 0.0);
    EXPECT_EQ(a.member<std::int64_t>(24), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(a.data() + 32), "D-TEST");
    EXPECT_STREQ(reinterpret_cast<const char*>(a.data() + 64), "Test Jet Livery");
    EXPECT_EQ(head.dwSize, sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) + 64 + 16);
    // once means once
    EXPECT_TRUE(ModelClient::only(client.step(3), SIMCONNECT_RECV_ID_SIMOBJECT_DATA).empty());
}

TEST(SimModel, EverySecondRequestsFollowSimulatedTimeAndTheClockRollsOverTheYear)
{
    SimModel model(testScenario()); // 10 frames per second, 10 s before 2024 begins
    ModelClient client(model);
    client.dispatch();
    const auto h = client.handle();
    model.addToDataDefinition(h, 1, "ZULU TIME", "Seconds", SIMCONNECT_DATATYPE_INT64, 0, SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 1, "ZULU DAY OF YEAR", "Number", SIMCONNECT_DATATYPE_INT64, 0, SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 1, "ZULU YEAR", "Number", SIMCONNECT_DATATYPE_INT64, 0, SIMCONNECT_UNUSED);
    model.requestDataOnSimObject(h, 108, 1, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND);
    std::vector<Received> answers;
    for (int i = 0; i < 150; ++i)
        for (const auto& r : ModelClient::only(client.step(), SIMCONNECT_RECV_ID_SIMOBJECT_DATA))
            answers.push_back(r);
    ASSERT_EQ(answers.size(), 15u);
    const auto& first = answers.front();
    EXPECT_EQ(first.member<std::int64_t>(0), 86390);
    EXPECT_EQ(first.member<std::int64_t>(8), 365);
    EXPECT_EQ(first.member<std::int64_t>(16), 2023);
    const auto& last = answers.back();
    EXPECT_EQ(last.member<std::int64_t>(8), 1);
    EXPECT_EQ(last.member<std::int64_t>(16), 2024);
    EXPECT_GE(last.member<std::int64_t>(0), 3);
    // period NEVER ends the request
    model.requestDataOnSimObject(h, 108, 1, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_NEVER);
    EXPECT_TRUE(ModelClient::only(client.step(30), SIMCONNECT_RECV_ID_SIMOBJECT_DATA).empty());
}

TEST(SimModel, RequestsByTypeAnswerEveryAircraftInTheRadiusUserFirst)
{
    SimModel model(testScenario());
    ModelClient client(model);
    client.dispatch();
    const auto h = client.handle();
    const auto near = createAircraft(model, client, "Airliner A", "NEAR1", 50.01, 8.0); // about 1.1 km
    const auto far = createAircraft(model, client, "Airliner A", "FAR1", 51.0, 8.0);
    ASSERT_NE(near, 0u);
    ASSERT_NE(far, 0u);
    model.addToDataDefinition(h, 404, "Plane Alt Above Ground", "feet", SIMCONNECT_DATATYPE_FLOAT64, 0,
                              SIMCONNECT_UNUSED);
    model.addToDataDefinition(h, 404, "ATC ID", nullptr, SIMCONNECT_DATATYPE_STRING32, 0, SIMCONNECT_UNUSED);
    model.requestDataOnSimObjectType(h, 101, 404, 5000, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    const auto answers = ModelClient::only(client.step(), SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].as<SIMCONNECT_RECV_SIMOBJECT_DATA>().dwObjectID, SimModel::userObjectId);
    EXPECT_EQ(answers[1].as<SIMCONNECT_RECV_SIMOBJECT_DATA>().dwObjectID, near);
    EXPECT_EQ(answers[1].as<SIMCONNECT_RECV_SIMOBJECT_DATA>().dwEntryNumber, 2u);
    EXPECT_EQ(answers[1].as<SIMCONNECT_RECV_SIMOBJECT_DATA>().dwOutOf, 2u);
    EXPECT_STREQ(reinterpret_cast<const char*>(answers[1].data() + 8), "NEAR1");
    // radius 0: the user aircraft alone; the request is not repeated
    model.requestDataOnSimObjectType(h, 101, 404, 0, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    EXPECT_EQ(ModelClient::only(client.step(), SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE).size(), 1u);
    EXPECT_TRUE(ModelClient::only(client.step(), SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE).empty());
}

TEST(SimModel, CreatedAircraftAppearAfterAFewFramesAndAreAnnounced)
{
    SimModel model(testScenario()); // two frames until an aircraft appears
    ModelClient client(model);
    ModelClient other(model, "OTHER");
    client.dispatch();
    other.dispatch();
    model.subscribeToSystemEvent(client.handle(), 202, "ObjectAdded");
    model.subscribeToSystemEvent(client.handle(), 203, "ObjectRemoved");
    ASSERT_GE(model.aiCreateNonAtcAircraft(other.handle(), "bizjet b", "N123AB", initPos(50.0, 8.0, true), 104), 0);
    EXPECT_TRUE(client.step(2).empty());
    EXPECT_TRUE(model.aiObjects().empty());
    const auto got = client.step();
    ASSERT_EQ(got.size(), 1u);
    const auto added = got[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>();
    EXPECT_EQ(added.dwID, SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
    EXPECT_EQ(added.uEventID, 202u);
    EXPECT_EQ(added.eObjType, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    EXPECT_GT(added.dwData, SimModel::userObjectId);
    // the creator learns the id from its request
    const auto assigned = ModelClient::only(other.dispatch(), SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID);
    ASSERT_EQ(assigned.size(), 1u);
    EXPECT_EQ(assigned[0].as<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>().dwRequestID, 104u);
    EXPECT_EQ(assigned[0].as<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>().dwObjectID, added.dwData);

    const auto object = model.aiObject(added.dwData);
    ASSERT_TRUE(object.has_value());
    EXPECT_EQ(object->atcId, "N123AB");
    EXPECT_EQ(object->title, "Bizjet B");
    EXPECT_TRUE(object->onGround);
    EXPECT_DOUBLE_EQ(object->staticCgFt, 6.5);
    EXPECT_DOUBLE_EQ(object->altFt, 6.5); // standing on its gear
    EXPECT_DOUBLE_EQ(object->staticPitchDeg, 1.5);

    // removal: announced with the next frame
    ASSERT_GE(model.aiRemoveObject(other.handle(), added.dwData, 105), 0);
    const auto removed = client.step();
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>().uEventID, 203u);
    EXPECT_EQ(removed[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>().dwData, added.dwData);
    EXPECT_FALSE(model.aiObject(added.dwData).has_value());
}

TEST(SimModel, TitlesThatAreNotInstalledAreRefusedWithTheCreatingPacket)
{
    auto scenario = testScenario();
    scenario.maxAiObjects = 2;
    SimModel model(scenario);
    ModelClient client(model);
    client.dispatch();
    const auto h = client.handle();
    std::uint32_t good = 0;
    std::uint32_t bad = 0;
    model.aiCreateNonAtcAircraft(h, "Airliner A", "OK1", initPos(50.0, 8.0, true), 104);
    model.getLastSentPacketId(h, &good);
    model.aiCreateNonAtcAircraft(h, "Not Installed X", "BAD1", initPos(50.0, 8.0, true), 104);
    model.getLastSentPacketId(h, &bad);
    model.aiCreateNonAtcAircraft(h, "Airliner A", "OK2", initPos(50.0, 8.0, true), 104);
    model.aiCreateNonAtcAircraft(h, "Airliner A", "TOO_MANY", initPos(50.0, 8.0, true), 104);
    std::uint32_t tooMany = 0;
    model.getLastSentPacketId(h, &tooMany);
    EXPECT_EQ(bad, good + 1);
    EXPECT_TRUE(client.dispatch().empty()); // refusals come with the next frame
    const auto exceptions = exceptionsOf(client.step());
    ASSERT_EQ(exceptions.size(), 2u);
    EXPECT_EQ(exceptions[0].dwException, SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED);
    EXPECT_EQ(exceptions[0].dwSendID, bad);
    EXPECT_EQ(exceptions[1].dwException, SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS);
    EXPECT_EQ(exceptions[1].dwSendID, tooMany);
    client.step(3);
    const auto objects = model.aiObjects();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].atcId, "OK1");
    EXPECT_EQ(objects[1].atcId, "OK2");
}

TEST(SimModel, ObjectsTakeTheDataAndEventsTheyAreGiven)
{
    SimModel model(testScenario());
    ModelClient client(model);
    client.dispatch();
    const auto h = client.handle();
    const auto id = createAircraft(model, client, "Airliner A", "MOVE1", 50.0, 8.0);
    definePose(model, h);
    const double pose[8] = {50.2, 8.3, -0.05, 0.1, 3.14159265358979323846, 3000.0, 12.5, 180.0};
    ASSERT_GE(model.setDataOnSimObject(h, 402, id, 0, sizeof(pose), pose), 0);
    auto o = model.aiObject(id);
    ASSERT_TRUE(o);
    EXPECT_DOUBLE_EQ(o->lat, 50.2);
    EXPECT_DOUBLE_EQ(o->lon, 8.3);
    EXPECT_NEAR(o->pitchDeg, -0.05 / g_radPerDeg, 1e-9);
    EXPECT_NEAR(o->headingDeg, 180.0, 1e-9);
    EXPECT_DOUBLE_EQ(o->altFt, 3000.0);
    EXPECT_DOUBLE_EQ(o->verticalSpeedFps, 12.5);
    EXPECT_DOUBLE_EQ(o->trueAirspeedKts, 180.0);
    EXPECT_FALSE(o->onGround);
    EXPECT_EQ(o->positionUpdates, 1u);
    // a unit of the wrong size is refused with the call's packet
    ASSERT_GE(model.setDataOnSimObject(h, 402, id, 0, 56, pose), 0);
    std::uint32_t packet = 0;
    model.getLastSentPacketId(h, &packet);
    const auto exceptions = exceptionsOf(client.dispatch());
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_EQ(exceptions[0].dwException, SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE);
    EXPECT_EQ(exceptions[0].dwSendID, packet);
    EXPECT_EQ(model.aiObject(id)->positionUpdates, 1u);

    model.mapClientEventToSimEvent(h, 207, "NAV_LIGHTS_SET");
    model.mapClientEventToSimEvent(h, 217, "FLAPS_SET");
    model.mapClientEventToSimEvent(h, 214, "FREEZE_LATITUDE_LONGITUDE_SET");
    model.mapClientEventToSimEvent(h, 219, "GEAR_SET");
    model.mapClientEventToSimEvent(h, 220, "ENGINE_AUTO_START");
    model.mapClientEventToSimEvent(h, 213, "ALL_LIGHTS_TOGGLE");
    model.transmitClientEvent(h, id, 207, 1, 301);
    model.transmitClientEvent(h, id, 217, 16383, 301);
    model.transmitClientEvent(h, id, 214, 1, 301);
    model.transmitClientEvent(h, id, 219, 0, 301);
    model.transmitClientEvent(h, id, 220, 0, 301);
    model.transmitClientEvent(h, id, 213, 0, 301);
    model.transmitClientEvent(h, id, 299, 1, 301); // never mapped
    EXPECT_EQ(exceptionsOf(client.dispatch()).size(), 1u);
    o = model.aiObject(id);
    EXPECT_FALSE(o->navLights); // on, then toggled
    EXPECT_TRUE(o->beaconLights);
    EXPECT_DOUBLE_EQ(o->flapsPercent, 100.0);
    EXPECT_TRUE(o->freezeLatLon);
    EXPECT_FALSE(o->gearDown);
    EXPECT_TRUE(o->enginesRunning);
    model.aiReleaseControl(h, id, 103);
    EXPECT_TRUE(model.aiObject(id)->releasedControl);
}

TEST(SimModel, OperationsOnTheUserAircraftOrUnknownObjectsRaiseExceptions)
{
    SimModel model(testScenario());
    ModelClient client(model);
    client.dispatch();
    const auto h = client.handle();
    model.aiRemoveObject(h, SimModel::userObjectId, 105);
    model.aiRemoveObject(h, 4711, 105);
    model.aiReleaseControl(h, SIMCONNECT_OBJECT_ID_USER, 103);
    model.aiSetAircraftFlightPlan(h, 4712, "missing.pln", 110);
    const auto exceptions = exceptionsOf(client.dispatch());
    ASSERT_EQ(exceptions.size(), 4u);
    EXPECT_EQ(exceptions[0].dwException, SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE);
    EXPECT_EQ(exceptions[1].dwException, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID);
    EXPECT_EQ(exceptions[2].dwException, SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE);
    EXPECT_EQ(exceptions[3].dwException, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID);
    const auto id = createAircraft(model, client, "Airliner A", "PLAN1", 50.0, 8.0);
    model.aiSetAircraftFlightPlan(h, id, "no/such/file.pln", 110);
    const auto planExceptions = exceptionsOf(client.dispatch());
    ASSERT_EQ(planExceptions.size(), 1u);
    EXPECT_EQ(planExceptions[0].dwException, SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED);
}

TEST(SimModel, FlightPlanFileGivesDepartureAndDestination)
{
    testsupport::TempFolder folder;
    {
        std::ofstream plan("123.pln");
        plan << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SimBase.Document Type=\"AceXML\" version=\"4,3\">\"\n"
                "<FlightPlan.FlightPlan>\n<FPType>IFR</FPType>\n<DepartureID>EDDF</DepartureID>\n"
                "<DestinationID>A&amp;B</DestinationID>\n</FlightPlan.FlightPlan>\n</SimBase.Document>\n";
        std::ofstream("other.xml") << "<parameters><parameter name=\"a\" value=\"1\"/></parameters>\n";
        std::ofstream("broken.pln") << "<SimBase.Document><FlightPlan.FlightPlan><DepartureID>EDDF";
    }
    SimModel model(testScenario());
    ModelClient client(model);
    client.dispatch();
    const auto h = client.handle();
    const auto id = createAircraft(model, client, "Airliner A", "PLAN2", 50.0, 8.0);
    model.aiSetAircraftFlightPlan(h, id, "123.pln", 110);
    EXPECT_TRUE(exceptionsOf(client.dispatch()).empty());
    const auto o = model.aiObject(id);
    EXPECT_EQ(o->flightPlanPath, "123.pln");
    EXPECT_EQ(o->flightPlanDeparture, "EDDF");
    EXPECT_EQ(o->flightPlanDestination, "A&B");

    // a file that is no flight plan is refused and the loaded one stays
    model.aiSetAircraftFlightPlan(h, id, "other.xml", 110);
    model.aiSetAircraftFlightPlan(h, id, "broken.pln", 110);
    const auto refused = exceptionsOf(client.dispatch());
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0].dwException, SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED);
    EXPECT_EQ(refused[1].dwException, SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED);
    EXPECT_EQ(model.aiObject(id)->flightPlanDeparture, "EDDF");
}

TEST(SimModel, QuitDeliversAQuitMessageThenEveryCallFails)
{
    SimModel model(testScenario());
    ModelClient client(model);
    client.dispatch();
    model.subscribeToSystemEvent(client.handle(), 204, "Frame");
    model.step();
    model.quit();
    model.step(); // no frames after the quit
    const auto got = client.dispatch();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].id(), SIMCONNECT_RECV_ID_EVENT_FRAME);
    EXPECT_EQ(got[1].id(), SIMCONNECT_RECV_ID_QUIT);
    EXPECT_LT(model.callDispatch(client.handle(), [](SIMCONNECT_RECV*, std::uint32_t, void*) {}, nullptr), 0);
    EXPECT_LT(model.subscribeToSystemEvent(client.handle(), 201, "Sim"), 0);
    ModelClient late(model);
    EXPECT_EQ(late.handle(), nullptr);
    EXPECT_GE(model.close(client.handle()), 0);
}

TEST(SimModel, ExceptionsAndFailingCallsOnDemand)
{
    SimModel model(testScenario());
    ModelClient client(model);
    client.dispatch();
    model.queueException(SIMCONNECT_EXCEPTION_VERSION_MISMATCH, 17, 4);
    model.queueException(99, 3, 0);
    const auto exceptions = exceptionsOf(client.dispatch());
    ASSERT_EQ(exceptions.size(), 2u);
    EXPECT_EQ(exceptions[0].dwException, 5u);
    EXPECT_EQ(exceptions[0].dwSendID, 17u);
    EXPECT_EQ(exceptions[0].dwIndex, 4u);
    EXPECT_EQ(exceptions[1].dwException, 99u);

    model.failCall("CallDispatch");
    EXPECT_LT(model.callDispatch(client.handle(), [](SIMCONNECT_RECV*, std::uint32_t, void*) {}, nullptr), 0);
    EXPECT_LT(model.callDispatch(client.handle(), [](SIMCONNECT_RECV*, std::uint32_t, void*) {}, nullptr), 0);
    model.failCall("CallDispatch", 0);
    EXPECT_GE(model.callDispatch(client.handle(), [](SIMCONNECT_RECV*, std::uint32_t, void*) {}, nullptr), 0);
}

TEST(SimModel, DispatchDeliversOnlyWhatWasQueuedAndLetsHandlerExceptionsThrough)
{
    SimModel model(testScenario());
    ModelClient client(model);
    client.dispatch();
    model.subscribeToSystemEvent(client.handle(), 204, "Frame");
    model.step(3);
    struct Context {
        SimModel* model;
        HSIMCONNECT handle;
        int delivered = 0;
    } context{&model, client.handle()};
    const auto throwing = [](SIMCONNECT_RECV*, std::uint32_t, void* p) {
        auto* c = static_cast<Context*>(p);
        ++c->delivered;
        // a call from inside the handler queues its answer; it is not delivered here
        c->model->subscribeToSystemEvent(c->handle, 201, "Sim");
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(model.callDispatch(client.handle(), throwing, &context), std::runtime_error);
    EXPECT_EQ(context.delivered, 1);
    const auto rest = client.dispatch();
    ASSERT_EQ(rest.size(), 3u); // two frames left, then the "Sim" state
    EXPECT_EQ(rest[0].id(), SIMCONNECT_RECV_ID_EVENT_FRAME);
    EXPECT_EQ(rest[1].id(), SIMCONNECT_RECV_ID_EVENT_FRAME);
    EXPECT_EQ(rest[2].id(), SIMCONNECT_RECV_ID_EVENT);
}

TEST(SimModel, TheUserAircraftFollowsItsPath)
{
    SimModel model(testScenario());
    auto u = model.userAircraft();
    EXPECT_EQ(u.id, SimModel::userObjectId);
    EXPECT_TRUE(u.onGround);
    EXPECT_DOUBLE_EQ(u.groundSpeedKts, 0.0);
    EXPECT_DOUBLE_EQ(u.headingDeg, 90.0);
    model.step(400); // 40 s: taxiing east
    u = model.userAircraft();
    EXPECT_TRUE(u.onGround);
    EXPECT_GT(u.lon, 8.0);
    EXPECT_LT(u.lon, 8.01);
    EXPECT_NEAR(u.headingDeg, 90.0, 0.1);
    // 0.01 degrees of longitude in one minute
    EXPECT_NEAR(u.groundSpeedKts, 0.01 * 60.0 * std::cos(50.0 * g_radPerDeg) * 60.0, 0.1);
    model.step(1600); // 200 s: past the last point, cruising north
    u = model.userAircraft();
    EXPECT_FALSE(u.onGround);
    EXPECT_DOUBLE_EQ(u.altFt, 6000.0);
    EXPECT_GT(u.lat, 50.1);
    EXPECT_NEAR(u.headingDeg, 0.0, 0.1);
    EXPECT_NEAR(u.groundSpeedKts, 360.0, 1.0);
}

// Ten seconds of an AI object held in full, in part or not at all: the simulator's own AI moves
// what the program neither froze (L lat/lon, A altitude, T attitude) nor released (R).
TEST(SimModel, AiObjectsNobodyHoldsDriftAsTheSimulatorsOwnAiWould)
{
    // north at 360 kt sinking 5 ft/s; on the ground (the Bizjet rests at 6.5 ft at a static pitch
    // of 1.5 degrees) south at 36 kt; in the air without speed
    const double poses[3][4] = {{0, 3000, -5, 360}, {180, 6.5, 0, 36}, {0, 100, 0, 0}};
    struct Case { std::string hold; double northNm[3], altFt[3]; bool level[3]; };
    const Case cases[] = {{"LAT", {0, 0, 0}, {3000, 6.5, 100}, {}},
                          {"R", {0, 0, 0}, {3000, 6.5, 100}, {}},
                          {"", {1, -0.1, 0}, {2950, 6.5, 6.5}, {false, true, true}},
                          {"L", {0, 0, 0}, {2950, 6.5, 6.5}, {false, true, true}}};
    for (const Case& c : cases)
        for (int p = 0; p < 3; ++p) {
            SCOPED_TRACE("hold '" + c.hold + "', pose " + std::to_string(p));
            SimModel model(testScenario()); // 10 frames a second
            ModelClient client(model);
            client.dispatch();
            const auto h = client.handle();
            const auto id = createAircraft(model, client, "Bizjet B", "DRIFT", 50.0, 8.0);
            definePose(model, h);
            const double* q = poses[p];
            const double pose[8] = {50, 8, -0.05, 0.1, q[0] * g_radPerDeg, q[1], q[2], q[3]};
            model.setDataOnSimObject(h, 402, id, 0, sizeof(pose), pose);
            model.mapClientEventToSimEvent(h, 'L', "FREEZE_LATITUDE_LONGITUDE_SET");
            model.mapClientEventToSimEvent(h, 'A', "FREEZE_ALTITUDE_SET");
            model.mapClientEventToSimEvent(h, 'T', "FREEZE_ATTITUDE_SET");
            for (const char k : c.hold)
                k == 'R' ? model.aiReleaseControl(h, id, 103) : model.transmitClientEvent(h, id, k, 1, 301);
            client.step(100);
            const auto o = model.aiObject(id);
            EXPECT_NEAR((o->lat - 50.0) * 60.0, c.northNm[p], 1e-6);
            EXPECT_NEAR(o->altFt, c.altFt[p], 1e-6);
            EXPECT_EQ(o->onGround, c.altFt[p] < 10.0);
            EXPECT_NEAR(o->pitchDeg, c.level[p] ? 1.5 : -0.05 / g_radPerDeg, 1e-9);
            EXPECT_NEAR(o->bankDeg, c.level[p] ? 0.0 : 0.1 / g_radPerDeg, 1e-9);
            model.setSimRunning(false); // paused: nothing moves
            client.step(10);
            EXPECT_EQ(model.aiObject(id)->lat, o->lat);
            EXPECT_EQ(model.aiObject(id)->altFt, o->altFt);
        }
}
