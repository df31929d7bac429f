#pragma once
// The "data" parts of the service's answers, built from the scenario at the time asked.
#include "scenario.h"

#include <nlohmann/json.hpp>

namespace feedserver {

// Box of a request, degrees; a position on an edge is inside.
struct Box {
    double top = 0.0;
    double bottom = 0.0;
    double left = 0.0;
    double right = 0.0;
    bool contains(double lat, double lon) const { return lat <= top && lat >= bottom && lon >= left && lon <= right; }
};

// The time a request asks for: its time offset already taken off.
struct AskedTime {
    double scenarioSeconds = 0.0; // since the scenario's start
    double epochSeconds = 0.0;    // UTC, seconds since 1970
};

inline constexpr std::size_t g_recordSize = 48;

// Live traffic: one 48-element array per flight inside the box, keyed by its hex id.
nlohmann::json gf_liveData(const Scenario& scenario, const Box& box, const AskedTime& at);
// The first request's snapshots "buffer_0" (the time asked) to "buffer_<count-1>", each
// `spacingSeconds` older than the one before.
nlohmann::json gf_bufferedData(const Scenario& scenario, const Box& box, const AskedTime& at, int count,
                               int spacingSeconds);
// Parked traffic inside the box: [lat, lon, stand, type, registration, report time, callsign]
// keyed by hex id.
nlohmann::json gf_parkedData(const Scenario& scenario, const Box& box, double epochSeconds);

// The station with this ICAO code, else the one nearest to the position; nullptr without
// stations.
const MetarStation* gf_findStation(const Scenario& scenario, const std::string& icao, double lat, double lon);
// Weather at a station: {"QNH", "METAR", "ICAO"}; QNH 1013 and no report without a station.
nlohmann::json gf_weatherData(const MetarStation* station);
// Nearest METAR: an array with one object {"ICAO", "Dist" (nm), "METAR", "QNH"}; empty without
// stations.
nlohmann::json gf_nearestMetarData(const Scenario& scenario, double lat, double lon);

} // namespace feedserver
