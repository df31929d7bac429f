// The writer of airport parking files.
#include "airports/apf_file.h"

#include "aircraft/dbase_lookup.h"
#include "foundation/meta_block.h"
#include "foundation/option_table.h"
#include "foundation/safe_save.h"

#include <fmt/format.h>
#include <string>

namespace {

const char* lf_boolText(bool value) { return value ? "true" : "false"; }

bool lf_appendParameter(pugi::xml_node& parameters, std::string_view name, const std::string& value)
{
    pugi::xml_node parameter = parameters.append_child("parameter");
    return parameter && parameter.append_attribute("name").set_value(std::string(name).c_str()) &&
           parameter.append_attribute("value").set_value(value.c_str());
}

bool lf_appendParameter(pugi::xml_node& parameters, std::string_view name, std::int32_t value)
{
    return lf_appendParameter(parameters, name, std::to_string(value));
}

bool lf_appendFlag(pugi::xml_node& parameters, std::string_view name, bool value)
{
    return lf_appendParameter(parameters, name, std::string(lf_boolText(value)));
}

// The options a learned file keeps with the airport.
bool lf_appendLearnedOptions(pugi::xml_node& parameters)
{
    return lf_appendParameter(parameters, g_lateralRangeKey, RANGE.value.load()) &&
           lf_appendFlag(parameters, g_autoRangeKey, AUTO_RANGE.value.load()) &&
           lf_appendFlag(parameters, g_weekKey, WEEK.value.load()) &&
           lf_appendFlag(parameters, g_parkFakeKey, PARK_FAKE.value.load()) &&
           lf_appendFlag(parameters, g_parkSoftKey, PARK_SOFT.value.load()) &&
           lf_appendParameter(parameters, g_parkingPercentageKey, parking_percentage.value.load()) &&
           lf_appendFlag(parameters, g_initialLoadOnlyKey, INITIAL_LOAD_ONLY.value.load()) &&
           lf_appendParameter(parameters, g_maxFitKey, MAX_FIT.value.load()) &&
           lf_appendFlag(parameters, g_rtParkTrafficOnlyKey, RT_PARKTRAFFIC_ONLY.value.load()) &&
           lf_appendParameter(parameters, g_maxLiveKey, MAX_LIVE_SEL.value.load()) &&
           lf_appendFlag(parameters, g_learnSoftKey, LEARN_SOFT.value.load());
}

void lf_writeFullAttributes(pugi::xml_node& parkpos, const Stand& stand)
{
    parkpos.append_attribute("latitude").set_value(fmt::format("{:.6f}", stand.latitude).c_str());
    parkpos.append_attribute("longitude").set_value(fmt::format("{:.6f}", stand.longitude).c_str());
    parkpos.append_attribute("heading").set_value(fmt::format("{:.1f}", stand.heading * 57.29577951308232).c_str());
    parkpos.append_attribute("radius").set_value(fmt::format("{:.1f}", stand.radius * g_metresPerNm).c_str());
    if (stand.heli)
        parkpos.append_attribute("heli").set_value("true");
    else
        parkpos.append_attribute("cargo").set_value(lf_boolText(stand.cargo));
    parkpos.append_attribute("ramp").set_value(lf_boolText(stand.ramp));
    if (stand.manual)
        parkpos.append_attribute("manual").set_value("true");
}

void lf_writeChanges(pugi::xml_node& parkpos, const Stand& stand, bool withValues)
{
    if (stand.radius_change) {
        parkpos.append_attribute("radius_change").set_value("true");
        if (withValues)
            parkpos.append_attribute("radius").set_value(fmt::format("{:.1f}", stand.radius * g_metresPerNm).c_str());
    }
    if (stand.cargo_change) {
        parkpos.append_attribute("cargo_change").set_value("true");
        if (withValues)
            parkpos.append_attribute("cargo").set_value(lf_boolText(stand.cargo));
    }
}

void lf_writeStandAttributes(pugi::xml_node& parkpos, const Stand& stand, std::uint32_t mode, bool handmade)
{
    if (mode == g_apfFullMode) {
        lf_writeFullAttributes(parkpos, stand);
    } else if (mode == g_apfLearnedMode && (stand.radius_change || stand.cargo_change)) {
        if (stand.manual) {
            lf_writeFullAttributes(parkpos, stand);
        } else if (handmade) {
            // a handmade file is read without the archived file: a stand with only its changes
            // would have no position and be lost
            lf_writeFullAttributes(parkpos, stand);
            lf_writeChanges(parkpos, stand, false);
        } else {
            lf_writeChanges(parkpos, stand, true);
        }
    } else if (stand.manual || handmade) {
        lf_writeFullAttributes(parkpos, stand);
    }
}

void lf_writeOptions(pugi::xml_node& parkpos, const Stand& stand)
{
    for (const StandOption& option : stand.options) {
        if (option.optionId == 0)
            continue;
        pugi::xml_node opt = parkpos.append_child("opt");
        opt.append_attribute("reg").set_value(option.reg.c_str());
        if (!gf_findDbaseRecord(option.reg)) {
            opt.append_attribute("airl").set_value(option.airl.c_str());
            opt.append_attribute("type").set_value(option.type.c_str());
        }
        if (option.real == 0)
            opt.append_attribute("soft").set_value("true");
        opt.append_attribute("day").set_value(option.day);
        opt.append_attribute("hh").set_value(gf_bitset2hours(option.hh).c_str());
        if (!option.cs.empty())
            opt.append_attribute("cs").set_value(
                (option.cs2.empty() ? option.cs : fmt::format("{}:{}", option.cs, option.cs2)).c_str());
    }
}

} // namespace

bool gf_writeApfParameters(pugi::xml_node parent, const ApfParameters& params, std::uint32_t mode, bool handmade)
{
    pugi::xml_node parameters = parent.append_child("parameters");
    if (!parameters)
        return false;
    bool ok = lf_appendParameter(parameters, "airport_name", params.airport_name) &&
              lf_appendParameter(parameters, "publisher", params.publisher);
    if (ok && handmade)
        ok = lf_appendParameter(parameters, "handmade", std::string("true"));
    if (ok && (handmade || mode == g_apfFullMode))
        ok = lf_appendParameter(parameters, "altitude", params.altitude);
    ok = ok && lf_appendParameter(parameters, "num_parkpos", std::to_string(params.stands.size()));
    if (ok && handmade)
        ok = lf_appendParameter(parameters, "Qf_real", params.Qf_real) &&
             lf_appendParameter(parameters, "Qf_soft", params.Qf_soft);
    if (ok && params.publisher == "unknown")
        ok = lf_appendParameter(parameters, "BGLpath", params.BGLpath) &&
             lf_appendParameter(parameters, "manufacturer", params.manufacturer) &&
             lf_appendParameter(parameters, "creator", params.creator);
    if (ok && mode == g_apfLearnedMode)
        ok = lf_appendLearnedOptions(parameters);
    return ok;
}

bool gf_writeApf(const ApfParameters& params, const std::filesystem::path& path, std::uint32_t mode, bool handmade)
{
    Apf doc;
    if (!gf_writeMetaInfo(doc) || !gf_writeApfParameters(doc, params, mode, handmade))
        return false;
    pugi::xml_node parkpositions = doc.append_child("parkpositions");
    for (const Stand& stand : params.stands) {
        pugi::xml_node parkpos = parkpositions.append_child("parkpos");
        parkpos.append_attribute("id").set_value(stand.name.c_str());
        lf_writeStandAttributes(parkpos, stand, mode, handmade);
        if (mode == g_apfLearnedMode)
            lf_writeOptions(parkpos, stand);
    }
    return gf_saveXmlReplacing(doc, path);
}
