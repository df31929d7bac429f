#pragma once
// The identifiers the program registers with the simulator and sends its requests under.
#include <cstdint>

enum SimEventId : std::uint32_t {
    // system events
    EVENT_SIM = 201,
    EVENT_OBJECT_ADDED = 202,
    EVENT_OBJECT_REMOVED = 203,
    EVENT_FRAME = 204,
    EVENT_FLIGHT_LOADED = 205,
    // client events
    EVENT_BEACON_LIGHTS = 206,
    EVENT_NAV_LIGHTS = 207,
    EVENT_TAXI_LIGHTS = 208,
    EVENT_STROBES = 209,
    EVENT_LANDING_LIGHTS = 210,
    EVENT_CABIN_LIGHTS = 211,
    EVENT_LOGO_LIGHTS = 212,
    EVENT_ALL_LIGHTS_TOGGLE = 213,
    EVENT_FREEZE_LAT_LON = 214,
    EVENT_FREEZE_ALTITUDE = 215,
    EVENT_FREEZE_ATTITUDE = 216,
    EVENT_FLAPS_SET = 217,
    EVENT_SPOILERS_SET = 218,
    EVENT_GEAR_SET = 219,
    EVENT_ENGINE_AUTO_START = 220,
    EVENT_ENGINE_AUTO_SHUTDOWN = 221,
    EVENT_THROTTLE_SET = 222,
};

enum SimGroupId : std::uint32_t {
    GROUP_AI_EVENTS = 301,
};

enum SimDefinitionId : std::uint32_t {
    DEF_AI_CONTROLS = 401,
    DEF_AI_POSITION = 402,
    DEF_USER_AC = 403,
    DEF_AC_BY_TYPE = 404,
    DEF_STATIC_CG = 405,
    DEF_LIGHT_ON_STATES = 406,
    DEF_TITLE = 407,
    DEF_ATC_MODEL = 408,
    DEF_SIM_ON_GROUND = 409,
};

enum SimRequestId : std::uint32_t {
    REQ_AC_WITHIN_RANGE = 101,
    REQ_STATIC_CG = 102,
    REQ_AI_RELEASE_CONTROL = 103,
    REQ_AI_CREATE = 104,
    REQ_AI_REMOVE = 105,
    REQ_USER_AC_TITLE = 106,
    REQ_USER_AC_MODEL = 107,
    REQ_AC_GND_AIR = 108,
    REQ_USER_AC_POSITION = 109,
    REQ_AI_FLIGHT_PLAN = 110,
};
