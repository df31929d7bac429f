#pragma once
// The scenario the local feed server plays: flights along timed paths, parked aircraft, METAR
// stations and the service's intervals.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace feedserver {

// One point of a flight's path, reached `t` seconds after the scenario's start. Altitudes are
// true altitudes (feet above sea level at the local QNH). The optional values are derived from
// the path when they are not given: ground speed, track and vertical rate from the leg that
// starts at the point, the heading from the track, the airspeed from the ground speed.
struct PathPoint {
    double t = 0.0;
    double lat = 0.0;
    double lon = 0.0;
    double altFt = 0.0;
    bool onGround = false;
    std::optional<double> groundSpeedKt;
    std::optional<double> trackDeg;
    std::optional<double> verticalRateFpm;
    std::optional<double> headingDeg; // nose direction: differs from the track when pushed back
    std::optional<double> airspeedKt;
    std::optional<double> bankDeg;
};

// What a leg of the path gives by itself, computed when the scenario is read.
struct LegMotion {
    double groundSpeedKt = 0.0;
    double trackDeg = 0.0;
    double verticalRateFpm = 0.0;
};

struct Flight {
    std::string hexId; // transponder address, hexadecimal
    std::string callsign;
    std::string type; // ICAO type designator
    std::string registration;
    std::string airline; // ICAO airline code
    std::string origin;
    std::string destination;
    std::string squawk;
    std::string category = "A3";       // emitter category
    std::string source = "adsb_icao";  // only this source carries a true heading
    std::vector<PathPoint> path;       // at least two points, times increasing
    std::vector<LegMotion> legs;       // path.size() - 1 entries
};

struct ParkedAircraft {
    std::string hexId;
    std::string callsign;
    std::string type;
    std::string registration;
    std::string airline;
    std::string stand;
    double lat = 0.0;
    double lon = 0.0;
    double reportedSecondsAgo = 0.0; // before the time asked
};

struct MetarStation {
    std::string icao;
    double lat = 0.0;
    double lon = 0.0;
    int qnh = 1013; // hPa
    std::string metar;
};

struct Scenario {
    std::string serverName = "trwk-local";
    int rrl = 2000;  // ms between two traffic requests
    int wrrl = 2000; // ms between two weather requests
    std::optional<int> accountType; // the login's "type": 1 standard, 2 professional; none: no "type"
    std::vector<Flight> flights;
    std::vector<ParkedAircraft> parked;
    std::vector<MetarStation> stations;
};

// Reads a scenario from JSON text. Raises std::runtime_error ("scenario: ...") for malformed or
// out-of-range input.
Scenario gf_parseScenario(std::string_view jsonText);
Scenario gf_readScenario(const std::filesystem::path& path);

} // namespace feedserver
