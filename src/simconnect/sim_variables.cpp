#include "simconnect/sim_variables.h"

#include <algorithm>
#include <array>
#include <cctype>

std::int64_t SimObjectState::lightMask() const
{
    if (user)
        return userLightStates;
    std::int64_t mask = 0;
    mask |= navLights ? 0x1 : 0;
    mask |= beaconLights ? 0x2 : 0;
    mask |= landingLights ? 0x4 : 0;
    mask |= taxiLights ? 0x8 : 0;
    mask |= strobeLights ? 0x10 : 0;
    mask |= logoLights ? 0x100 : 0;
    mask |= cabinLights ? 0x200 : 0;
    return mask;
}

namespace {

using O = SimObjectState;
using Z = SimZulu;

std::string lf_upper(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

constexpr double g_degPerRad = 57.29577951308232;

// clang-format off
const std::array<SimVariable, 25> g_variables{{
    {"PLANE LATITUDE", SimQuantity::Angle, true, [](const O& o, const Z&) { return o.lat; }, [](O& o, double v) { o.lat = v; }, nullptr},
    {"PLANE LONGITUDE", SimQuantity::Angle, true, [](const O& o, const Z&) { return o.lon; }, [](O& o, double v) { o.lon = v; }, nullptr},
    {"PLANE PITCH DEGREES", SimQuantity::Angle, true, [](const O& o, const Z&) { return o.pitchDeg; }, [](O& o, double v) { o.pitchDeg = v; }, nullptr},
    {"PLANE BANK DEGREES", SimQuantity::Angle, true, [](const O& o, const Z&) { return o.bankDeg; }, [](O& o, double v) { o.bankDeg = v; }, nullptr},
    {"PLANE HEADING DEGREES TRUE", SimQuantity::Angle, true, [](const O& o, const Z&) { return o.headingDeg; }, [](O& o, double v) { o.headingDeg = v; }, nullptr},
    {"PLANE ALTITUDE", SimQuantity::Length, true, [](const O& o, const Z&) { return o.altFt; }, [](O& o, double v) { o.altFt = v; }, nullptr},
    {"PLANE ALT ABOVE GROUND", SimQuantity::Length, false, [](const O& o, const Z&) { return o.altAboveGroundFt(); }, nullptr, nullptr},
    {"GROUND ALTITUDE", SimQuantity::Length, false, [](const O& o, const Z&) { return o.groundAltFt; }, nullptr, nullptr},
    {"GROUND VELOCITY", SimQuantity::Speed, false, [](const O& o, const Z&) { return o.groundSpeedKts; }, nullptr, nullptr},
    {"VERTICAL SPEED", SimQuantity::VerticalSpeed, true, [](const O& o, const Z&) { return o.verticalSpeedFps; }, [](O& o, double v) { o.verticalSpeedFps = v; }, nullptr},
    // no wind in the model: the ground speed is the true airspeed
    {"AIRSPEED TRUE", SimQuantity::Speed, true, [](const O& o, const Z&) { return o.trueAirspeedKts; }, [](O& o, double v) { o.trueAirspeedKts = o.groundSpeedKts = v; }, nullptr},
    {"ZULU TIME", SimQuantity::Plain, false, [](const O&, const Z& z) { return static_cast<double>(z.seconds); }, nullptr, nullptr},
    {"ZULU DAY OF YEAR", SimQuantity::Plain, false, [](const O&, const Z& z) { return static_cast<double>(z.dayOfYear); }, nullptr, nullptr},
    {"ZULU YEAR", SimQuantity::Plain, false, [](const O&, const Z& z) { return static_cast<double>(z.year); }, nullptr, nullptr},
    {"LIGHT STATES", SimQuantity::Plain, false, [](const O& o, const Z&) { return static_cast<double>(o.lightMask()); }, nullptr, nullptr},
    {"LIGHT ON STATES", SimQuantity::Plain, false, [](const O& o, const Z&) { return static_cast<double>(o.lightMask()); }, nullptr, nullptr},
    {"SIM ON GROUND", SimQuantity::Plain, false, [](const O& o, const Z&) { return o.onGround ? 1.0 : 0.0; }, nullptr, nullptr},
    {"STATIC CG TO GROUND", SimQuantity::Length, false, [](const O& o, const Z&) { return o.staticCgFt; }, nullptr, nullptr},
    {"STATIC PITCH", SimQuantity::Angle, false, [](const O& o, const Z&) { return o.staticPitchDeg; }, nullptr, nullptr},
    {"SPOILERS HANDLE POSITION", SimQuantity::Percent, true, [](const O& o, const Z&) { return o.spoilersPercent; }, [](O& o, double v) { o.spoilersPercent = v; }, nullptr},
    {"GENERAL ENG THROTTLE LEVER POSITION:1", SimQuantity::Percent, true, [](const O& o, const Z&) { return o.throttle1Percent; }, [](O& o, double v) { o.throttle1Percent = v; }, nullptr},
    {"GENERAL ENG THROTTLE LEVER POSITION:2", SimQuantity::Percent, true, [](const O& o, const Z&) { return o.throttle2Percent; }, [](O& o, double v) { o.throttle2Percent = v; }, nullptr},
    {"ATC ID", SimQuantity::Text, false, nullptr, nullptr, [](const O& o) { return o.atcId; }},
    {"TITLE", SimQuantity::Text, false, nullptr, nullptr, [](const O& o) { return o.title; }},
    {"ATC MODEL", SimQuantity::Text, false, nullptr, nullptr, [](const O& o) { return o.atcModel; }},
}};
// clang-format on

} // namespace

const SimVariable* gf_findSimVariable(std::string_view name)
{
    const std::string key = lf_upper(name);
    for (const SimVariable& v : g_variables)
        if (key == v.name)
            return &v;
    return nullptr;
}

std::optional<double> gf_unitFactor(SimQuantity quantity, const char* unit)
{
    const std::string u = lf_upper(unit ? unit : "");
    if (quantity == SimQuantity::Text)
        return u.empty() ? std::optional<double>(1.0) : std::nullopt;
    if (u.empty())
        return 1.0;
    switch (quantity) {
    case SimQuantity::Angle:
        if (u == "DEGREE" || u == "DEGREES")
            return 1.0;
        if (u == "RADIAN" || u == "RADIANS")
            return 1.0 / g_degPerRad;
        break;
    case SimQuantity::Length:
        if (u == "FEET" || u == "FOOT")
            return 1.0;
        if (u == "METER" || u == "METERS" || u == "METRES")
            return 0.3048;
        break;
    case SimQuantity::Speed:
        if (u == "KNOT" || u == "KNOTS")
            return 1.0;
        if (u == "METERS PER SECOND")
            return 0.514444;
        break;
    case SimQuantity::VerticalSpeed:
        if (u == "FEET PER SECOND")
            return 1.0;
        if (u == "FEET PER MINUTE")
            return 60.0;
        break;
    case SimQuantity::Percent:
        if (u == "PERCENT")
            return 1.0;
        if (u == "PERCENT OVER 100")
            return 0.01;
        break;
    case SimQuantity::Plain:
        if (u == "NUMBER" || u == "BOOL" || u == "MASK" || u == "SECONDS" || u == "ENUM")
            return 1.0;
        break;
    case SimQuantity::Text:
        break;
    }
    return std::nullopt;
}
