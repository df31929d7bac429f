#pragma once
// One parked aircraft from a parked-traffic answer, handed to the traffic manager.
#include <cstdint>
#include <string>

struct ParkedTrafficRecord {
    std::string airline; // from the aircraft database (its operator when it has one)
    std::string type;
    std::string origin;
    std::string destination;
    std::string callsign;
    std::string coupledCallsign1;
    std::string coupledCallsign2;
    std::string registration; // at most 12 characters
    std::uint64_t coupledSearchDone = 0;
    double lat = 0.0; // degrees
    double lon = 0.0; // degrees
    std::uint32_t hexId = 0; // > 10000 in every stored record
    // UTC half-hour slot of the report (0xFFFFFFFF when the time cannot be broken down); after
    // the hand-over, the number of half hours since the report
    std::uint32_t slot = 0;
    std::string stand;
};
