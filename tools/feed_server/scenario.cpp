#include "scenario.h"

#include "flat_geometry.h"

#include <fmt/format.h>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <stdexcept>

namespace feedserver {

namespace {

using nlohmann::json;

constexpr double lf_stationaryNm = 1e-6; // legs shorter than this do not move

[[noreturn]] void lf_fail(const std::string& what) { throw std::runtime_error("scenario: " + what); }

void lf_check(bool ok, const std::string& what)
{
    if (!ok)
        lf_fail(what);
}

template <class T>
void lf_take(const json& j, const char* key, T& target)
{
    const auto it = j.find(key);
    if (it != j.end() && !it->is_null())
        target = it->get<T>();
}

std::string lf_required(const json& j, const char* key, const std::string& where)
{
    const auto it = j.find(key);
    lf_check(it != j.end() && it->is_string() && !it->get<std::string>().empty(),
             fmt::format("{} needs \"{}\"", where, key));
    return it->get<std::string>();
}

std::optional<double> lf_optional(const json& j, const char* key)
{
    const auto it = j.find(key);
    if (it == j.end() || it->is_null())
        return std::nullopt;
    return it->get<double>();
}

void lf_checkPosition(double lat, double lon, const std::string& where)
{
    lf_check(lat >= -90.0 && lat <= 90.0 && lon >= -180.0 && lon <= 180.0, where + ": position out of range");
}

void lf_checkHexId(const std::string& hexId, const std::string& where)
{
    lf_check(hexId.size() <= 8 && hexId.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos,
             where + ": \"hex\" must be hexadecimal digits");
}

PathPoint lf_point(const json& j, const std::string& where)
{
    lf_check(j.is_object(), where + ": a path point must be an object");
    PathPoint p;
    p.t = j.at("t").get<double>();
    p.lat = j.at("lat").get<double>();
    p.lon = j.at("lon").get<double>();
    p.altFt = j.at("alt").get<double>();
    lf_take(j, "ground", p.onGround);
    p.groundSpeedKt = lf_optional(j, "gs");
    p.trackDeg = lf_optional(j, "track");
    p.verticalRateFpm = lf_optional(j, "vs");
    p.headingDeg = lf_optional(j, "heading");
    p.airspeedKt = lf_optional(j, "ias");
    p.bankDeg = lf_optional(j, "bank");
    lf_checkPosition(p.lat, p.lon, where);
    lf_check(!p.headingDeg || (*p.headingDeg >= 0.0 && *p.headingDeg <= 360.0), where + ": heading out of range");
    return p;
}

// Speed, track and climb of every leg; a leg that does not move keeps the heading of its
// start point, else the track of the nearest moving leg before it, else after it.
std::vector<LegMotion> lf_legs(const std::vector<PathPoint>& path)
{
    std::vector<LegMotion> legs(path.size() - 1);
    std::vector<bool> moving(legs.size(), false);
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        const PathPoint& a = path[i];
        const PathPoint& b = path[i + 1];
        const double dt = b.t - a.t;
        const double nm = gf_flatDistanceNm(a.lat, a.lon, b.lat, b.lon);
        legs[i].verticalRateFpm = (b.altFt - a.altFt) / dt * 60.0;
        if (nm > lf_stationaryNm) {
            moving[i] = true;
            legs[i].groundSpeedKt = nm / dt * 3600.0;
            legs[i].trackDeg = gf_flatBearingDeg(a.lat, a.lon, b.lat, b.lon);
        }
    }
    for (std::size_t i = 0; i < legs.size(); ++i) {
        if (moving[i])
            continue;
        if (path[i].headingDeg) {
            legs[i].trackDeg = gf_normalizedDeg(*path[i].headingDeg);
            continue;
        }
        std::optional<double> track;
        for (std::size_t k = i; k-- > 0 && !track;)
            if (moving[k])
                track = legs[k].trackDeg;
        for (std::size_t k = i + 1; k < legs.size() && !track; ++k)
            if (moving[k])
                track = legs[k].trackDeg;
        legs[i].trackDeg = track.value_or(0.0);
    }
    return legs;
}

Flight lf_flight(const json& j, std::size_t index)
{
    const std::string where = fmt::format("flight {}", index + 1);
    lf_check(j.is_object(), where + " must be an object");
    Flight f;
    f.hexId = lf_required(j, "hex", where);
    lf_checkHexId(f.hexId, where);
    f.type = lf_required(j, "type", where);
    lf_take(j, "callsign", f.callsign);
    lf_take(j, "registration", f.registration);
    lf_check(!f.callsign.empty() || !f.registration.empty(), where + " needs a callsign or a registration");
    lf_take(j, "airline", f.airline);
    lf_take(j, "origin", f.origin);
    lf_take(j, "destination", f.destination);
    lf_take(j, "squawk", f.squawk);
    lf_take(j, "category", f.category);
    lf_take(j, "source", f.source);
    const auto path = j.find("path");
    lf_check(path != j.end() && path->is_array() && path->size() >= 2, where + " needs a path of at least two points");
    for (const json& point : *path) {
        f.path.push_back(lf_point(point, where));
        if (f.path.size() > 1)
            lf_check(f.path.back().t > f.path[f.path.size() - 2].t, where + ": path times must increase");
    }
    f.legs = lf_legs(f.path);
    return f;
}

ParkedAircraft lf_parked(const json& j, std::size_t index)
{
    const std::string where = fmt::format("parked aircraft {}", index + 1);
    lf_check(j.is_object(), where + " must be an object");
    ParkedAircraft p;
    p.hexId = lf_required(j, "hex", where);
    lf_checkHexId(p.hexId, where);
    p.type = lf_required(j, "type", where);
    p.stand = lf_required(j, "stand", where);
    lf_take(j, "callsign", p.callsign);
    lf_take(j, "registration", p.registration);
    lf_take(j, "airline", p.airline);
    p.lat = j.at("lat").get<double>();
    p.lon = j.at("lon").get<double>();
    lf_take(j, "reportedSecondsAgo", p.reportedSecondsAgo);
    lf_checkPosition(p.lat, p.lon, where);
    lf_check(p.reportedSecondsAgo >= 0.0, where + ": \"reportedSecondsAgo\" must not be negative");
    return p;
}

MetarStation lf_station(const json& j, std::size_t index)
{
    const std::string where = fmt::format("station {}", index + 1);
    lf_check(j.is_object(), where + " must be an object");
    MetarStation s;
    s.icao = lf_required(j, "icao", where);
    s.lat = j.at("lat").get<double>();
    s.lon = j.at("lon").get<double>();
    s.qnh = j.at("qnh").get<int>();
    lf_take(j, "metar", s.metar);
    lf_checkPosition(s.lat, s.lon, where);
    lf_check(s.qnh >= 930 && s.qnh <= 1080, where + ": QNH out of range");
    return s;
}

template <class T, class Read>
std::vector<T> lf_list(const json& root, const char* key, Read read)
{
    std::vector<T> list;
    const auto it = root.find(key);
    if (it == root.end())
        return list;
    lf_check(it->is_array(), fmt::format("\"{}\" must be an array", key));
    for (std::size_t i = 0; i < it->size(); ++i)
        list.push_back(read((*it)[i], i));
    return list;
}

} // namespace

Scenario gf_parseScenario(std::string_view jsonText)
{
    try {
        const json root = json::parse(jsonText);
        lf_check(root.is_object(), "the top level must be an object");
        Scenario s;
        if (const auto service = root.find("service"); service != root.end()) {
            lf_check(service->is_object(), "\"service\" must be an object");
            lf_take(*service, "server", s.serverName);
            lf_take(*service, "rrl", s.rrl);
            lf_take(*service, "wrrl", s.wrrl);
            lf_check(s.rrl > 0 && s.wrrl > 0, "the intervals must be positive");
            if (const auto type = service->find("type"); type != service->end()) {
                lf_check(type->is_number_integer() && (*type == 1 || *type == 2),
                         "\"type\" must be 1 (standard) or 2 (professional)");
                s.accountType = type->get<int>();
            }
        }
        s.flights = lf_list<Flight>(root, "flights", lf_flight);
        std::set<std::string> hexIds;
        for (const Flight& f : s.flights)
            lf_check(hexIds.insert(f.hexId).second, "flight hex id " + f.hexId + " is used twice");
        s.parked = lf_list<ParkedAircraft>(root, "parked", lf_parked);
        s.stations = lf_list<MetarStation>(root, "stations", lf_station);
        return s;
    } catch (const json::exception& e) {
        lf_fail(e.what());
    }
}

Scenario gf_readScenario(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        lf_fail("cannot open " + path.string());
    std::ostringstream text;
    text << file.rdbuf();
    return gf_parseScenario(text.str());
}

} // namespace feedserver
