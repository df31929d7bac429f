#include "aircraft/dbase_lookup.h"

#include <algorithm>
#include <cctype>

SizeClass gf_type2sizeClass(std::string_view type)
{
    if (g_dbase.largeTypes.contains(type))
        return SizeClass::Large;
    if (g_dbase.heavyTypes.contains(type))
        return SizeClass::Heavy;
    if (g_dbase.buzjetTypes.contains(type))
        return SizeClass::Buzjets;
    if (g_dbase.rotorcraftTypes.contains(type))
        return SizeClass::Rotorcraft;
    if (g_dbase.highPerformanceTypes.contains(type))
        return SizeClass::HighPerf;
    return SizeClass::Light;
}

bool gf_isValidModel(std::string_view type) { return !type.empty() && g_dbase.aircraftTypes.contains(type); }

bool gf_isIcaoAirline(std::string_view airline) { return !airline.empty() && g_dbase.icaoAirlines.contains(airline); }

double gf_getHalfWingspan(std::string_view type)
{
    const auto it = g_dbase.halfWingspans.find(type);
    if (it != g_dbase.halfWingspans.end())
        return it->second;
    return g_dbase.meanHalfWingspan[static_cast<std::size_t>(gf_type2sizeClass(type))];
}

std::vector<std::string> gf_regVariants(std::string_view registration)
{
    std::vector<std::string> variants;
    variants.reserve(3);
    if (registration.size() >= 5 && registration.front() != 'N' && registration.find('-') == std::string_view::npos) {
        variants.push_back(std::string(registration.substr(0, 2)) + "-" + std::string(registration.substr(2)));
        variants.push_back(std::string(registration.substr(0, 1)) + "-" + std::string(registration.substr(1)));
    }
    variants.emplace_back(registration);
    return variants;
}

std::optional<DbaseRecord> gf_findDbaseRecord(std::string_view registration)
{
    if (registration.empty())
        return std::nullopt;
    for (const auto& variant : gf_regVariants(registration)) {
        const auto it = g_dbase.records.find(variant);
        if (it != g_dbase.records.end())
            return it->second;
    }
    return std::nullopt;
}

std::string gf_airlineOfReg(std::string_view registration)
{
    const auto record = gf_findDbaseRecord(registration);
    return record ? record->airl : std::string();
}

std::string gf_operatorOfReg(std::string_view registration)
{
    const auto record = gf_findDbaseRecord(registration);
    return record ? record->opr : std::string();
}

std::optional<std::string> gf_findShortRecordKey(std::string_view text)
{
    for (const auto& key : g_dbase.shortRecordKeys) {
        if (text.find(key) != std::string_view::npos)
            return key;
    }
    return std::nullopt;
}

bool gf_containsIgnoreCase(std::string_view text, std::string_view part)
{
    if (part.empty())
        return true;
    if (part.size() > text.size())
        return false;
    const auto lt_lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [&](char a, char b) { return lt_lower(a) == lt_lower(b); }) != text.end();
}

std::string gf_findPublisher(std::string_view text)
{
    for (const auto& names : g_dbase.publishers) {
        for (const auto& name : names) {
            const bool exact = name.size() <= text.size() && text.find(name) != std::string_view::npos;
            if (exact || gf_containsIgnoreCase(text, name))
                return names.front();
        }
    }
    return "unknown";
}
