// What the program declares to the simulator after the open, and the layouts it relies on.
#include "simlink_fixture.h"

#include "simlink/user_aircraft.h"

#include <array>
#include <cstddef>

using testsupport::SimLinkTest;

// The model knows the simulator's variables, units, events and system events by name and refuses
// anything else with an exception; what each definition answers is checked where it is read.
TEST_F(SimLinkTest, TheSimulatorAcceptsEveryRegistration)
{
    connect();
    pump();
    frame(2);
    for (const auto& line : folder.logLines())
        EXPECT_EQ(line.find("EXCEPTION"), std::string::npos) << line;
    EXPECT_EQ((std::array{countCalls("SubscribeToSystemEvent("), countCalls("AddToDataDefinition("),
                          countCalls("MapClientEventToSimEvent("), countCalls("AddClientEventToNotificationGroup(301,"),
                          countCalls("SetNotificationGroupPriority(301, 1)")}),
              (std::array{5, 33, 17, 16, 1}));
}

TEST_F(SimLinkTest, TheUserRecordTakesEveryMemberOfItsDefinitionInItsUnit)
{
    static_assert(offsetof(AiPosition, objectId) == g_aiPositionDataSize);
    EXPECT_EQ(g_aiPositionDataSize, 64u);
    EXPECT_EQ(offsetof(UserAcData, zuluTime), 64u);

    SimScenario s = testsupport::simlinkScenario();
    s.groundAltitudeFt = 120.0;
    s.year = 2025;
    s.dayOfYear = 200;
    s.zuluSeconds = 3600;
    s.userPath = {{0, "climb", 50.0, 8.0, 3000.0, false, 45.0, 0x213}, {60, "climb", 50.1, 8.1, 4000.0, false}};
    install(s);
    connect();
    SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_USER_AC_POSITION, DEF_USER_AC, SIMCONNECT_OBJECT_ID_USER,
                                      SIMCONNECT_PERIOD_ONCE);
    SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_AC_GND_AIR, DEF_SIM_ON_GROUND, SIMCONNECT_OBJECT_ID_USER,
                                      SIMCONNECT_PERIOD_ONCE);
    frame();
    UserAcData d{};
    {
        std::lock_guard lock(g_userDataMutex);
        d = g_userData;
    }
    const SimObjectState u = model->userAircraft();
    const SimZulu zulu = model->zulu();
    constexpr double radPerDeg = 3.14159265358979323846 / 180.0;
    EXPECT_EQ((std::tuple{d.latitude, d.longitude, d.altitude, d.altitudeAboveGround, d.groundVelocity}),
              (std::tuple{u.lat, u.lon, u.altFt, u.altAboveGroundFt(), u.groundSpeedKts}));
    EXPECT_NEAR(d.heading, u.headingDeg * radPerDeg, 1e-9);
    EXPECT_NEAR(d.pitch, u.pitchDeg * radPerDeg, 1e-9);
    EXPECT_NEAR(d.bank, u.bankDeg * radPerDeg, 1e-9);
    EXPECT_EQ((std::tuple{d.zuluTime, d.zuluDayOfYear, d.zuluYear, d.lightStates}),
              (std::tuple{zulu.seconds, zulu.dayOfYear, zulu.year, u.lightMask()}));
    EXPECT_GT(d.groundVelocity, 0.0);
    EXPECT_TRUE(g_userOnGroundKnown);
    EXPECT_FALSE(g_userOnGround);
}
