#pragma once
// One object of the simulator model's world: the user aircraft or an AI aircraft.
#include <cstdint>
#include <string>

struct SimObjectState {
    std::uint32_t id = 0;
    bool user = false;
    std::string title;
    std::string atcId;
    std::string atcModel;
    // pose
    double lat = 0.0;        // degrees
    double lon = 0.0;        // degrees
    double altFt = 0.0;      // feet above sea level
    double pitchDeg = 0.0;
    double bankDeg = 0.0;
    double headingDeg = 0.0; // true
    double verticalSpeedFps = 0.0;
    double trueAirspeedKts = 0.0;
    double groundSpeedKts = 0.0;
    bool onGround = true;
    double groundAltFt = 0.0;
    double staticCgFt = 0.0;
    double staticPitchDeg = 0.0;
    // lights
    bool navLights = false;
    bool beaconLights = false;
    bool landingLights = false;
    bool taxiLights = false;
    bool strobeLights = false;
    bool logoLights = false;
    bool cabinLights = false;
    std::int64_t userLightStates = 0; // the user aircraft's mask, from its path
    // controls
    double flapsPercent = 0.0;
    double spoilersPercent = 0.0;
    double throttle1Percent = 0.0;
    double throttle2Percent = 0.0;
    bool gearDown = true;
    bool enginesRunning = false;
    bool freezeLatLon = false;
    bool freezeAltitude = false;
    bool freezeAttitude = false;
    bool releasedControl = false;
    std::string flightPlanPath;
    std::string flightPlanDeparture;   // DepartureID of the loaded flight plan
    std::string flightPlanDestination; // DestinationID of the loaded flight plan
    std::uint32_t positionUpdates = 0; // set-data calls that moved it

    double altAboveGroundFt() const { return altFt - groundAltFt; }
    // nav 0x1, beacon 0x2, landing 0x4, taxi 0x8, strobe 0x10, logo 0x100, cabin 0x200
    std::int64_t lightMask() const;
};
