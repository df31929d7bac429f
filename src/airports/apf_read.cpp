// The readers of airport parking files: one stand, one option's identity, the parameters.
#include "airports/apf_file.h"

#include "aircraft/dbase_lookup.h"
#include "foundation/log.h"
#include "foundation/paths.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <limits>
#include <utility>

namespace {

constexpr std::size_t lf_optionsReserve = 256;

// The first /parameters/parameter with this name, or an empty node.
pugi::xml_node lf_findParameter(const Apf& doc, std::string_view key)
{
    for (const pugi::xml_node& parameters : doc.children("parameters"))
        for (const pugi::xml_node& parameter : parameters.children("parameter"))
            if (key == parameter.attribute("name").value())
                return parameter;
    return {};
}

std::vector<StandOption> lf_readOptions(const pugi::xml_node& parkpos, std::uint32_t fromApf, HalfHourLog& hoursLog)
{
    std::vector<StandOption> options;
    options.reserve(lf_optionsReserve);
    std::int32_t counter = 1;
    for (const pugi::xml_node& opt : parkpos.children("opt"))
        options.push_back(gf_readStandOption(opt, counter++, fromApf, hoursLog));
    options.shrink_to_fit();
    return options;
}

} // namespace

double gf_finiteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }

void gf_readParkpos(const pugi::xml_node& parkpos, const std::string& name, std::uint32_t fromApf,
                    std::vector<Stand>& stands, HalfHourLog& hoursLog)
{
    const double latitude = parkpos.attribute("latitude").as_double();
    const double longitude = parkpos.attribute("longitude").as_double();
    if (latitude == 0.0 && longitude == 0.0)
        return;
    if (!(std::abs(latitude) <= 90.0) || !(std::abs(longitude) <= 180.0)) {
        gf_logError(fmt::format("Parking position {} has no valid position, skipped", name));
        return;
    }
    const double radiusMetres = gf_finiteOrZero(parkpos.attribute("radius").as_double());
    std::vector<StandOption> options = lf_readOptions(parkpos, fromApf, hoursLog);
    const bool heli = parkpos.attribute("heli").as_bool();
    const bool ramp = parkpos.attribute("ramp").as_bool();
    const bool cargo = parkpos.attribute("cargo").as_bool();
    const double heading = gf_finiteOrZero(parkpos.attribute("heading").as_double()) * 0.017453292519943295;
    stands.emplace_back(name, std::move(options), StandPosition{latitude, longitude, heading}, radiusMetres, !cargo,
                        !ramp, !heli);
}

StandOption gf_readStandOption(const pugi::xml_node& opt, std::int32_t optionId, std::uint32_t fromApf,
                               HalfHourLog& hoursLog)
{
    OptIdentity identity = gf_readOptIdentity(opt);
    StandOption option;
    option.airl = std::move(identity.airl);
    option.type = std::move(identity.type);
    option.reg = opt.attribute("reg").as_string();
    option.cs = std::move(identity.cs);
    option.cs2 = std::move(identity.cs2);
    option.hh = gf_hours2bitset(opt.attribute("hh").as_string(), hoursLog);
    option.optionId = optionId;
    const unsigned day = opt.attribute("day").as_uint();
    option.day = static_cast<std::int32_t>(std::min<unsigned>(day, std::numeric_limits<std::int32_t>::max()));
    option.fromApf = fromApf;
    option.real = opt.attribute("soft").as_bool() ? 0 : 1;
    return option;
}

OptIdentity gf_readOptIdentity(const pugi::xml_node& opt)
{
    OptIdentity identity;
    const std::string_view cs = opt.attribute("cs").as_string();
    if (const auto colon = cs.find(':'); colon != std::string_view::npos) {
        identity.cs = cs.substr(0, colon);
        identity.cs2 = cs.substr(colon + 1);
    } else {
        identity.cs = cs;
    }
    const std::string_view reg = opt.attribute("reg").as_string();
    if (const auto record = gf_findDbaseRecord(reg)) {
        identity.type = record->type;
        identity.airl = record->opr.empty() ? record->airl : record->opr;
    } else {
        identity.airl = opt.attribute("airl").as_string();
        identity.type = opt.attribute("type").as_string();
    }
    return identity;
}

std::optional<bool> gf_getApfBool(const Apf& doc, std::string_view key)
{
    const pugi::xml_node parameter = lf_findParameter(doc, key);
    return parameter ? std::optional<bool>(parameter.attribute("value").as_bool()) : std::nullopt;
}

std::optional<std::int32_t> gf_getApfInt(const Apf& doc, std::string_view key)
{
    const pugi::xml_node parameter = lf_findParameter(doc, key);
    return parameter ? std::optional<std::int32_t>(parameter.attribute("value").as_int()) : std::nullopt;
}

std::optional<std::string> gf_getApfString(const Apf& doc, std::string_view key)
{
    const pugi::xml_node parameter = lf_findParameter(doc, key);
    return parameter ? std::optional<std::string>(parameter.attribute("value").as_string()) : std::nullopt;
}

std::optional<bool> gf_getApfStrictBool(const Apf& doc, std::string_view key)
{
    const std::optional<std::string> value = gf_getApfString(doc, key);
    if (value == "true" || value == "1")
        return true;
    if (value == "false" || value == "0")
        return false;
    return std::nullopt;
}

std::string gf_readApfPublisher(const std::filesystem::path& path)
{
    Apf doc;
    if (!doc.load_file(path.c_str()))
        return {};
    return gf_getApfString(doc, "publisher").value_or(std::string());
}

std::string gf_readApfMakerInfo(const std::filesystem::path& path)
{
    Apf doc;
    if (!doc.load_file(path.c_str()))
        return fmt::format("'{}' not found)", gf_pathToUtf8(path));
    const std::optional<std::string> publisher = gf_getApfString(doc, "publisher");
    if (publisher && *publisher != "unknown")
        return {};
    return fmt::format("{}={}, {}={}", "manufacturer", gf_getApfString(doc, "manufacturer").value_or(std::string()),
                       "creator", gf_getApfString(doc, "creator").value_or(std::string()));
}
