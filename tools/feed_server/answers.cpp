#include "answers.h"

#include "flat_geometry.h"
#include "flight_state.h"

#include <cmath>
#include <fmt/format.h>
#include <limits>

namespace feedserver {

namespace {

using nlohmann::json;

// Positions of the live record; the others stay null.
enum RecordIndex : std::size_t {
    hexIdIndex = 0,
    latIndex = 1,
    lonIndex = 2,
    trackIndex = 3,
    pressureAltitudeIndex = 4, // feet at 1013 hPa; 0 on the ground
    groundSpeedIndex = 5,
    squawkIndex = 6,
    airlineIndex = 7,
    typeIndex = 8,
    registrationIndex = 9,
    recordTimeIndex = 10,
    originIndex = 11,
    destinationIndex = 12,
    callsignIndex = 13,
    onGroundIndex = 14,
    verticalRateIndex = 15,
    sourceIndex = 17,
    geometricAltitudeIndex = 18, // true altitude
    airspeedIndex = 20,
    bankIndex = 23,
    trueHeadingIndex = 25,
    categoryIndex = 28,
};

double lf_round(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

json lf_textOrNull(const std::string& text) { return text.empty() ? json(nullptr) : json(text); }

int lf_qnhAt(const Scenario& scenario, double lat, double lon)
{
    const MetarStation* station = gf_findStation(scenario, {}, lat, lon);
    return station != nullptr ? station->qnh : 1013;
}

json lf_liveRecord(const Scenario& scenario, const Flight& f, const FlightState& s, double epochSeconds)
{
    json r = json::array();
    for (std::size_t i = 0; i < g_recordSize; ++i)
        r.push_back(nullptr);
    // the service reports pressure altitudes; the receiver corrects them with the local QNH
    const double pressureAlt = s.altFt - (lf_qnhAt(scenario, s.lat, s.lon) - 1013) * 30.0;
    r[hexIdIndex] = f.hexId;
    r[latIndex] = lf_round(s.lat, 6);
    r[lonIndex] = lf_round(s.lon, 6);
    r[trackIndex] = lf_round(s.trackDeg, 1);
    r[pressureAltitudeIndex] = s.onGround ? 0.0 : lf_round(pressureAlt, 0);
    r[groundSpeedIndex] = lf_round(s.groundSpeedKt, 1);
    r[squawkIndex] = lf_textOrNull(f.squawk);
    r[airlineIndex] = lf_textOrNull(f.airline);
    r[typeIndex] = f.type;
    r[registrationIndex] = lf_textOrNull(f.registration);
    r[recordTimeIndex] = lf_round(epochSeconds, 2);
    r[originIndex] = lf_textOrNull(f.origin);
    r[destinationIndex] = lf_textOrNull(f.destination);
    r[callsignIndex] = lf_textOrNull(f.callsign);
    r[onGroundIndex] = s.onGround ? 1 : 0;
    r[verticalRateIndex] = lf_round(s.verticalRateFpm, 0);
    r[sourceIndex] = f.source;
    r[geometricAltitudeIndex] = lf_round(s.altFt, 0);
    r[airspeedIndex] = lf_round(s.airspeedKt, 0);
    r[bankIndex] = lf_round(s.bankDeg, 1);
    r[trueHeadingIndex] = lf_round(s.headingDeg, 1) >= 360.0 ? 0.0 : lf_round(s.headingDeg, 1);
    r[categoryIndex] = lf_textOrNull(f.category);
    return r;
}

} // namespace

json gf_liveData(const Scenario& scenario, const Box& box, const AskedTime& at)
{
    json data = json::object();
    for (const Flight& flight : scenario.flights) {
        const auto state = gf_flightStateAt(flight, at.scenarioSeconds);
        if (state && box.contains(state->lat, state->lon))
            data[flight.hexId] = lf_liveRecord(scenario, flight, *state, at.epochSeconds);
    }
    return data;
}

json gf_bufferedData(const Scenario& scenario, const Box& box, const AskedTime& at, int count, int spacingSeconds)
{
    json data = json::object();
    for (int k = 0; k < count; ++k) {
        const double back = static_cast<double>(k) * spacingSeconds;
        data[fmt::format("buffer_{}", k)] =
            gf_liveData(scenario, box, AskedTime{at.scenarioSeconds - back, at.epochSeconds - back});
    }
    return data;
}

json gf_parkedData(const Scenario& scenario, const Box& box, double epochSeconds)
{
    json data = json::object();
    for (const ParkedAircraft& p : scenario.parked) {
        if (!box.contains(p.lat, p.lon))
            continue;
        const auto reported = static_cast<std::int64_t>(std::floor(epochSeconds - p.reportedSecondsAgo));
        // positions always as floating numbers, as the receiver expects
        data[p.hexId] = json::array({static_cast<double>(p.lat), static_cast<double>(p.lon), p.stand, p.type,
                                     lf_textOrNull(p.registration), reported, lf_textOrNull(p.callsign)});
    }
    return data;
}

const MetarStation* gf_findStation(const Scenario& scenario, const std::string& icao, double lat, double lon)
{
    const MetarStation* nearest = nullptr;
    double nearestNm = std::numeric_limits<double>::infinity();
    for (const MetarStation& s : scenario.stations) {
        if (!icao.empty() && s.icao == icao)
            return &s;
        const double nm = gf_flatDistanceNm(lat, lon, s.lat, s.lon);
        if (nm < nearestNm) {
            nearestNm = nm;
            nearest = &s;
        }
    }
    return nearest;
}

json gf_weatherData(const MetarStation* station)
{
    if (station == nullptr)
        return json{{"QNH", 1013}, {"METAR", nullptr}, {"ICAO", nullptr}};
    return json{{"QNH", station->qnh}, {"METAR", station->metar}, {"ICAO", station->icao}};
}

json gf_nearestMetarData(const Scenario& scenario, double lat, double lon)
{
    json data = json::array();
    const MetarStation* s = gf_findStation(scenario, {}, lat, lon);
    if (s != nullptr)
        data.push_back(json{{"ICAO", s->icao},
                            {"Dist", lf_round(gf_flatDistanceNm(lat, lon, s->lat, s->lon), 1)},
                            {"METAR", s->metar},
                            {"QNH", s->qnh}});
    return data;
}

} // namespace feedserver
