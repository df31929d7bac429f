#include "aircraft/livery_matching.h"

#include "aircraft/candidate_list.h"
#include "aircraft/dbase_lookup.h"
#include "aircraft/livery_match_hooks.h"
#include "aircraft/similar_types.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/random.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>

namespace {

bool lf_isSpecialTitle(std::string_view title)
{
    const auto& special = g_liveryTables.specialTitles;
    return std::find(special.begin(), special.end(), title) != special.end();
}

std::size_t lf_randomIndex(std::size_t count)
{
    if (count == 1)
        return 0;
    const std::uint32_t draw = gf_randomGenerator()();
    return draw % count;
}

bool lf_usesFallbackClass(SizeClass sizeClass)
{
    return sizeClass == SizeClass::Light || sizeClass == SizeClass::Buzjets || sizeClass == SizeClass::Rotorcraft;
}

} // namespace

bool gf_findSpecialRegistrationLivery(LiveryMatchAc& ac)
{
    if (ac.registration.empty())
        return false;
    const auto& registrations = g_liveryTables.specialRegistrations;
    const auto it = registrations.find(ac.registration);
    ac.liveryTitle = it == registrations.end() ? std::string_view{} : it->second;
    return !ac.liveryTitle.empty();
}

void gf_pickRandomTitle(LiveryMatchAc& ac, const TitleViews& candidates)
{
    if (candidates.empty())
        return;
    for (int pick = 0; pick < 5; ++pick) {
        ac.liveryTitle = candidates[lf_randomIndex(candidates.size())];
        if (!lf_isSpecialTitle(ac.liveryTitle))
            return;
    }
    TitleViews ordinary;
    for (const auto candidate : candidates) {
        if (!lf_isSpecialTitle(candidate))
            ordinary.push_back(candidate);
    }
    if (!ordinary.empty())
        ac.liveryTitle = ordinary[lf_randomIndex(ordinary.size())];
}

bool gf_pickFromAirlineTable(LiveryMatchAc& ac, std::string_view airline, std::string_view type, int table)
{
    const auto& airlines = g_liveryTables.airlineTypeTitles.at(static_cast<std::size_t>(table));
    const auto byAirline = airlines.find(airline);
    if (byAirline != airlines.end()) {
        const auto byType = byAirline->second.find(type);
        if (byType != byAirline->second.end())
            gf_pickRandomTitle(ac, byType->second);
    }
    return !ac.liveryTitle.empty();
}

bool gf_findAirlineTypeLivery(LiveryMatchAc& ac, std::string_view airline, std::string_view type)
{
    if (gf_pickFromAirlineTable(ac, airline, type, ac.cargo ? 1 : 0))
        return true;
    return ac.cargo && gf_pickFromAirlineTable(ac, airline, type, 0);
}

bool gf_pickTypeLivery(LiveryMatchAc& ac, std::string_view type)
{
    const auto& types = g_liveryTables.typeTitles[ac.cargo ? 1 : 0];
    const auto it = types.find(type);
    if (it != types.end())
        gf_pickRandomTitle(ac, it->second);
    return !ac.liveryTitle.empty();
}

bool gf_matchSimilarType(LiveryMatchAc& ac, std::string_view airline, std::string_view type)
{
    for (const auto& alternative : gf_similarTypesForAirline(airline, type)) {
        if (gf_type2sizeClass(alternative) != ac.sizeClass)
            continue;
        if (gf_findAirlineTypeLivery(ac, airline, alternative))
            return true;
    }
    return false;
}

void gf_matchLiveryFallback(LiveryMatchAc& ac, int& step)
{
    const int depth = MATCHING_DEPTH.value.load();
    if (depth == 4 && ac.liveryTitle.empty() && gf_findAirlineTypeLivery(ac, g_genericAirline, ac.type)) {
        step = 4;
        return;
    }
    if (!ac.liveryTitle.empty() || !lf_usesFallbackClass(ac.sizeClass))
        return;
    if (depth >= 3 && ac.airline != g_privateAirline && gf_findAirlineTypeLivery(ac, g_genericAirline, ac.type)) {
        step = 4;
        return;
    }
    if (gf_pickTypeLivery(ac, ac.type)) {
        step = 5;
        return;
    }
    const std::vector<std::string>* alternatives = &gf_emptyCandidateList();
    const auto similar = g_liveryTables.installedSimilarTypes.find(ac.type);
    if (similar != g_liveryTables.installedSimilarTypes.end()) {
        gf_shuffle(similar->second);
        alternatives = &similar->second;
    } else {
        switch (gf_type2sizeClass(ac.type)) {
        case SizeClass::Light:
            alternatives = &gf_oneCandidateList(gf_randomLightType);
            break;
        case SizeClass::Buzjets:
            alternatives = &gf_oneCandidateList(gf_randomBuzjetType);
            break;
        case SizeClass::Rotorcraft:
            alternatives = &gf_oneCandidateList(gf_randomRotorcraftType);
            break;
        default:
            break;
        }
    }
    for (const auto& alternative : *alternatives) {
        if (gf_pickTypeLivery(ac, alternative)) {
            step = 6;
            return;
        }
    }
}

void gf_recordMatchStep(LiveryMatchAc& ac, int step)
{
    if (step < 1 || step > g_matchStepCount)
        throw std::out_of_range("invalid unordered_map<K, T> key");
    if (gf_isRefusedLivery(ac.liveryTitle)) {
        ac.liveryTitle = {};
        return;
    }
    ++g_liveryTables.matchCounts[static_cast<std::size_t>(step - 1)];
    if (LOG.value.load())
        gf_log(fmt::format("          {} ={}= {}", gf_matchDescribeAc(ac), step, ac.liveryTitle));
    ac.reverser = ac.liveryTitle.find("FSLTL_") != std::string_view::npos;
}

void gf_matchLiveryLiveAc(LiveryMatchAc& ac)
{
    const int depth = MATCHING_DEPTH.value.load();
    if (gf_findSpecialRegistrationLivery(ac)) {
        gf_recordMatchStep(ac, 1);
        return;
    }
    if (depth < 2)
        return;
    if (ac.airline == g_privateAirline && gf_findAirlineTypeLivery(ac, g_genericAirline, ac.type)) {
        gf_recordMatchStep(ac, 4);
        return;
    }
    const auto record = gf_findDbaseRecord(ac.registration);
    const std::string recordOperator = record ? record->opr : std::string();
    const std::string recordAirline = record ? record->airl : std::string();
    if (!ac.airline.empty()) {
        if (gf_findAirlineTypeLivery(ac, ac.airline, ac.type) ||
            (!recordOperator.empty() && gf_findAirlineTypeLivery(ac, recordAirline, ac.type))) {
            gf_recordMatchStep(ac, 2);
            return;
        }
    }
    if (depth < 3)
        return;
    if (!ac.airline.empty()) {
        if (gf_matchSimilarType(ac, ac.airline, ac.type) ||
            (!recordOperator.empty() && gf_matchSimilarType(ac, recordAirline, ac.type))) {
            gf_recordMatchStep(ac, 3);
            return;
        }
    }
    int step = 0;
    gf_matchLiveryFallback(ac, step);
    if (ac.liveryTitle.empty())
        return;
    if (gf_isRefusedLivery(ac.liveryTitle)) {
        ac.liveryTitle = {};
        return;
    }
    gf_recordMatchStep(ac, step);
}
