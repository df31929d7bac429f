#include "simconnect/sim_scenario.h"

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace {

using nlohmann::json;

[[noreturn]] void lf_fail(const std::string& what) { throw std::runtime_error("simulator scenario: " + what); }

template <class T>
void lf_take(const json& object, const char* key, T& target)
{
    if (object.contains(key))
        target = object.at(key).get<T>();
}

void lf_check(bool ok, const std::string& what)
{
    if (!ok)
        lf_fail(what);
}

SimWaypoint lf_waypoint(const json& j)
{
    lf_check(j.is_object(), "a path point must be an object");
    SimWaypoint w;
    lf_take(j, "t", w.t);
    lf_take(j, "phase", w.phase);
    lf_take(j, "lat", w.lat);
    lf_take(j, "lon", w.lon);
    lf_take(j, "altFt", w.altFt);
    lf_take(j, "onGround", w.onGround);
    lf_take(j, "headingDeg", w.headingDeg);
    lf_take(j, "lights", w.lightStates);
    lf_check(std::isfinite(w.t) && std::isfinite(w.altFt), "path point with a time or altitude that is not a number");
    lf_check(w.lat >= -90.0 && w.lat <= 90.0, "latitude out of range");
    lf_check(w.lon >= -180.0 && w.lon <= 180.0, "longitude out of range");
    lf_check(std::isnan(w.headingDeg) || std::isfinite(w.headingDeg), "heading is not a number");
    return w;
}

SimTitle lf_title(const json& j)
{
    SimTitle t;
    if (j.is_string()) {
        t.title = j.get<std::string>();
    } else {
        lf_check(j.is_object(), "an installed title must be a text or an object");
        lf_take(j, "title", t.title);
        lf_take(j, "staticCgFt", t.staticCgFt);
        lf_take(j, "staticPitchDeg", t.staticPitchDeg);
    }
    lf_check(!t.title.empty(), "empty installed title");
    lf_check(std::isfinite(t.staticCgFt) && std::isfinite(t.staticPitchDeg), "static CG or pitch is not a number");
    return t;
}

void lf_validate(const SimScenario& s)
{
    lf_check(std::isfinite(s.frameRate) && s.frameRate >= 1.0f && s.frameRate <= 1000.0f,
             "frame rate must be between 1 and 1000");
    lf_check(s.dayOfYear >= 1 && s.dayOfYear <= 366, "day of year must be between 1 and 366");
    lf_check(s.year >= 1 && s.year <= 9999, "year must be between 1 and 9999");
    lf_check(s.zuluSeconds >= 0 && s.zuluSeconds < 86400, "zulu seconds must be between 0 and 86399");
    lf_check(std::isfinite(s.groundAltitudeFt), "ground altitude is not a number");
    lf_check(!s.userPath.empty(), "the user path needs at least one point");
    for (std::size_t i = 1; i < s.userPath.size(); ++i)
        lf_check(s.userPath[i].t > s.userPath[i - 1].t, "path times must increase");
    lf_check(s.creationFrames >= 0 && s.creationFrames <= 10000, "creation frames must be between 0 and 10000");
}

} // namespace

SimScenario gf_defaultSimScenario()
{
    SimScenario s;
    s.groundAltitudeFt = -11.0;
    s.year = 2024;
    s.dayOfYear = 152;
    s.zuluSeconds = 10 * 3600;
    s.userTitle = "Airliner 320 Tarnwick House";
    s.userAtcModel = "ATCCOM.AC_MODEL_A320.0.text";
    s.userAtcId = "PH-TRW";
    const double g = s.groundAltitudeFt;
    // at stand D52 of Amsterdam Schiphol (the download site's EHAM.xml), out to runway 36C
    s.userPath = {
        {0.0, "stand", 52.30953, 4.760917, g, true, 300.0, 0x201},
        {60.0, "stand", 52.30953, 4.760917, g, true, 300.0, 0x203},
        {300.0, "taxi", 52.30000, 4.74000, g, true, std::nan(""), 0x20B},
        {330.0, "takeoff", 52.30000, 4.74000, g, true, 0.0, 0x21F},
        {375.0, "takeoff", 52.33300, 4.74000, g, true, std::nan(""), 0x21F},
        {600.0, "climb", 52.45000, 4.74000, 5000.0, false, std::nan(""), 0x213},
        {3000.0, "cruise", 53.50000, 4.74000, 30000.0, false, std::nan(""), 0x213},
    };
    return s;
}

SimScenario gf_parseSimScenario(std::string_view jsonText)
{
    SimScenario s = gf_defaultSimScenario();
    try {
        const json root = json::parse(jsonText);
        lf_check(root.is_object(), "the top level must be an object");
        if (root.contains("simulator")) {
            const json& sim = root.at("simulator");
            lf_check(sim.is_object(), "\"simulator\" must be an object");
            lf_take(sim, "name", s.simulatorName);
            if (sim.contains("version")) {
                const auto version = sim.at("version").get<std::vector<std::uint32_t>>();
                lf_check(version.size() == 4, "the simulator version has four numbers");
                std::copy(version.begin(), version.end(), s.simulatorVersion.begin());
            }
        }
        lf_take(root, "frameRate", s.frameRate);
        lf_take(root, "simRunning", s.simRunning);
        lf_take(root, "groundAltitudeFt", s.groundAltitudeFt);
        lf_take(root, "creationFrames", s.creationFrames);
        lf_take(root, "maxAiObjects", s.maxAiObjects);
        if (root.contains("clock")) {
            const json& clock = root.at("clock");
            lf_check(clock.is_object(), "\"clock\" must be an object");
            lf_take(clock, "year", s.year);
            lf_take(clock, "dayOfYear", s.dayOfYear);
            lf_take(clock, "zuluSeconds", s.zuluSeconds);
        }
        if (root.contains("user")) {
            const json& user = root.at("user");
            lf_check(user.is_object(), "\"user\" must be an object");
            lf_take(user, "title", s.userTitle);
            lf_take(user, "atcModel", s.userAtcModel);
            lf_take(user, "atcId", s.userAtcId);
            if (user.contains("path")) {
                const json& path = user.at("path");
                lf_check(path.is_array(), "\"path\" must be an array");
                s.userPath.clear();
                for (const json& point : path)
                    s.userPath.push_back(lf_waypoint(point));
            }
        }
        if (root.contains("installedTitles")) {
            const json& titles = root.at("installedTitles");
            lf_check(titles.is_array(), "\"installedTitles\" must be an array");
            s.anyTitleInstalled = false;
            s.installedTitles.clear();
            for (const json& title : titles)
                s.installedTitles.push_back(lf_title(title));
        }
    } catch (const json::exception& e) {
        lf_fail(e.what());
    }
    lf_validate(s);
    return s;
}

SimScenario gf_readSimScenario(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        lf_fail("cannot read " + path.string());
    std::ostringstream text;
    text << file.rdbuf();
    return gf_parseSimScenario(text.str());
}
