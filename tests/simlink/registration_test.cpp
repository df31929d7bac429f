// What the program declares to the simulator after the open, and the layouts it relies on.
#include "simlink_fixture.h"

#include "simlink/sim_ids.h"
#include "simlink/user_aircraft.h"

#include <cstring>

using testsupport::SimLinkTest;

TEST_F(SimLinkTest, RegistersEverythingInTheOrderTheSimulatorExpects)
{
    connect();
    const std::vector<std::string> expected{
        R"(Open("TRWK"))",
        R"(SubscribeToSystemEvent(201, "Sim"))",
        R"(SubscribeToSystemEvent(202, "ObjectAdded"))",
        R"(SubscribeToSystemEvent(203, "ObjectRemoved"))",
        R"(SubscribeToSystemEvent(205, "FlightLoaded"))",
        R"(SubscribeToSystemEvent(204, "Frame"))",
        R"(AddToDataDefinition(407, "TITLE", null, STRINGV, 0, 4294967295))",
        R"(AddToDataDefinition(408, "ATC MODEL", null, STRING32, 0, 4294967295))",
        R"(AddToDataDefinition(409, "SIM ON GROUND", "Bool", INT64, 0, 4294967295))",
        R"(AddToDataDefinition(402, "Plane Latitude", "degree", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(402, "Plane Longitude", "degree", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(402, "Plane Pitch degrees", "radians", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(402, "Plane Bank degrees", "radians", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(402, "Plane Heading degrees true", "radians", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(402, "Plane Altitude", "feet", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(402, "Vertical Speed", "feet per second", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(402, "Airspeed True", "knots", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "Plane Latitude", "degree", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "Plane Longitude", "degree", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "Plane Pitch degrees", "radians", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "Plane Bank degrees", "radians", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "Plane Heading degrees true", "radians", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "Plane Altitude", "feet", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "Plane Alt Above Ground", "feet", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "Ground Velocity", "knots", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "ZULU TIME", "Seconds", INT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "ZULU DAY OF YEAR", "Number", INT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "ZULU YEAR", "Number", INT64, 0, 4294967295))",
        R"(AddToDataDefinition(403, "LIGHT STATES", "Mask", INT64, 0, 4294967295))",
        R"(AddToDataDefinition(405, "Static CG to Ground", "feet", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(405, "Static Pitch", "radians", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(406, "Light On States", "Mask", INT64, 0, 4294967295))",
        R"(AddToDataDefinition(404, "Plane Alt Above Ground", "feet", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(404, "Ground Altitude", "feet", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(404, "SIM ON GROUND", "Bool", INT64, 0, 4294967295))",
        R"(AddToDataDefinition(404, "ATC ID", null, STRING32, 0, 4294967295))",
        R"(AddToDataDefinition(401, "SPOILERS HANDLE POSITION", "percent", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(401, "GENERAL ENG THROTTLE LEVER POSITION:1", "percent", FLOAT64, 0, 4294967295))",
        R"(AddToDataDefinition(401, "GENERAL ENG THROTTLE LEVER POSITION:2", "percent", FLOAT64, 0, 4294967295))",
        R"(MapClientEventToSimEvent(219, "GEAR_SET"))",
        R"(MapClientEventToSimEvent(220, "ENGINE_AUTO_START"))",
        R"(MapClientEventToSimEvent(221, "ENGINE_AUTO_SHUTDOWN"))",
        R"(MapClientEventToSimEvent(222, "THROTTLE_SET"))",
        R"(MapClientEventToSimEvent(217, "FLAPS_SET"))",
        R"(MapClientEventToSimEvent(218, "SPOILERS_SET"))",
        R"(MapClientEventToSimEvent(207, "NAV_LIGHTS_SET"))",
        R"(MapClientEventToSimEvent(206, "BEACON_LIGHTS_SET"))",
        R"(MapClientEventToSimEvent(210, "LANDING_LIGHTS_SET"))",
        R"(MapClientEventToSimEvent(208, "TAXI_LIGHTS_SET"))",
        R"(MapClientEventToSimEvent(209, "STROBES_SET"))",
        R"(MapClientEventToSimEvent(212, "LOGO_LIGHTS_SET"))",
        R"(MapClientEventToSimEvent(211, "CABIN_LIGHTS_SET"))",
        R"(MapClientEventToSimEvent(213, "ALL_LIGHTS_TOGGLE"))",
        R"(MapClientEventToSimEvent(214, "FREEZE_LATITUDE_LONGITUDE_SET"))",
        R"(MapClientEventToSimEvent(215, "FREEZE_ALTITUDE_SET"))",
        R"(MapClientEventToSimEvent(216, "FREEZE_ATTITUDE_SET"))",
        "AddClientEventToNotificationGroup(301, 207, true)",
        "AddClientEventToNotificationGroup(301, 206, true)",
        "AddClientEventToNotificationGroup(301, 210, true)",
        "AddClientEventToNotificationGroup(301, 208, true)",
        "AddClientEventToNotificationGroup(301, 209, true)",
        "AddClientEventToNotificationGroup(301, 212, true)",
        "AddClientEventToNotificationGroup(301, 211, true)",
        "AddClientEventToNotificationGroup(301, 213, true)",
        "AddClientEventToNotificationGroup(301, 217, true)",
        "AddClientEventToNotificationGroup(301, 218, true)",
        "AddClientEventToNotificationGroup(301, 219, true)",
        "AddClientEventToNotificationGroup(301, 221, true)",
        "AddClientEventToNotificationGroup(301, 222, true)",
        "AddClientEventToNotificationGroup(301, 214, true)",
        "AddClientEventToNotificationGroup(301, 215, true)",
        "AddClientEventToNotificationGroup(301, 216, true)",
        "SetNotificationGroupPriority(301, 1)",
    };
    EXPECT_EQ(model->callLog(), expected);
    // the simulator accepted every registration: no exception comes back
    pump();
    frame(2);
    for (const auto& line : folder.logLines())
        EXPECT_EQ(line.find("EXCEPTION"), std::string::npos) << line;
}

TEST_F(SimLinkTest, RecordLayoutsMatchTheDefinitionsTheSimulatorAnswersWith)
{
    static_assert(offsetof(AiPosition, objectId) == g_aiPositionDataSize);
    EXPECT_EQ(g_aiPositionDataSize, 64u);
    EXPECT_EQ(sizeof(UserAcData), 96u);
    EXPECT_EQ(offsetof(UserAcData, zuluTime), 64u);

    connect();
    SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_USER_AC_POSITION, DEF_USER_AC, SIMCONNECT_OBJECT_ID_USER,
                                      SIMCONNECT_PERIOD_ONCE);
    SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_AC_GND_AIR, DEF_SIM_ON_GROUND, SIMCONNECT_OBJECT_ID_USER,
                                      SIMCONNECT_PERIOD_ONCE);
    frame();
    UserAcData data{};
    {
        std::lock_guard lock(g_userDataMutex);
        data = g_userData;
    }
    EXPECT_DOUBLE_EQ(data.latitude, 50.0);
    EXPECT_DOUBLE_EQ(data.longitude, 8.0);
    EXPECT_NEAR(data.heading, 3.14159265358979 / 2, 1e-9); // radians
    EXPECT_EQ(data.zuluYear, 2024);
    EXPECT_TRUE(g_userOnGroundKnown);
    EXPECT_TRUE(g_userOnGround);
}
