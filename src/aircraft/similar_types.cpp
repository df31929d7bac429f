#include "aircraft/similar_types.h"

#include "aircraft/candidate_list.h"
#include "aircraft/dbase.h"
#include "aircraft/livery_tables.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/text_utils.h"

#include <fmt/format.h>

#include <set>

namespace {

bool lf_hasInstalledLivery(const std::string& type)
{
    const auto& [pax, cargo] = g_liveryTables.typeTitles;
    return pax.contains(type) || cargo.contains(type);
}

} // namespace

void gf_buildSimilarModels()
{
    auto& tables = g_liveryTables;
    // "type,similar,similar": each type of a group with the other members that have liveries
    std::set<std::string> definitions;
    for (const auto& group : g_dbase.similarTypes) {
        for (std::size_t i = 0; i < group.size(); ++i) {
            std::string text = group[i];
            for (std::size_t j = 0; j < group.size(); ++j) {
                if (j != i && lf_hasInstalledLivery(group[j]))
                    text += "," + group[j];
            }
            if (text.find(',') != std::string::npos)
                definitions.insert(std::move(text));
        }
    }
    for (const auto& text : definitions) {
        auto pieces = gf_split(text, ',');
        std::string key = std::move(pieces.front());
        pieces.erase(pieces.begin());
        tables.installedSimilarTypes.try_emplace(std::move(key), std::move(pieces));
    }

    for (const auto& airline : gf_liveryAirlines()) {
        TextMap<std::vector<std::string>> alternatives;
        for (const auto& [type, similar] : tables.installedSimilarTypes) {
            if (gf_airlineHasType(airline, type))
                continue;
            std::vector<std::string> owned;
            for (const auto& candidate : similar) {
                if (gf_airlineHasType(airline, candidate))
                    owned.push_back(candidate);
            }
            if (!owned.empty())
                alternatives.emplace(type, std::move(owned));
        }
        if (!alternatives.empty())
            tables.airlineSimilarTypes.try_emplace(airline, std::move(alternatives));
    }
    gf_log(fmt::format("{} similar model definitions", tables.installedSimilarTypes.size()));
}

const std::vector<std::string>& gf_similarTypesForAirline(std::string_view airline, std::string_view type)
{
    const auto byAirline = g_liveryTables.airlineSimilarTypes.find(airline);
    if (byAirline == g_liveryTables.airlineSimilarTypes.end())
        return gf_emptyCandidateList();
    const auto byType = byAirline->second.find(type);
    if (byType == byAirline->second.end())
        return gf_emptyCandidateList();
    gf_shuffle(byType->second);
    return byType->second;
}
