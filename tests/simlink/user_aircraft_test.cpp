// The user aircraft as the simulator reports it: position, ground state, clock, stand, title,
// type and wingspan, the teleport stop, and copies that never mix two answers.
#include "simlink_fixture.h"

#include "aircraft/dbase.h"
#include "simlink/user_aircraft.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

using testsupport::SimLinkTest;
using testsupport::simlinkScenario;

namespace {

constexpr double lf_metre = 1.0 / 1852.0; // nautical miles
constexpr std::int64_t lf_jan1st2024 = 1704067200;

void lf_fillDbase()
{
    gf_resetDbase();
    g_dbase.aircraftTypes = {"A20N", "A320", "B737", "B738", "CRJ7", "E190", "A388"};
    g_dbase.largeTypes = {"A20N", "A320", "B737", "B738", "E190"};
    g_dbase.buzjetTypes = {"CRJ7"};
    g_dbase.heavyTypes = {"A388"};
    g_dbase.halfWingspans = {{"A20N", 17.95 * lf_metre}, {"A320", 17.95 * lf_metre}, {"B737", 17.15 * lf_metre},
                             {"B738", 17.9 * lf_metre},  {"CRJ7", 11.6 * lf_metre},  {"E190", 14.35 * lf_metre},
                             {"A388", 39.9 * lf_metre}};
    g_dbase.meanHalfWingspan = {6.0 * lf_metre,  10.0 * lf_metre, 17.0 * lf_metre,
                                30.0 * lf_metre, 5.0 * lf_metre,  8.0 * lf_metre};
    g_dbase.maxHalfWingspan = 39.9 * lf_metre;
}

// A user answer made by hand.
void lf_deliver(std::uint32_t requestId, const void* data, std::size_t size, std::uint32_t objectId = 1)
{
    SIMCONNECT_RECV_SIMOBJECT_DATA rec{};
    rec.dwRequestID = requestId;
    rec.dwObjectID = objectId;
    testsupport::deliver(rec, SIMCONNECT_RECV_ID_SIMOBJECT_DATA, data, size);
}

void lf_deliverPosition(double lat, double lon, double altitude = 100.0)
{
    UserAcData d{};
    d.latitude = lat;
    d.longitude = lon;
    d.altitude = altitude;
    d.zuluYear = 2024;
    d.zuluDayOfYear = 1;
    lf_deliver(REQ_USER_AC_POSITION, &d, sizeof(d), 7);
}

UserAcData lf_userData()
{
    std::lock_guard lock(g_userDataMutex);
    return g_userData;
}

class UserAircraft : public SimLinkTest {
protected:
    void SetUp() override
    {
        lf_fillDbase();
        SimLinkTest::SetUp();
    }
    void TearDown() override
    {
        SimLinkTest::TearDown();
        gf_resetDbase();
    }

    // a model whose user aircraft has this title and ATC model; title and model asked for
    void askTitleAndModel(const std::string& title, const std::string& atcModel)
    {
        SimScenario s = simlinkScenario();
        s.userTitle = title;
        s.userAtcModel = atcModel;
        install(s);
        record.read([](auto& r) {
            r.userAircraftTexts.clear();
            r.wingspanKnown.clear();
            return 0;
        });
        connect();
        gf_requestUserTitleAndModel();
        frame();
    }
    bool logged(const std::string& text) const
    {
        for (const auto& line : folder.logLines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
    std::vector<bool> wingspanKnown()
    {
        return record.read([](auto& r) { return r.wingspanKnown; });
    }
};

} // namespace

TEST_F(UserAircraft, PositionGroundStateAndClockFollowTheModel)
{
    SimScenario s = gf_defaultSimScenario(); // on the ground at -11 ft
    s.year = 2024;
    s.dayOfYear = 1;
    s.zuluSeconds = 3600;
    install(s);
    connect();
    // an on-ground answer before any position only announces new data
    SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_AC_GND_AIR, DEF_SIM_ON_GROUND, SIMCONNECT_OBJECT_ID_USER,
                                      SIMCONNECT_PERIOD_ONCE);
    frame();
    EXPECT_TRUE(g_newUserData.exchange(false));
    EXPECT_FALSE(g_userOnGroundKnown);

    EXPECT_DOUBLE_EQ(gf_requestUserData().latitude, 0.0); // the answer comes with the next frame
    frame();
    const UserAcData first = gf_requestUserData();
    EXPECT_NEAR(first.latitude, 52.30953, 1e-9);
    EXPECT_EQ((std::tuple{first.altitude, g_userObjectId.load(), g_simEpochTime.load()}),
              (std::tuple{0.0, SimModel::userObjectId, lf_jan1st2024 + model->zulu().seconds})); // -11 ft reported
    const std::int64_t firstTime = g_simEpochTime;

    SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_AC_GND_AIR, DEF_SIM_ON_GROUND, SIMCONNECT_OBJECT_ID_USER,
                                      SIMCONNECT_PERIOD_SECOND);
    frame(80); // two seconds
    EXPECT_TRUE(g_userOnGroundKnown && g_userOnGround && g_newUserData);
    gf_requestUserData();
    frame();
    EXPECT_EQ((std::tuple{g_simEpochTime - firstTime, g_simEpochTime.load()}),
              (std::tuple{2, lf_jan1st2024 + model->zulu().seconds}));

    // only the lower 32 bits of the on-ground value count
    const std::int64_t upperOnly = std::int64_t{1} << 32;
    lf_deliver(REQ_AC_GND_AIR, &upperOnly, sizeof(upperOnly));
    EXPECT_FALSE(g_userOnGround);
}

TEST_F(UserAircraft, TeleportOfMoreThanTenMilesStopsTheRunAsNewFlight)
{
    lf_deliverPosition(50.0, 8.0, -12.0);
    EXPECT_EQ((std::tuple{lf_userData().altitude, g_userObjectId.load(), g_simEpochTime.load()}),
              (std::tuple{0.0, 7u, lf_jan1st2024}));
    lf_deliverPosition(50.0 + 9.9 / 60.0, 8.0);
    EXPECT_FALSE(g_stop);
    lf_deliverPosition(50.0 + 9.9 / 60.0 + 11.0 / 60.0, 8.0);
    EXPECT_EQ((std::tuple{g_stop.load(), g_runState.load(), g_restartDelay.load()}),
              (std::tuple{true, RunState::NewFlight, 45}));
    EXPECT_TRUE(folder.logHas("Teleport"));

    // a stop already under way keeps its state
    gf_resetShellState();
    gf_forceStop(RunState::UserClosedSim, 0);
    lf_deliverPosition(51.0, 8.0);
    EXPECT_EQ(g_runState, RunState::UserClosedSim);
}

// An answer shorter than its record changes nothing: not the user data, the object id, the clock,
// the ground state nor the flag of new data.
TEST_F(UserAircraft, AnswersShorterThanTheirRecordAreRefused)
{
    lf_deliverPosition(50.0, 8.0);
    const std::int64_t inTheAir = 0;
    lf_deliver(REQ_AC_GND_AIR, &inTheAir, sizeof(inTheAir));
    g_newUserData = false;
    UserAcData moved{};
    moved.latitude = 50.05;
    moved.longitude = 8.0;
    moved.zuluYear = 2025;
    moved.zuluDayOfYear = 1;
    const std::int64_t onGround = 1;
    const std::tuple<const char*, std::uint32_t, const void*, std::size_t> answers[] = {
        {"position without its light states", REQ_USER_AC_POSITION, &moved, sizeof(UserAcData) - 8},
        {"position of one byte", REQ_USER_AC_POSITION, &moved, 1},
        {"ground state of four bytes", REQ_AC_GND_AIR, &onGround, 4}};
    for (const auto& [name, request, data, size] : answers) {
        lf_deliver(request, data, size, 9);
        EXPECT_EQ((std::tuple{lf_userData().latitude, g_userObjectId.load(), g_simEpochTime.load(),
                              g_userOnGround.load(), g_newUserData.load()}),
                  (std::tuple{50.0, 7u, lf_jan1st2024, false, false}))
            << name;
    }
    lf_deliver(REQ_AC_GND_AIR, &onGround, sizeof(onGround));
    EXPECT_TRUE(g_userOnGround && g_newUserData) << "the whole answer is taken";
}

TEST_F(UserAircraft, NearestStandIsShownOnChangeAndFoundForTheParser)
{
    record.read([](auto& r) {
        r.nearestStand = [](double lat, double) { return std::string(std::fabs(lat - 50.0) < 0.001 ? "A12" : ""); };
        return 0;
    });
    EXPECT_EQ(gf_findUserStand(), ""); // no position yet
    lf_deliverPosition(50.0, 8.0);
    lf_deliverPosition(50.0, 8.0);
    EXPECT_EQ(gf_findUserStand() + gf_userStandName(), "A12A12");
    lf_deliverPosition(50.01, 8.0);
    lf_deliverPosition(50.02, 8.0);
    EXPECT_EQ(gf_userStandName(), "");
    EXPECT_EQ(record.read([](auto& r) { return r.userStandTexts; }), (std::vector<std::string>{"A12", ""}));
}

TEST_F(UserAircraft, TitleIsCutToFortyEightCharactersAndLoggedOnChange)
{
    const std::string title48 = "Airliner 320 Tarnwick House Livery With A Very L";
    askTitleAndModel(title48 + "ong Name 1234", "A320");
    EXPECT_EQ(record.read([](auto& r) { return r.userAircraftTexts; }), std::vector<std::string>{gf_userTitle()});
    EXPECT_EQ(gf_userTitle(), title48);
    EXPECT_TRUE(logged("SimConnect: User aircraft title: " + title48));

    // a cut never splits a character in two
    const std::string umlauts = std::string(47, 'x') + "\xC3\xA4\xC3\xB6";
    askTitleAndModel(umlauts, "A320");
    EXPECT_EQ(gf_userTitle(), std::string(47, 'x'));

    askTitleAndModel("", "A320");
    EXPECT_TRUE(folder.logHas("! Title of your aircraft is empty?"));
}

TEST_F(UserAircraft, TypeAndWingspanFromTheAtcModelTexts)
{
    // the ATC model text, the title, the line logged
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"ATCCOM.AC_MODEL_A20N.0.text", "Neo",
         "SimConnect: User aircraft model: A20N, half wing span: 17.9 meter, category: Large"},
        {"$$:B738", "Boeing", "SimConnect: User aircraft model: B738, half wing span: 17.9 meter, category: Large"},
        {"737", "PMDG 737-700 Southwest", "SimConnect: User aircraft model: B737, half wing span: 17.1 meter"},
        {"A350-900", "Airbus", "SimConnect: User aircraft model: A359"},
        {"$$:X", "Odd", "SimConnect: User aircraft model: $$:X,"},
        {"Longer Model", "Aerosoft A320 Professional",
         "SimConnect: User aircraft model deduced from title: A320, half wing span: 17.9 meter, category: Large"},
    };
    for (const auto& [atcModel, title, line] : cases) {
        askTitleAndModel(title, atcModel);
        EXPECT_TRUE(logged("model raw: " + atcModel) && logged(line)) << atcModel;
        EXPECT_EQ(wingspanKnown(), std::vector<bool>{true}) << atcModel;
    }
    askTitleAndModel("Boeing", "$$:B738");
    EXPECT_DOUBLE_EQ(*gf_userHalfWingspan(), 17.9 * lf_metre);
    EXPECT_EQ(gf_userSizeClass(), SizeClass::Large);
}

TEST_F(UserAircraft, UnknownAndMissingModelsTakeFallbackWingspans)
{
    askTitleAndModel("Mystery Jet", "Longer Model");
    EXPECT_EQ(wingspanKnown(), std::vector<bool>{false});
    EXPECT_DOUBLE_EQ(*gf_userHalfWingspan(), g_dbase.maxHalfWingspan);
    EXPECT_EQ(gf_statusLine().text,
              "User aircraft wing span unknown, max is taken instead, please report in my Forum!");
    EXPECT_TRUE(logged("SimConnect: User aircraft model: Longer Model, category: Light"));

    askTitleAndModel("Camera", "camerapod");
    EXPECT_EQ((std::tuple{wingspanKnown(), *gf_userHalfWingspan(), gf_userSizeClass()}),
              (std::tuple{std::vector<bool>{true}, 14.35 * lf_metre, SizeClass::Light}));

    askTitleAndModel("Encrypted", "");
    EXPECT_EQ(record.read([](auto& r) { return r.userAircraftTexts; }),
              (std::vector<std::string>{"Encrypted", "Unknown (encrypted?) aircraft"}));
    EXPECT_EQ(gf_statusLine().text,
              "171: No model info from your user aircraft received in SimConnect, CRJ7 is taken instead");
    EXPECT_DOUBLE_EQ(*gf_userHalfWingspan(), 11.6 * lf_metre);
}

TEST_F(UserAircraft, CopiesNeverMixTwoAnswers)
{
    g_simRequestError = true; // no requests: only the copies
    std::atomic<bool> done{false};
    std::thread simClient([&] {
        for (int i = 0; i < 3000; ++i) {
            const double k = 1.0 + (i % 2);
            UserAcData d{50.0 + k * 1e-6, 8.0 + k * 1e-6, k, k, k, k, k, k, static_cast<std::int64_t>(k), 1, 2024,
                         static_cast<std::int64_t>(k)};
            lf_deliver(REQ_USER_AC_POSITION, &d, sizeof(d));
        }
        done = true;
    });
    int mixed = 0;
    while (!done) {
        const UserAcData d = gf_requestUserData();
        if (d.latitude == 0.0)
            continue;
        const double k = d.pitch;
        if (d.bank != k || d.heading != k || d.altitude != k || d.altitudeAboveGround != k || d.groundVelocity != k ||
            d.zuluTime != static_cast<std::int64_t>(k) || d.lightStates != static_cast<std::int64_t>(k) ||
            std::fabs(d.latitude - (50.0 + k * 1e-6)) > 1e-12)
            ++mixed;
    }
    simClient.join();
    EXPECT_EQ(mixed, 0);
}
