#pragma once
// The records that travel between the traffic manager and the simulator link.
#include "simconnect/simconnect.h"

#include <cstdint>
#include <string>

// One position update for one AI object; the first eight fields are the members of
// DEF_AI_POSITION and go to the simulator as one 64-byte unit.
struct AiPosition {
    double latitude;      // degrees
    double longitude;     // degrees
    double pitch;         // radians
    double bank;          // radians
    double heading;       // radians, true
    double altitude;      // feet
    double verticalSpeed; // feet per second
    double trueAirspeed;  // knots
    std::uint32_t objectId;
};
inline constexpr std::uint32_t g_aiPositionDataSize = 8 * sizeof(double);

struct ClientEvent {
    std::uint32_t objectId;
    std::uint32_t eventId; // 206 .. 222
    std::uint32_t value;
};

// One aircraft to create. It owns its title: the livery tables may be cleared while it waits.
struct CreateRequest {
    SIMCONNECT_DATA_INITPOSITION initPos{};
    std::string callsign;    // sent as the tail number, becomes the ATC ID
    std::string liveryTitle; // sent as the container title
    std::uint32_t hexId = 0; // live aircraft above 10000, static 10000 or below
};

// A creation sent and not yet seen or refused.
struct PendingCreate {
    std::uint32_t packetId;
    std::uint32_t hexId;
    std::string atcId;
};

// The user aircraft: the members of DEF_USER_AC in order.
struct UserAcData {
    double latitude;
    double longitude;
    double pitch;
    double bank;
    double heading;
    double altitude;
    double altitudeAboveGround;
    double groundVelocity;
    std::int64_t zuluTime;
    std::int64_t zuluDayOfYear;
    std::int64_t zuluYear;
    std::int64_t lightStates;
};
static_assert(sizeof(UserAcData) == 96);

// One report about one simulator object for the traffic manager.
struct ObjectListEntry {
    std::uint32_t objectId;
    std::uint32_t hexIdOrOnGround;
    std::uint32_t spare;
    std::uint32_t kind;
    double valueA;
    double valueB;
};

enum ObjectListKind : std::uint32_t {
    OBJ_OWN_LIVE_CREATED = 0,
    OBJ_OWN_STATIC_CREATED = 1,
    OBJ_REMOVED = 2,
    OBJ_OTHER_IN_RANGE = 3,
    OBJ_STATIC_CG = 4,
    OBJ_FEED_BLOCKED = 5,
    OBJ_CREATE_REFUSED = 6,
};
