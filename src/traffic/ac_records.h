#pragma once
// The traffic manager's aircraft records: the common part of every aircraft, the part shared by
// static and live aircraft, and the static aircraft. The live aircraft is in live_ac.h.
#include "aircraft/livery_match_ac.h"
#include "aircraft/size_class.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

enum class AcState : std::uint32_t {
    buffer = 0,
    adding2sim = 1,
    active = 2,
    liveryrespawn = 3,
    removingfromsim = 4,
};

enum class FlightState : std::uint32_t {
    pushing_back = 0,
    pushed_back = 1,
    taxi = 2,
    take_off = 3,
    flying = 4,
    parking = 5,
    parked = 6,
    birth = 7,
};

// The names of the log lines ("st:{}", "fs:{}"); std::out_of_range for a value outside the table.
std::string_view gf_acStateName(AcState state);
std::string_view gf_flightStateName(FlightState state);

// Identity and per-type values of every aircraft. The livery matching works on its base part.
struct AcBase : LiveryMatchAc {
    std::string origin;
    std::string destination;
    std::string callsign;
    std::string coupledCallsign1;
    std::string coupledCallsign2;
    bool coupledSearchDone = false;
    double halfWingspanNm = 0.0;
    double staticCgHeightFt = 0.0;
    double staticPitch = 0.0;   // radians, negative nose up
    double rotationPitch = 0.0; // radians
    double climbPitch = 0.0;    // radians
    double baseTurnStep = 0.0;  // radians per tick on the ground
    double turnStep = 0.0;      // radians per tick
    double maxClimbRate = 0.0;  // feet per tick
    double parkingSpeedKt = 0.0;
    std::uint32_t hexid = 0;
    std::uint32_t flarePitchTicks = 0;
    std::uint32_t noseLoweringTicks = 0;
    std::uint32_t rotationTicks = 0;
    std::uint32_t climbPitchTicks = 0;

    AcBase() = default;
    // Takes the eight texts of a traffic record (FeedRecord or ParkedTrafficRecord) and sets the
    // per-type and per-class values; std::out_of_range for a class without a table row.
    template <class Record>
    explicit AcBase(const Record& r)
        : AcBase(r.airline, r.type, r.origin, r.destination, r.callsign, r.coupledCallsign1, r.coupledCallsign2,
                 r.registration)
    {
    }
    AcBase(std::string airline, std::string type, std::string origin, std::string destination, std::string callsign,
           std::string coupledCallsign1, std::string coupledCallsign2, std::string registration);
    // The half wingspan, size class and class values of `type` (the pitches drawn anew).
    void takeTypeValues();
};

// What static and live aircraft share after their base part.
struct AcRecord : AcBase {
    std::uint32_t objectId = 0;
    double standLat = 0.0;
    double standLon = 0.0;
    double standHeading = 0.0; // radians
    std::pair<std::uint32_t, std::uint32_t> parkedSlot{0, 0}; // weekday, half hour
    std::uint32_t realHexid = 0;
    std::uint32_t standId = 0;
    AcState acState = AcState::buffer;
    std::uint32_t throttleIndex = 5; // none sent yet: the first index always goes out
    std::uint32_t flapsIndex = 4;
    bool darkCabin = false;
    std::uint32_t noRealHexid = 1;
    bool removeWhenCreated = false;
    bool erase = false;
    bool eraseNow = false;

    AcRecord() = default;
    explicit AcRecord(AcBase base) : AcBase(std::move(base)) {}
    bool isLive() const { return hexid > 10000; }
};

struct StaticAc : AcRecord {
    StaticAc(AcBase base, std::uint32_t standId, double lat, double lon, double heading, bool darkCabin);
};
