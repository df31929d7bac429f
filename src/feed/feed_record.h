#pragma once
// One live aircraft as read from one traffic answer, handed to the traffic manager.
#include <cstdint>
#include <optional>
#include <string>

// The per-update part of a live record; the traffic manager keeps these per aircraft.
struct FeedSample {
    double lat = 0.0;          // degrees
    double lon = 0.0;          // degrees
    double altitude = 0.0;     // feet after QNH correction and ground rules; 0.0 = on the ground
    double groundSpeed = 0.0;  // knots
    double track = 0.0;        // degrees
    double verticalRate = 0.0; // feet per minute
    double airspeed = 0.0;     // knots
    std::uint32_t dueTick = 0; // set by the traffic manager
    std::uint8_t airborne = 0;
    std::uint8_t samePosition = 0;
    std::uint8_t trueHeadingValid = 0;
    std::optional<double> bank;        // radians, the feed's degrees negated; airborne only
    std::optional<double> trueHeading; // radians, (0, 2 pi]
};

struct FeedRecord {
    std::string airline; // left empty by the feed
    std::string type;
    std::string origin;
    std::string destination;
    std::string callsign;
    std::string coupledCallsign1;
    std::string coupledCallsign2;
    std::string registration; // at most 12 characters
    std::uint64_t coupledSearchDone = 0;
    FeedSample sample;
    double recordTime = 0.0; // seconds since 1970 UTC
    std::uint32_t hexId = 0; // > 10000 in every kept record
};
