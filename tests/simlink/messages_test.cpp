// The simulator's messages as the SimClient thread handles them.
#include "simlink_fixture.h"

#include "foundation/user_error.h"
#include "simlink/user_aircraft.h"

#include <cstring>
#include <fmt/format.h>
#include <functional>
#include <memory>
#include <tuple>

using testsupport::deliver;
using testsupport::Report;
using testsupport::SimLinkTest;
using testsupport::simlinkScenario;
using testsupport::takeReports;

namespace {

struct AcByType {
    double altAboveGround;
    double groundAltitude;
    std::int64_t onGround;
    char atcId[32];
};

void deliverInRange(std::uint32_t objectId, double altAboveGround, const char* atcId,
                    std::uint32_t requestId = REQ_AC_WITHIN_RANGE)
{
    SIMCONNECT_RECV_SIMOBJECT_DATA rec{};
    rec.dwRequestID = requestId;
    rec.dwObjectID = objectId;
    rec.dwDefineID = DEF_AC_BY_TYPE;
    AcByType data{altAboveGround, 350.0, 1, {}};
    std::strncpy(data.atcId, atcId, sizeof(data.atcId) - 1);
    deliver(rec, SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, &data, sizeof(data));
}

void deliverAddRemove(std::uint32_t event, std::uint32_t objectId,
                      SIMCONNECT_SIMOBJECT_TYPE type = SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT)
{
    SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE e{};
    std::tie(e.uEventID, e.eObjType, e.dwData) = std::tuple{event, type, objectId};
    deliver(e, SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
}

std::string userErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const brv::UserErrorException& e) {
        return std::to_string(e.code()) + ": " + e.what();
    }
    return "";
}

} // namespace

struct OpenCase {
    std::string simulatorName;
    bool msfs2020Mode;
    std::string connectedText; // empty: refused
    std::string error;         // or, without a name, the line logged
};

class OpenMessageTest : public SimLinkTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenMessageTest, TellsWhichSimulatorAnswered)
{
    const OpenCase& c = GetParam();
    install(simlinkScenario(c.simulatorName));
    g_msfs2020Mode = c.msfs2020Mode;
    gf_showStatus("Waiting for MSFS 2020 ...", false);
    connect();
    EXPECT_EQ(userErrorOf([&] { pump(); }), c.simulatorName.empty() ? "" : c.error);
    EXPECT_TRUE(!c.simulatorName.empty() || folder.logHas(c.error));
    const auto texts = record.read([](auto& r) { return r.simulatorTexts; });
    if (c.connectedText.empty()) {
        EXPECT_TRUE(texts.empty());
    } else {
        EXPECT_EQ(texts, std::vector<std::string>{c.connectedText});
        EXPECT_TRUE(folder.logHas(c.connectedText + " connected"));
        EXPECT_EQ(gf_statusLine().text, "");
    }
    EXPECT_EQ(record.read([](auto& r) { return r.simConnected; }).size(), c.simulatorName.empty() ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Names, OpenMessageTest,
    ::testing::Values(
        OpenCase{"KittyHawk", true, "MSFS 2020 (11.0.282174.999)", ""},
        OpenCase{"SunRise", false, "MSFS 2024", ""},
        OpenCase{"SunRise.", false, "MSFS 2024", ""},
        OpenCase{"KittyHawk", false, "",
                 "71: MSFS 2020 is running ..., switch Simulator, or select the right sim in the drop down list above"},
        OpenCase{"SunRise", true, "",
                 "71: MSFS 2024 is running ..., switch Simulator, or select the right sim in the drop down list above"},
        OpenCase{"Sun Rise", false, "", "77: 'Sun Rise' not being MSFS 2020 or MSFS 2024 connects ... ?"},
        OpenCase{"Other-Sim 9", true, "", "77: 'OtherSim 9' not being MSFS 2020 or MSFS 2024 connects ... ?"},
        OpenCase{"", true, "", "! Simulator name empty?"}));

TEST_F(SimLinkTest, SimStateAndNewFlights)
{
    connect();
    pump();
    EXPECT_TRUE(g_simRunning);
    model->setSimRunning(false);
    pump();
    EXPECT_FALSE(g_simRunning);
    EXPECT_EQ(record.read([](auto& r) { return r.simRunning; }), (std::vector<bool>{true, false}));

    // a flight loaded while a stop is under way keeps that stop
    g_simRunning = true;
    model->loadFlight("next.FLT");
    pump();
    EXPECT_TRUE(folder.logHas("===> SimConnect: New file event"));
    EXPECT_FALSE(folder.logHas("SimConnect: flight loaded event"));
    EXPECT_EQ((std::tuple{g_stop.load(), g_runState.load(), g_restartDelay.load()}),
              (std::tuple{true, RunState::NewFlight, 45}));
    EXPECT_EQ(record.read([](auto& r) { return r.rememberedStands; }), 1);

    g_runState = RunState::NewSettings;
    SIMCONNECT_RECV_EVENT event{};
    event.uEventID = EVENT_FLIGHT_LOADED;
    deliver(event, SIMCONNECT_RECV_ID_EVENT);
    EXPECT_TRUE(folder.logHas("SimConnect: flight loaded event"));
    EXPECT_EQ((std::tuple{g_runState.load(), record.read([](auto& r) { return r.rememberedStands; })}),
              (std::tuple{RunState::NewSettings, 2}));
}

TEST_F(SimLinkTest, ExceptionsAreHandledByTheirNumber)
{
    connect();
    pump();
    model->queueException(SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID);
    pump(); // the user position is not known yet: silent
    {
        std::lock_guard lock(g_userDataMutex);
        g_userData.latitude = 50.0;
    }
    for (const std::uint32_t e : std::initializer_list<std::uint32_t>{
             SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS,
             SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE, SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED,
             SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE, 42})
        model->queueException(e);
    pump();
    const std::vector<std::string> expected{
        "===> SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID",
        "SimConnect: too many objects (max 1000)",
        "SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE",
        "===> SimConnect exception: load flight plan failed",
        "SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE",
        "===> SIMCONNECT_EXCEPTION #42",
    };
    auto lines = folder.logLines();
    lines.erase(lines.begin(), std::find(lines.begin(), lines.end(), expected.front()));
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(gf_statusLine().text, "SimConnect: too many objects (max 1000)");

    // once a stop is under way an unknown id is not worth a line
    g_stop = true;
    model->queueException(SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID);
    pump();
    const auto all = folder.logLines();
    EXPECT_EQ(std::count(all.begin(), all.end(), expected.front()), 1);

    model->queueException(SIMCONNECT_EXCEPTION_VERSION_MISMATCH, 3, 4);
    EXPECT_EQ(userErrorOf([&] { pump(); }), "95: SimConnect Version Mismatch, dwIndex: 4");
}

TEST_F(SimLinkTest, InRangeAnswersForKnownObjectsByHeightAndAtcId)
{
    g_userObjectId = 1;
    deliverInRange(50, 2500.0, "DLH1");
    deliverInRange(51, 2500.1, "DLH2");
    deliverInRange(52, 10.0, "12345*");
    deliverInRange(53, 10.0, "");
    deliverInRange(1, 10.0, "USER");
    deliverInRange(54, 10.0, "DLH3", REQ_STATIC_CG);
    EXPECT_EQ(takeReports(), (std::vector<Report>{{50, 1, OBJ_OTHER_IN_RANGE, 350.0, 2500.0}}));

    // "ObjectAdded" at or below the user's id is ignored, "ObjectRemoved" always reported
    deliverAddRemove(EVENT_OBJECT_ADDED, 1);
    deliverAddRemove(EVENT_OBJECT_ADDED, 77, SIMCONNECT_SIMOBJECT_TYPE_USER);
    EXPECT_TRUE(g_addedObjectIds.empty());
    deliverAddRemove(EVENT_OBJECT_REMOVED, 1);
    EXPECT_EQ(takeReports(), (std::vector<Report>{{1, 0, OBJ_REMOVED, 0.0, 0.0}}));
}

TEST_F(SimLinkTest, ObjectsRemovedBeforeAnyInRangeAnswerAreForgotten)
{
    g_userObjectId = 1;
    // a busy simulator spawns and removes many aircraft far away from the user; 2000 stays
    for (std::uint32_t id = 100; id < 2100; ++id) {
        deliverAddRemove(EVENT_OBJECT_ADDED, id);
        if (id != 2000)
            deliverAddRemove(EVENT_OBJECT_REMOVED, id);
    }
    EXPECT_EQ(gf_takeObjectList().size(), 1999u); // every removal is still reported
    EXPECT_EQ(g_addedObjectIds, std::vector<std::uint32_t>{2000});

    // the one still alive is recognised as new when it comes within range
    deliverInRange(2000, 10.0, "OTHER9");
    EXPECT_TRUE(g_addedObjectIds.empty());
    EXPECT_TRUE(folder.logHas("just spawned, but not by TRWK, oid: 2000, callsign 'OTHER9', altaboveGnd:10 ft, "
                              "onground:1, gnd_alt:350 ft"));
    EXPECT_TRUE(gf_takeObjectList().empty());
}

TEST_F(SimLinkTest, RefusalsWithoutAMatchingPendingCreationChangeNothing)
{
    g_pendingCreates = {{10, 0, "ZERO"}, {11, 20000, "LIVE"}, {12, 30000, "LAST"}};
    SIMCONNECT_RECV_EXCEPTION refused{};
    refused.dwException = SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED;
    refused.dwSendID = 99;
    deliver(refused, SIMCONNECT_RECV_ID_EXCEPTION);
    EXPECT_EQ(g_pendingCreates.size(), 3u);
    refused.dwSendID = 10; // hex id 0: removed, not reported
    deliver(refused, SIMCONNECT_RECV_ID_EXCEPTION);
    ASSERT_EQ(g_pendingCreates.size(), 2u);
    EXPECT_EQ(g_pendingCreates[0].atcId, "LAST"); // the last one took its place
    EXPECT_TRUE(gf_takeObjectList().empty());
}

TEST_F(SimLinkTest, FrameRateIsSampledEveryThirtiethFrame)
{
    connect();
    pump();
    std::vector<float> sampled;
    for (const float rate : {40.0f, 25.0f}) {
        model->setFrameRate(rate);
        frame(29);
        sampled.push_back(g_frameRate);
        frame();
        sampled.push_back(g_frameRate);
    }
    EXPECT_EQ(sampled, (std::vector<float>{0.0f, 40.0f, 40.0f, 25.0f}));
}

// Every message cut short at every length, in a buffer of just that length and filled with
// text that never ends: nothing is read past its end (the sanitizer build checks every read) and
// an object report cut short is not made. Unknown messages are logged, the three ignored ones not.
TEST_F(SimLinkTest, AShortMessageIsNeverReadPastItsEnd)
{
    constexpr std::size_t data = sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA);
    const std::vector<std::tuple<std::uint32_t, std::size_t, std::uint32_t>> messages{
        {SIMCONNECT_RECV_ID_EXCEPTION, sizeof(SIMCONNECT_RECV_EXCEPTION), 0},
        {SIMCONNECT_RECV_ID_OPEN, sizeof(SIMCONNECT_RECV_OPEN), 0},
        {SIMCONNECT_RECV_ID_EVENT, sizeof(SIMCONNECT_RECV_EVENT), 0},
        {SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE, sizeof(SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE), 0},
        {SIMCONNECT_RECV_ID_EVENT_FRAME, sizeof(SIMCONNECT_RECV_EVENT_FRAME), 0},
        {SIMCONNECT_RECV_ID_SIMOBJECT_DATA, data + 16, REQ_STATIC_CG},
        {SIMCONNECT_RECV_ID_SIMOBJECT_DATA, data + 300, REQ_USER_AC_TITLE},
        {SIMCONNECT_RECV_ID_SIMOBJECT_DATA, data + 40, REQ_USER_AC_MODEL},
        {SIMCONNECT_RECV_ID_SIMOBJECT_DATA, data + 8, REQ_AC_GND_AIR},
        {SIMCONNECT_RECV_ID_SIMOBJECT_DATA, data + sizeof(UserAcData), REQ_USER_AC_POSITION},
        {SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, data + sizeof(AcByType), REQ_AC_WITHIN_RANGE},
        {55, sizeof(SIMCONNECT_RECV), 0}, {12, sizeof(SIMCONNECT_RECV), 0}, {16, sizeof(SIMCONNECT_RECV), 0},
        {27, sizeof(SIMCONNECT_RECV), 0}};
    for (const auto& [id, full, request] : messages) {
        for (std::size_t size = 0; size < full || (size == full && full == sizeof(SIMCONNECT_RECV)); ++size) {
            const auto bytes = std::make_unique<std::byte[]>(std::max<std::size_t>(size, 1));
            std::memset(bytes.get(), 'A', size);
            const std::uint32_t header[4] = {static_cast<std::uint32_t>(size), 6, id, request};
            std::memcpy(bytes.get(), header, std::min(size, sizeof(header)));
            gf_dispatch(reinterpret_cast<SIMCONNECT_RECV*>(bytes.get()), static_cast<std::uint32_t>(size), nullptr);
        }
    }
    gf_dispatch(nullptr, 0, nullptr);
    EXPECT_TRUE(gf_takeObjectList().empty());
    const auto lines = folder.logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("Dispatch") != std::string::npos; }),
              1);
    EXPECT_TRUE(folder.logHas("! Unknown Dispatch dwID 55"));
}

TEST_F(SimLinkTest, StaticCgAnswersAndUserAnswersGoWhereTheyBelong)
{
    connect();
    pump();
    g_userObjectId = 1;
    const std::uint32_t id = createOwn("CG1", 5);
    SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_STATIC_CG, DEF_STATIC_CG, id, SIMCONNECT_PERIOD_ONCE);
    SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_USER_AC_TITLE, DEF_TITLE, 0, SIMCONNECT_PERIOD_ONCE);
    SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_USER_AC_MODEL, DEF_ATC_MODEL, 0, SIMCONNECT_PERIOD_ONCE);
    SimConnect_RequestDataOnSimObject(g_hSimConnect, 123, DEF_SIM_ON_GROUND, 0, SIMCONNECT_PERIOD_ONCE);
    frame();
    EXPECT_EQ(takeReports(), (std::vector<Report>{{id, 0, OBJ_STATIC_CG, 9.0, 0.0}}));
    // the title and model answers reached the user aircraft; the unknown request 123 nothing
    EXPECT_EQ(gf_userTitle(), "User Jet");
    EXPECT_TRUE(gf_userHalfWingspan().has_value() && !g_newUserData);
}
