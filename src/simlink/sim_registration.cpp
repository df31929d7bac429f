#include "simlink/sim_registration.h"

#include "simconnect/simconnect.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_state.h"

#include <array>

namespace {

struct DataMember {
    std::uint32_t definition;
    const char* variable;
    const char* unit; // nullptr: no unit
    SIMCONNECT_DATATYPE type;
};

// clang-format off
constexpr std::array<DataMember, 33> g_dataMembers{{
    {DEF_TITLE, "TITLE", nullptr, SIMCONNECT_DATATYPE_STRINGV},
    {DEF_ATC_MODEL, "ATC MODEL", nullptr, SIMCONNECT_DATATYPE_STRING32},
    {DEF_SIM_ON_GROUND, "SIM ON GROUND", "Bool", SIMCONNECT_DATATYPE_INT64},
    {DEF_AI_POSITION, "Plane Latitude", "degree", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AI_POSITION, "Plane Longitude", "degree", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AI_POSITION, "Plane Pitch degrees", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AI_POSITION, "Plane Bank degrees", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AI_POSITION, "Plane Heading degrees true", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AI_POSITION, "Plane Altitude", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AI_POSITION, "Vertical Speed", "feet per second", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AI_POSITION, "Airspeed True", "knots", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_USER_AC, "Plane Latitude", "degree", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_USER_AC, "Plane Longitude", "degree", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_USER_AC, "Plane Pitch degrees", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_USER_AC, "Plane Bank degrees", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_USER_AC, "Plane Heading degrees true", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_USER_AC, "Plane Altitude", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_USER_AC, "Plane Alt Above Ground", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_USER_AC, "Ground Velocity", "knots", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_USER_AC, "ZULU TIME", "Seconds", SIMCONNECT_DATATYPE_INT64},
    {DEF_USER_AC, "ZULU DAY OF YEAR", "Number", SIMCONNECT_DATATYPE_INT64},
    {DEF_USER_AC, "ZULU YEAR", "Number", SIMCONNECT_DATATYPE_INT64},
    {DEF_USER_AC, "LIGHT STATES", "Mask", SIMCONNECT_DATATYPE_INT64},
    {DEF_STATIC_CG, "Static CG to Ground", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_STATIC_CG, "Static Pitch", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_LIGHT_ON_STATES, "Light On States", "Mask", SIMCONNECT_DATATYPE_INT64},
    {DEF_AC_BY_TYPE, "Plane Alt Above Ground", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AC_BY_TYPE, "Ground Altitude", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AC_BY_TYPE, "SIM ON GROUND", "Bool", SIMCONNECT_DATATYPE_INT64},
    {DEF_AC_BY_TYPE, "ATC ID", nullptr, SIMCONNECT_DATATYPE_STRING32},
    {DEF_AI_CONTROLS, "SPOILERS HANDLE POSITION", "percent", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AI_CONTROLS, "GENERAL ENG THROTTLE LEVER POSITION:1", "percent", SIMCONNECT_DATATYPE_FLOAT64},
    {DEF_AI_CONTROLS, "GENERAL ENG THROTTLE LEVER POSITION:2", "percent", SIMCONNECT_DATATYPE_FLOAT64},
}};

struct MappedEvent {
    std::uint32_t id;
    const char* name;
};

constexpr std::array<MappedEvent, 17> g_mappedEvents{{
    {EVENT_GEAR_SET, "GEAR_SET"},
    {EVENT_ENGINE_AUTO_START, "ENGINE_AUTO_START"},
    {EVENT_ENGINE_AUTO_SHUTDOWN, "ENGINE_AUTO_SHUTDOWN"},
    {EVENT_THROTTLE_SET, "THROTTLE_SET"},
    {EVENT_FLAPS_SET, "FLAPS_SET"},
    {EVENT_SPOILERS_SET, "SPOILERS_SET"},
    {EVENT_NAV_LIGHTS, "NAV_LIGHTS_SET"},
    {EVENT_BEACON_LIGHTS, "BEACON_LIGHTS_SET"},
    {EVENT_LANDING_LIGHTS, "LANDING_LIGHTS_SET"},
    {EVENT_TAXI_LIGHTS, "TAXI_LIGHTS_SET"},
    {EVENT_STROBES, "STROBES_SET"},
    {EVENT_LOGO_LIGHTS, "LOGO_LIGHTS_SET"},
    {EVENT_CABIN_LIGHTS, "CABIN_LIGHTS_SET"},
    {EVENT_ALL_LIGHTS_TOGGLE, "ALL_LIGHTS_TOGGLE"},
    {EVENT_FREEZE_LAT_LON, "FREEZE_LATITUDE_LONGITUDE_SET"},
    {EVENT_FREEZE_ALTITUDE, "FREEZE_ALTITUDE_SET"},
    {EVENT_FREEZE_ATTITUDE, "FREEZE_ATTITUDE_SET"},
}};

// ENGINE_AUTO_START is mapped but belongs to no group
constexpr std::array<std::uint32_t, 16> g_groupedEvents{
    EVENT_NAV_LIGHTS, EVENT_BEACON_LIGHTS, EVENT_LANDING_LIGHTS, EVENT_TAXI_LIGHTS, EVENT_STROBES,
    EVENT_LOGO_LIGHTS, EVENT_CABIN_LIGHTS, EVENT_ALL_LIGHTS_TOGGLE, EVENT_FLAPS_SET, EVENT_SPOILERS_SET,
    EVENT_GEAR_SET, EVENT_ENGINE_AUTO_SHUTDOWN, EVENT_THROTTLE_SET, EVENT_FREEZE_LAT_LON, EVENT_FREEZE_ALTITUDE,
    EVENT_FREEZE_ATTITUDE};
// clang-format on

} // namespace

void gf_addToAiEventGroup(std::uint32_t eventId)
{
    SimConnect_AddClientEventToNotificationGroup(g_hSimConnect, GROUP_AI_EVENTS, eventId, true);
}

void gf_registerWithSim()
{
    const HSIMCONNECT h = g_hSimConnect;
    SimConnect_SubscribeToSystemEvent(h, EVENT_SIM, "Sim");
    SimConnect_SubscribeToSystemEvent(h, EVENT_OBJECT_ADDED, "ObjectAdded");
    SimConnect_SubscribeToSystemEvent(h, EVENT_OBJECT_REMOVED, "ObjectRemoved");
    SimConnect_SubscribeToSystemEvent(h, EVENT_FLIGHT_LOADED, "FlightLoaded");
    SimConnect_SubscribeToSystemEvent(h, EVENT_FRAME, "Frame");

    for (const DataMember& m : g_dataMembers)
        SimConnect_AddToDataDefinition(h, m.definition, m.variable, m.unit, m.type, 0.0f, SIMCONNECT_UNUSED);

    for (const MappedEvent& e : g_mappedEvents)
        SimConnect_MapClientEventToSimEvent(h, e.id, e.name);
    for (const std::uint32_t id : g_groupedEvents)
        gf_addToAiEventGroup(id);
    SimConnect_SetNotificationGroupPriority(h, GROUP_AI_EVENTS, SIMCONNECT_GROUP_PRIORITY_HIGHEST);
}
