// The embedded simulator model as a client sees it through the interface.
#include "simconnect/sim_model.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <tuple>

namespace {

constexpr double g_radPerDeg = 3.14159265358979323846 / 180.0;
using Codes = std::vector<std::uint32_t>;
using Pairs = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// A copy of one delivered message.
struct Received {
    std::vector<std::uint64_t> storage;
    std::uint32_t size = 0;

    std::uint32_t id() const { return as<SIMCONNECT_RECV>().dwID; }
    template <class R>
    R as() const
    {
        R r{};
        std::memcpy(&r, storage.data(), std::min<std::size_t>(sizeof(R), size));
        return r;
    }
    // the data of a SIMOBJECT_DATA message
    const std::byte* data() const
    {
        return reinterpret_cast<const std::byte*>(storage.data()) + sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA);
    }
    template <class T>
    T member(std::size_t offset) const
    {
        T t{};
        std::memcpy(&t, data() + offset, sizeof(T));
        return t;
    }
};

void lf_collect(SIMCONNECT_RECV* p, std::uint32_t size, void* context)
{
    Received r{std::vector<std::uint64_t>((size + 7) / 8, 0), size};
    std::memcpy(r.storage.data(), p, size);
    static_cast<std::vector<Received>*>(context)->push_back(std::move(r));
}
void lf_ignore(SIMCONNECT_RECV*, std::uint32_t, void*) {}

std::vector<Received> only(const std::vector<Received>& all, std::uint32_t id)
{
    std::vector<Received> result;
    std::copy_if(all.begin(), all.end(), std::back_inserter(result), [&](const Received& r) { return r.id() == id; });
    return result;
}
// The exceptions among the messages: their numbers, or their numbers and the packets they name.
Codes codesOf(const std::vector<Received>& got)
{
    Codes result;
    for (const auto& r : only(got, SIMCONNECT_RECV_ID_EXCEPTION))
        result.push_back(r.as<SIMCONNECT_RECV_EXCEPTION>().dwException);
    return result;
}
Pairs exceptionsOf(const std::vector<Received>& got)
{
    Pairs result;
    for (const auto& r : only(got, SIMCONNECT_RECV_ID_EXCEPTION))
        result.emplace_back(r.as<SIMCONNECT_RECV_EXCEPTION>().dwException, r.as<SIMCONNECT_RECV_EXCEPTION>().dwSendID);
    return result;
}

// A model connection driven by the test thread.
class ModelClient {
public:
    explicit ModelClient(SimModel& model) : m_model(model)
    {
        if (m_model.open(&m_handle, "TEST") < 0)
            m_handle = nullptr;
    }
    HSIMCONNECT handle() const { return m_handle; }
    // Delivers what is queued and returns it.
    std::vector<Received> dispatch()
    {
        std::vector<Received> got;
        m_model.callDispatch(m_handle, &lf_collect, &got);
        return got;
    }
    std::vector<Received> step(int frames = 1)
    {
        m_model.step(frames);
        return dispatch();
    }

private:
    SimModel& m_model;
    HSIMCONNECT m_handle = nullptr;
};

SimScenario testScenario()
{
    return gf_parseSimScenario(R"({
        "frameRate": 10, "groundAltitudeFt": 0, "clock": {"year": 2023, "dayOfYear": 365, "zuluSeconds": 86390},
        "user": {"title": "Test Jet Livery", "atcModel": "$$:B738", "atcId": "D-TEST", "path": [
            {"t": 0, "lat": 50.0, "lon": 8.0, "altFt": 0, "onGround": true, "headingDeg": 90},
            {"t": 10, "lat": 50.0, "lon": 8.0, "altFt": 0, "onGround": true, "headingDeg": 90},
            {"t": 70, "phase": "taxi", "lat": 50.0, "lon": 8.01, "altFt": 0, "onGround": true},
            {"t": 130, "phase": "climb", "lat": 50.1, "lon": 8.01, "altFt": 6000, "onGround": false}]},
        "installedTitles": ["Airliner A", {"title": "Bizjet B", "staticCgFt": 6.5, "staticPitchDeg": 1.5}],
        "creationFrames": 2
    })");
}

SIMCONNECT_DATA_INITPOSITION initPos(double lat, double lon)
{
    return SIMCONNECT_DATA_INITPOSITION{lat, lon, 0.0, 0.0, 0.0, 270.0, 1, 0};
}

// Creates an aircraft through `client` and steps until it appears; returns its object id.
std::uint32_t createAircraft(SimModel& model, ModelClient& client, const char* title, const char* tail)
{
    EXPECT_GE(model.aiCreateNonAtcAircraft(client.handle(), title, tail, initPos(50.0, 8.0), 104), 0);
    for (int i = 0; i < 10; ++i)
        for (const auto& r : client.step())
            if (r.id() == SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID)
                return r.as<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>().dwObjectID;
    ADD_FAILURE() << "aircraft " << tail << " never appeared";
    return 0;
}

void define(SimModel& model, HSIMCONNECT h, std::uint32_t id, const char* name, const char* unit,
            SIMCONNECT_DATATYPE type = SIMCONNECT_DATATYPE_FLOAT64)
{
    model.addToDataDefinition(h, id, name, unit, type, 0, SIMCONNECT_UNUSED);
}

// Definition 402 as the program sends an AI object's pose.
void definePose(SimModel& model, HSIMCONNECT h)
{
    const std::pair<const char*, const char*> members[] = {
        {"Plane Latitude", "degree"},          {"Plane Longitude", "degree"},    {"Plane Pitch degrees", "radians"},
        {"Plane Bank degrees", "radians"},     {"Plane Heading degrees true", "radians"},
        {"Plane Altitude", "feet"},            {"Vertical Speed", "feet per second"}, {"Airspeed True", "knots"}};
    for (const auto& [name, unit] : members)
        define(model, h, 402, name, unit);
}

// One open connection to a model of the test scenario, its open message taken.
class SimModelTest : public ::testing::Test {
protected:
    SimModelTest() { client.dispatch(); }

    std::uint32_t lastPacket()
    {
        std::uint32_t packet = 0;
        EXPECT_GE(model.getLastSentPacketId(h, &packet), 0);
        return packet;
    }
    std::vector<Received> messages(std::uint32_t id, int frames = 1) { return only(client.step(frames), id); }

    SimModel model{testScenario()};
    ModelClient client{model};
    HSIMCONNECT h = client.handle();
};

} // namespace

TEST_F(SimModelTest, ClosedAndUnknownHandlesFail)
{
    ModelClient other(model);
    EXPECT_GE(model.close(other.handle()), 0);
    std::uint32_t packet = 0;
    const HRESULT refused[] = {model.close(other.handle()), model.subscribeToSystemEvent(other.handle(), 1, "Frame"),
                               model.callDispatch(other.handle(), lf_ignore, nullptr),
                               model.getLastSentPacketId(other.handle(), &packet),
                               model.subscribeToSystemEvent(reinterpret_cast<HSIMCONNECT>(std::uintptr_t{0x5150}), 1,
                                                            "Sim")};
    for (std::size_t i = 0; i < std::size(refused); ++i)
        EXPECT_LT(refused[i], 0) << i;
}

TEST_F(SimModelTest, PacketIdsAreCountedPerSessionAndAFailedCallSendsNothing)
{
    ModelClient other(model);
    model.subscribeToSystemEvent(h, 1, "Frame");
    model.subscribeToSystemEvent(h, 2, "Sim");
    model.mapClientEventToSimEvent(h, 3, "GEAR_SET");
    model.subscribeToSystemEvent(other.handle(), 1, "Frame");
    std::uint32_t otherPacket = 0;
    ASSERT_GE(model.getLastSentPacketId(other.handle(), &otherPacket), 0);
    const std::uint32_t packet = lastPacket();
    EXPECT_EQ(packet, otherPacket + 2);
    model.failCall("MapClientEventToSimEvent", 1);
    EXPECT_LT(model.mapClientEventToSimEvent(h, 4, "FLAPS_SET"), 0);
    EXPECT_GE(model.mapClientEventToSimEvent(h, 4, "FLAPS_SET"), 0);
    EXPECT_EQ(lastPacket(), packet + 1);
}

TEST_F(SimModelTest, SimStateComesAtOnceAndOnEveryChangeAndAStoppedClockStandsStill)
{
    model.subscribeToSystemEvent(h, 201, "Sim");
    const auto states = [&] {
        Pairs seen;
        for (const auto& r : client.dispatch()) // no frame needed
            seen.emplace_back(r.as<SIMCONNECT_RECV_EVENT>().uEventID, r.as<SIMCONNECT_RECV_EVENT>().dwData);
        return seen;
    };
    EXPECT_EQ(states(), (Pairs{{201, 1}}));
    model.setSimRunning(false);
    model.setSimRunning(false); // no change, no message
    EXPECT_EQ(states(), (Pairs{{201, 0}}));
    const double before = model.simSeconds();
    model.step(5);
    EXPECT_EQ(model.simSeconds(), before);
}

TEST_F(SimModelTest, AnUnknownSystemEventIsRefusedWithItsPacket)
{
    model.subscribeToSystemEvent(h, 9, "NoSuchEvent");
    const std::uint32_t packet = lastPacket();
    EXPECT_EQ(exceptionsOf(client.step()), (Pairs{{SIMCONNECT_EXCEPTION_NAME_UNRECOGNIZED, packet}}));
}

TEST_F(SimModelTest, DataIsAnsweredInMemberOrderAndUnits)
{
    define(model, h, 7, "Plane Latitude", "degree");
    define(model, h, 7, "PLANE HEADING DEGREES TRUE", "radians");
    define(model, h, 7, "Plane Altitude", "meters");
    define(model, h, 7, "SIM ON GROUND", "Bool", SIMCONNECT_DATATYPE_INT64);
    define(model, h, 7, "ATC ID", nullptr, SIMCONNECT_DATATYPE_STRING32);
    define(model, h, 7, "TITLE", nullptr, SIMCONNECT_DATATYPE_STRINGV);
    define(model, h, 7, "Plane Bank degrees", "furlongs");
    define(model, h, 7, "No Such Variable", "feet");
    EXPECT_EQ(codesOf(client.dispatch()).size(), 2u); // the unit and the name refused, nothing added
    model.requestDataOnSimObject(h, 33, 7, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_ONCE);
    EXPECT_TRUE(client.dispatch().empty()); // answers come with the next frame
    const auto answers = messages(SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
    ASSERT_EQ(answers.size(), 1u);
    const auto& a = answers[0];
    const auto head = a.as<SIMCONNECT_RECV_SIMOBJECT_DATA>();
    EXPECT_EQ((std::tuple{head.dwRequestID, head.dwObjectID, head.dwDefineID, head.dwDefineCount, head.dwSize}),
              (std::tuple{33u, SimModel::userObjectId, 7u, 6u, sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) + 64 + 16}));
    EXPECT_NEAR(a.member<double>(8), 90.0 * g_radPerDeg, 1e-12);
    EXPECT_EQ((std::tuple{a.member<double>(0), a.member<double>(16), a.member<std::int64_t>(24),
                          std::string(reinterpret_cast<const char*>(a.data() + 32)),
                          std::string(reinterpret_cast<const char*>(a.data() + 64))}),
              (std::tuple{50.0, 0.0, 1, "D-TEST", "Test Jet Livery"}));
    EXPECT_TRUE(messages(SIMCONNECT_RECV_ID_SIMOBJECT_DATA, 3).empty()) << "once means once";
}

// Feet and metres both ways: set in one unit, answered in the other (1 ft = 0.3048 m exactly).
TEST_F(SimModelTest, FeetAndMetresConvertBothWaysAsTheSimulatorDoes)
{
    const auto id = createAircraft(model, client, "Airliner A", "UNITS1");
    model.aiReleaseControl(h, id, 103); // it stays where it is set
    define(model, h, 8, "Plane Altitude", "feet");
    define(model, h, 9, "Plane Altitude", "meters");
    define(model, h, 10, "Plane Altitude", "feet");
    define(model, h, 10, "Plane Altitude", "meters");
    const std::tuple<std::uint32_t, double, double, double> cases[] = { // set with, value, then ft and m
        {9, 1000.0, 1000.0 / 0.3048, 1000.0},
        {8, 500.0, 500.0, 152.4}};
    for (const auto& [definition, value, feet, metres] : cases) {
        ASSERT_GE(model.setDataOnSimObject(h, definition, id, 0, 8, &value), 0);
        EXPECT_NEAR(model.aiObject(id)->altFt, feet, 1e-9) << definition;
        model.requestDataOnSimObject(h, 33, 10, id, SIMCONNECT_PERIOD_ONCE);
        const auto answers = messages(SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_NEAR(answers[0].member<double>(0), feet, 1e-9) << definition;
        EXPECT_NEAR(answers[0].member<double>(8), metres, 1e-9) << definition;
    }
}

// A data type the simulator does not have is refused with the call's packet and adds no member:
// a text member of no known length would otherwise be served past the end of its answer.
TEST_F(SimModelTest, DataTypesOutsideTheSimulatorsRangeAreRefused)
{
    define(model, h, 7, "Plane Altitude", "feet");
    const std::tuple<const char*, const char*, std::uint32_t> members[] = {
        {"Plane Altitude", "feet", SIMCONNECT_DATATYPE_INVALID}, {"Plane Altitude", "feet", 12},
        {"TITLE", nullptr, SIMCONNECT_DATATYPE_STRINGV + 1},      {"ATC ID", nullptr, 0xFFFFFFFFu},
        {"TITLE", nullptr, SIMCONNECT_DATATYPE_INVALID}};
    Pairs expected;
    for (const auto& [name, unit, type] : members) {
        define(model, h, 7, name, unit, static_cast<SIMCONNECT_DATATYPE>(type));
        expected.emplace_back(SIMCONNECT_EXCEPTION_ERROR, lastPacket());
    }
    EXPECT_EQ(exceptionsOf(client.dispatch()), expected);
    model.requestDataOnSimObject(h, 33, 7, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_ONCE);
    const auto answers = messages(SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
    ASSERT_EQ(answers.size(), 1u);
    const auto head = answers[0].as<SIMCONNECT_RECV_SIMOBJECT_DATA>();
    EXPECT_EQ((std::tuple{head.dwDefineCount, head.dwSize}),
              (std::tuple{1u, sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) + 8}));
}

TEST_F(SimModelTest, EverySecondRequestsFollowSimulatedTimeAndTheClockRollsOverTheYear)
{
    // 10 frames per second, 10 s before 2024 begins
    define(model, h, 1, "ZULU TIME", "Seconds", SIMCONNECT_DATATYPE_INT64);
    define(model, h, 1, "ZULU DAY OF YEAR", "Number", SIMCONNECT_DATATYPE_INT64);
    define(model, h, 1, "ZULU YEAR", "Number", SIMCONNECT_DATATYPE_INT64);
    model.requestDataOnSimObject(h, 108, 1, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND);
    std::vector<std::array<std::int64_t, 3>> clocks;
    for (int i = 0; i < 150; ++i)
        for (const auto& r : messages(SIMCONNECT_RECV_ID_SIMOBJECT_DATA))
            clocks.push_back({r.member<std::int64_t>(0), r.member<std::int64_t>(8), r.member<std::int64_t>(16)});
    ASSERT_EQ(clocks.size(), 15u);
    EXPECT_EQ(clocks.front(), (std::array<std::int64_t, 3>{86390, 365, 2023}));
    EXPECT_EQ((std::array{clocks.back()[1], clocks.back()[2]}), (std::array<std::int64_t, 2>{1, 2024}));
    EXPECT_GE(clocks.back()[0], 3);
    // period NEVER ends the request
    model.requestDataOnSimObject(h, 108, 1, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_NEVER);
    EXPECT_TRUE(messages(SIMCONNECT_RECV_ID_SIMOBJECT_DATA, 30).empty());
}

TEST_F(SimModelTest, RequestsByTypeAnswerTheUserFirstThenTheAircraftWithinTheRadius)
{
    ASSERT_GE(model.aiCreateNonAtcAircraft(h, "Airliner A", "FAR1", initPos(50.05, 8.0), 104), 0); // 5.6 km away
    ASSERT_GE(model.aiCreateNonAtcAircraft(h, "Airliner A", "NEAR1", initPos(50.01, 8.0), 104), 0);
    client.step(3);
    define(model, h, 404, "ATC ID", nullptr, SIMCONNECT_DATATYPE_STRING32);
    model.requestDataOnSimObjectType(h, 101, 404, 5000, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    std::vector<std::string> found;
    for (const auto& r : messages(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE))
        found.emplace_back(reinterpret_cast<const char*>(r.data()));
    EXPECT_EQ(found, (std::vector<std::string>{"D-TEST", "NEAR1"}));
}

// A created aircraft is nowhere, for its creator and for every other client, during its frames
// of delay, and appears with the frame after them.
TEST(SimModel, CreatedAircraftAppearOnlyAfterTheirFramesOfDelay)
{
    for (const int delay : {0, 1, 2, 5}) {
        auto scenario = testScenario();
        scenario.creationFrames = delay;
        SimModel model(scenario);
        ModelClient creator(model);
        ModelClient other(model);
        creator.dispatch();
        other.dispatch();
        model.subscribeToSystemEvent(other.handle(), 202, "ObjectAdded");
        ASSERT_GE(model.aiCreateNonAtcAircraft(creator.handle(), "Bizjet B", "N1", initPos(50.0, 8.0), 104), 0);
        for (int frame = 1; frame <= delay; ++frame) {
            model.step();
            EXPECT_TRUE(creator.dispatch().empty() && other.dispatch().empty() && model.aiObjects().empty())
                << "delay " << delay << ", frame " << frame;
        }
        model.step();
        const auto assigned = only(creator.dispatch(), SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID);
        const auto added = only(other.dispatch(), SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
        ASSERT_TRUE(assigned.size() == 1 && added.size() == 1) << "delay " << delay;
        const std::uint32_t id = assigned[0].as<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>().dwObjectID;
        EXPECT_EQ(added[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>().dwData, id);
        ASSERT_TRUE(model.aiObject(id).has_value());
        EXPECT_EQ((std::tuple{model.aiObject(id)->atcId, model.aiObject(id)->altFt}), (std::tuple{"N1", 6.5}));
    }
}

TEST(SimModel, TitlesThatAreNotInstalledAreRefusedWithTheCreatingPacket)
{
    auto scenario = testScenario();
    scenario.maxAiObjects = 2;
    SimModel model(scenario);
    ModelClient client(model);
    client.dispatch();
    std::vector<std::uint32_t> packets;
    for (const char* title : {"Airliner A", "Not Installed X", "Airliner A", "Airliner A"}) {
        model.aiCreateNonAtcAircraft(client.handle(), title, title[0] == 'N' ? "BAD1" : "OK", initPos(50.0, 8.0), 104);
        model.getLastSentPacketId(client.handle(), &packets.emplace_back());
    }
    EXPECT_EQ(exceptionsOf(client.step()), (Pairs{{SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED, packets[1]},
                                                  {SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS, packets[3]}}));
    client.step(3);
    EXPECT_EQ(model.aiObjects().size(), 2u);
}

TEST_F(SimModelTest, DataOfTheWrongSizeAndUnmappedEventsAreRefusedWithTheirPackets)
{
    const auto id = createAircraft(model, client, "Airliner A", "MOVE1");
    definePose(model, h);
    const double pose[8] = {50.2, 8.3, -0.05, 0.1, 3.14159265358979323846, 3000.0, 12.5, 180.0};
    ASSERT_GE(model.setDataOnSimObject(h, 402, id, 0, 56, pose), 0);
    const std::uint32_t packet = lastPacket();
    model.transmitClientEvent(h, id, 299, 1, 301); // never mapped
    EXPECT_EQ(exceptionsOf(client.dispatch()), (Pairs{{SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE, packet},
                                                      {SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, packet + 1}}));
    EXPECT_EQ(model.aiObject(id)->positionUpdates, 0u);
    model.aiReleaseControl(h, id, 103);
    EXPECT_TRUE(model.aiObject(id)->releasedControl);
}

TEST_F(SimModelTest, OperationsOnTheUserAircraftOrUnknownObjectsRaiseExceptions)
{
    model.aiRemoveObject(h, SimModel::userObjectId, 105);
    model.aiRemoveObject(h, 4711, 105);
    model.aiReleaseControl(h, SIMCONNECT_OBJECT_ID_USER, 103);
    model.aiSetAircraftFlightPlan(h, 4712, "missing.pln", 110);
    EXPECT_EQ(codesOf(client.dispatch()),
              (Codes{SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID,
                     SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID}));
}

TEST_F(SimModelTest, FlightPlanFileGivesDepartureAndDestination)
{
    testsupport::TempFolder folder;
    std::ofstream("123.pln") << "<SimBase.Document><FlightPlan.FlightPlan><DepartureID>EDDF</DepartureID>"
                                "<DestinationID>A&amp;B</DestinationID></FlightPlan.FlightPlan></SimBase.Document>";
    std::ofstream("other.xml") << "<parameters><parameter name=\"a\" value=\"1\"/></parameters>\n";
    std::ofstream("broken.pln") << "<SimBase.Document><FlightPlan.FlightPlan><DepartureID>EDDF";
    const auto id = createAircraft(model, client, "Airliner A", "PLAN2");
    model.aiSetAircraftFlightPlan(h, id, "123.pln", 110);
    EXPECT_TRUE(codesOf(client.dispatch()).empty());
    const auto o = model.aiObject(id);
    EXPECT_EQ((std::tuple{o->flightPlanPath, o->flightPlanDeparture, o->flightPlanDestination}),
              (std::tuple{"123.pln", "EDDF", "A&B"}));

    // a missing file or one that is no flight plan is refused and the loaded one stays
    for (const char* path : {"no/such/file.pln", "other.xml", "broken.pln"})
        model.aiSetAircraftFlightPlan(h, id, path, 110);
    EXPECT_EQ(codesOf(client.dispatch()), Codes(3, SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED));
    EXPECT_EQ(model.aiObject(id)->flightPlanDeparture, "EDDF");
}

TEST_F(SimModelTest, QuitDeliversAQuitMessageThenEveryCallFails)
{
    model.subscribeToSystemEvent(h, 204, "Frame");
    model.step();
    model.quit();
    model.step(); // no frames after the quit
    Codes ids;
    for (const auto& r : client.dispatch())
        ids.push_back(r.id());
    EXPECT_EQ(ids, (Codes{SIMCONNECT_RECV_ID_EVENT_FRAME, SIMCONNECT_RECV_ID_QUIT}));
    EXPECT_TRUE(model.callDispatch(h, lf_ignore, nullptr) < 0 && model.subscribeToSystemEvent(h, 201, "Sim") < 0);
    EXPECT_EQ(ModelClient(model).handle(), nullptr);
    EXPECT_GE(model.close(h), 0);
}


TEST(SimModel, TheUserAircraftFollowsItsPath)
{
    SimModel model(testScenario());
    auto u = model.userAircraft();
    EXPECT_EQ((std::tuple{u.id, u.onGround, u.groundSpeedKts, u.headingDeg}),
              (std::tuple{SimModel::userObjectId, true, 0.0, 90.0}));
    model.step(400); // 40 s: taxiing east
    u = model.userAircraft();
    EXPECT_TRUE(u.onGround && u.lon > 8.0 && u.lon < 8.01) << u.lon;
    EXPECT_NEAR(u.headingDeg, 90.0, 0.1);
    // 0.01 degrees of longitude in one minute
    EXPECT_NEAR(u.groundSpeedKts, 0.01 * 60.0 * std::cos(50.0 * g_radPerDeg) * 60.0, 0.1);
    model.step(1600); // 200 s: past the last point, cruising north
    u = model.userAircraft();
    EXPECT_TRUE(!u.onGround && u.altFt == 6000.0 && u.lat > 50.1) << u.altFt << " " << u.lat;
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
            const auto id = createAircraft(model, client, "Bizjet B", "DRIFT");
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
