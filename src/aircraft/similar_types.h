#pragma once
// The similar-type tables of the livery matching, built from the database's similar-type groups
// and the installed liveries. Control thread only.
#include <string>
#include <string_view>
#include <vector>

// Fills installedSimilarTypes and airlineSimilarTypes of the livery tables (keys already present
// stay) and logs the number of similar model definitions.
void gf_buildSimilarModels();

// The types similar to the type of which the airline has liveries while it has none of the type,
// freshly shuffled; the shared empty list when there are none. Valid until the tables change.
const std::vector<std::string>& gf_similarTypesForAirline(std::string_view airline, std::string_view type);
